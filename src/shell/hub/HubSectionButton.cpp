#include "HubSectionButton.h"

#include "Symbols.h"

#include <QPainter>

namespace {

constexpr int symbolSize = 18;
constexpr double dotSize = 7;

} // namespace

HubSectionButton::HubSectionButton(HubTab tab, QWidget *parent)
    : QAbstractButton(parent)
    , m_tab(tab)
{
    setCheckable(true);
    setText(HubTabs::title(tab));
    setAccessibleName(HubTabs::title(tab));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    QFont small = font();
    small.setPixelSize(11);
    small.setWeight(QFont::Medium);
    setFont(small);
}

void HubSectionButton::setDot(const std::optional<QColor> &dot)
{
    if (dot == m_dot)
        return;
    m_dot = dot;
    update();
}

void HubSectionButton::setBadge(int count)
{
    count = std::max(count, 0);
    if (count == m_badge)
        return;
    m_badge = count;
    update();
}

QSize HubSectionButton::sizeHint() const
{
    return {std::max(fontMetrics().horizontalAdvance(text()) + 24, 72), 48};
}

void HubSectionButton::enterEvent(QEnterEvent *event)
{
    m_hovered = true;
    update();
    QAbstractButton::enterEvent(event);
}

void HubSectionButton::leaveEvent(QEvent *event)
{
    m_hovered = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void HubSectionButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(2, 1, -2, -1);
    if (isChecked() || m_hovered) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(255, 255, 255, isChecked() ? 36 : 16));
        painter.drawRoundedRect(box, 10, 10);
    }
    const QColor ink = isChecked() ? QColor(Qt::white) : QColor(255, 255, 255, 150);

    const QSize symbol(symbolSize, symbolSize);
    const QPointF symbolAt(box.center().x() - symbolSize / 2.0, box.top() + 6);
    painter.drawImage(symbolAt, Symbols::tinted(HubTabs::symbol(m_tab), ink, symbol, devicePixelRatioF()));

    painter.setPen(ink);
    painter.setFont(font());
    painter.drawText(QRectF(box.left(), symbolAt.y() + symbolSize + 2, box.width(), fontMetrics().height()),
                     Qt::AlignHCenter | Qt::AlignTop, text());

    const QPointF corner(symbolAt.x() + symbolSize + 1, symbolAt.y() - 1);
    if (m_dot) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(*m_dot);
        painter.drawEllipse(QRectF(corner.x() - dotSize / 2, corner.y(), dotSize, dotSize));
    }
    if (m_badge > 0) {
        QFont digits = font();
        digits.setPixelSize(9);
        digits.setBold(true);
        digits.setStyleHint(QFont::Monospace);
        const QString count = QString::number(m_badge);
        const double width = std::max(14.0, QFontMetricsF(digits).horizontalAdvance(count) + 8);
        const QRectF pill(corner.x() - 4, corner.y() - 2, width, 13);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(255, 255, 255, 225));
        painter.drawRoundedRect(pill, 6.5, 6.5);
        painter.setPen(Qt::black);
        painter.setFont(digits);
        painter.drawText(pill, Qt::AlignCenter, count);
    }
}
