#include "HubSwitch.h"

#include "HubStyle.h"
#include "Text.h"

#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int trackWidth = 30;
constexpr int trackHeight = 17;
constexpr int knob = 13;
constexpr int gap = 5;
constexpr int stateWidth = 22;

} // namespace

HubSwitch::HubSwitch(const QString &label, const QColor &onColor, QWidget *parent)
    : QAbstractButton(parent)
    , m_onColor(onColor)
{
    setText(label);
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setFont(HubStyle::font(font(), 11));
    setAccessibleName(label);
}

QSize HubSwitch::sizeHint() const
{
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(text()) + gap + trackWidth + gap + stateWidth,
            std::max(trackHeight, metrics.height()) + 2};
}

void HubSwitch::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool on = isChecked();
    const QFontMetrics metrics(font());
    const int labelWidth = metrics.horizontalAdvance(text());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(QRect(0, 0, labelWidth, height()), Qt::AlignLeft | Qt::AlignVCenter, text());

    const QRectF track(labelWidth + gap, (height() - trackHeight) / 2.0, trackWidth, trackHeight);
    painter.setPen(Qt::NoPen);
    painter.setBrush(on ? m_onColor : QColor(255, 255, 255, 56));
    painter.drawRoundedRect(track, trackHeight / 2.0, trackHeight / 2.0);
    const double inset = (trackHeight - knob) / 2.0;
    const double knobX = on ? track.right() - inset - knob : track.left() + inset;
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(knobX, track.top() + inset, knob, knob));

    painter.setPen(on ? m_onColor : HubStyle::secondary());
    painter.drawText(QRect(int(track.right()) + gap, 0, stateWidth, height()),
                     Qt::AlignLeft | Qt::AlignVCenter, on ? Text::tr("On") : Text::tr("Off"));
}
