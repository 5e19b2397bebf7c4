#include "ToolTile.h"

#include "HaloColor.h"
#include "HubStyle.h"
#include "Symbols.h"

#include <QPainter>
#include <QTextLayout>

namespace {

constexpr int circle = 30;
constexpr int symbolSize = 16;
constexpr int padding = 10;
constexpr int trackWidth = 26;
constexpr int trackHeight = 15;
constexpr int knob = 11;

// Up to `lines` lines of `text` wrapped to `width`, the last one elided.
QStringList wrapped(const QString &text, const QFont &font, int width, int lines)
{
    QTextLayout layout(text, font);
    layout.beginLayout();
    QStringList out;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (out.size() == lines - 1) {
            out.append(QFontMetrics(font).elidedText(text.mid(line.textStart()), Qt::ElideRight, width));
            break;
        }
        out.append(text.mid(line.textStart(), line.textLength()).trimmed());
    }
    layout.endLayout();
    return out;
}

} // namespace

ToolTile::ToolTile(Tool tool, QWidget *parent)
    : QAbstractButton(parent)
    , m_tool(tool)
{
    setText(ToolCatalog::title(tool));
    setAccessibleName(ToolCatalog::title(tool));
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
    setMinimumHeight(54);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void ToolTile::setState(const QString &line, bool on, bool available)
{
    if (m_line == line && m_on == on && isEnabled() == available)
        return;
    m_line = line;
    m_on = on;
    setEnabled(available);
    setAccessibleDescription(line);
    setToolTip(line);
    update();
}

QSize ToolTile::sizeHint() const
{
    return {330, 58};
}

void ToolTile::enterEvent(QEnterEvent *event)
{
    m_hovered = true;
    update();
    QAbstractButton::enterEvent(event);
}

void ToolTile::leaveEvent(QEvent *event)
{
    m_hovered = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void ToolTile::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool enabled = isEnabled();
    int fill = m_on ? 41 : 18; // white at 16 % when on, 7 % otherwise
    if (enabled && (m_hovered || isDown()))
        fill += isDown() ? 20 : 10;
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, fill));
    painter.drawRoundedRect(QRectF(rect()), 12, 12);

    const QColor text = enabled ? QColor(Qt::white) : QColor(255, 255, 255, 110);
    const QColor secondary = enabled ? HubStyle::secondary() : QColor(255, 255, 255, 90);
    const QRectF ring(padding, (height() - circle) / 2.0, circle, circle);
    painter.setBrush(QColor(255, 255, 255, enabled ? 30 : 16));
    painter.drawEllipse(ring);
    const QImage symbol = Symbols::tinted(ToolCatalog::symbol(m_tool), text, QSize(symbolSize, symbolSize),
                                          devicePixelRatioF());
    painter.drawImage(
        QRectF(ring.center() - QPointF(symbolSize / 2.0, symbolSize / 2.0), QSizeF(symbolSize, symbolSize)),
        symbol);

    const bool toggle = ToolCatalog::isToggle(m_tool);
    const int textLeft = int(ring.right()) + 10;
    const int textRight = width() - padding - (toggle ? trackWidth + 8 : 0);
    const int textWidth = std::max(10, textRight - textLeft);
    const QFont titleFont = HubStyle::font(font(), 13, QFont::DemiBold);
    const QFont lineFont = HubStyle::font(font(), 11);
    const QStringList lines = wrapped(m_line, lineFont, textWidth, 2);
    const QFontMetrics titleMetrics(titleFont);
    const QFontMetrics lineMetrics(lineFont);
    const int blockHeight = titleMetrics.height() + 1 + int(lines.size()) * lineMetrics.height();
    int y = (height() - blockHeight) / 2;
    painter.setFont(titleFont);
    painter.setPen(text);
    painter.drawText(QRect(textLeft, y, textWidth, titleMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
                     titleMetrics.elidedText(this->text(), Qt::ElideRight, textWidth));
    y += titleMetrics.height() + 1;
    painter.setFont(lineFont);
    painter.setPen(secondary);
    for (const QString &line : lines) {
        painter.drawText(QRect(textLeft, y, textWidth, lineMetrics.height()),
                         Qt::AlignLeft | Qt::AlignVCenter, line);
        y += lineMetrics.height();
    }

    if (!toggle)
        return;
    const QRectF track(width() - padding - trackWidth, (height() - trackHeight) / 2.0, trackWidth,
                       trackHeight);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_on ? HubStyle::color(HaloColor::camera) : QColor(255, 255, 255, enabled ? 56 : 28));
    painter.drawRoundedRect(track, trackHeight / 2.0, trackHeight / 2.0);
    const double inset = (trackHeight - knob) / 2.0;
    painter.setBrush(enabled ? QColor(Qt::white) : QColor(255, 255, 255, 120));
    painter.drawEllipse(
        QRectF(m_on ? track.right() - inset - knob : track.left() + inset, track.top() + inset, knob, knob));
}
