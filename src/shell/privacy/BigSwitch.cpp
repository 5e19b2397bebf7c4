#include "BigSwitch.h"

#include "HubStyle.h"
#include "Symbols.h"
#include "Text.h"

#include <QPainter>

namespace {

constexpr int switchHeight = 54;
constexpr int disc = 36;

} // namespace

BigSwitch::BigSwitch(QWidget *parent)
    : QAbstractButton(parent)
{
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
    setAllOff(false);
}

void BigSwitch::setAllOff(bool allOff)
{
    m_allOff = allOff;
    setText(allOff ? Text::tr("Camera & Microphone Off") : Text::tr("Turn Camera & Microphone Off"));
    setAccessibleName(allOff ? Text::tr("Camera and microphone are off. Turn them back on.")
                             : Text::tr("Turn camera and microphone off"));
    setAccessibleDescription(subtitle());
    update();
}

QString BigSwitch::subtitle() const
{
    return m_allOff ? Text::tr("Click to turn them back on")
                    : Text::tr("Apps lose camera access · calls hear silence");
}

QSize BigSwitch::sizeHint() const
{
    const QFontMetrics title(HubStyle::font(font(), 14, QFont::DemiBold));
    const QFontMetrics sub(HubStyle::font(font(), 11));
    return {12 + disc + 10 + std::max(title.horizontalAdvance(text()), sub.horizontalAdvance(subtitle())) +
                14,
            switchHeight};
}

void BigSwitch::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor accent = HubStyle::color(HaloColor::blocked);
    QColor fill = m_allOff ? accent : QColor(Qt::white);
    fill.setAlpha(m_allOff ? (isDown()       ? 90
                              : underMouse() ? 76
                                             : 60)
                           : (isDown()       ? 44
                              : underMouse() ? 34
                                             : 24));
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 12, 12);

    const QRectF circle(12, (switchHeight - disc) / 2.0, disc, disc);
    painter.setBrush(m_allOff ? accent : QColor(255, 255, 255, 40));
    painter.drawEllipse(circle);
    const QString symbol = m_allOff ? QStringLiteral("video.slash.fill") : QStringLiteral("video.fill");
    const QImage glyph = Symbols::tinted(symbol, Qt::white, QSize(20, 20), devicePixelRatioF());
    painter.drawImage(QRectF(circle.center() - QPointF(10, 10), QSizeF(20, 20)), glyph);

    const int textLeft = int(circle.right()) + 10;
    const QRect textArea(textLeft, 8, width() - textLeft - 10, switchHeight - 16);
    painter.setPen(Qt::white);
    painter.setFont(HubStyle::font(font(), 14, QFont::DemiBold));
    painter.drawText(textArea, Qt::AlignLeft | Qt::AlignTop, text());
    painter.setPen(m_allOff ? QColor(255, 255, 255, 200) : HubStyle::secondary());
    painter.setFont(HubStyle::font(font(), 11));
    painter.drawText(textArea, Qt::AlignLeft | Qt::AlignBottom, subtitle());
}
