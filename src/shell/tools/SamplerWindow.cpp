#include "SamplerWindow.h"

#include "HubStyle.h"
#include "Tools.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int loupePixels = 11; // pixels across the loupe, an odd number so one is in the middle
constexpr int loupeSize = 121;  // points across
constexpr int loupeGap = 24;    // from the pointer

} // namespace

SamplerWindow::SamplerWindow(const QRect &screenGeometry, QImage grab, QWidget *parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::BypassWindowManagerHint)
    , m_grab(std::move(grab))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setCursor(Qt::CrossCursor);
    setMouseTracking(true);
    setGeometry(screenGeometry);
    m_pointer = mapFromGlobal(QCursor::pos());
}

void SamplerWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Over every other window, with no window manager to give it focus: Esc must still reach it.
    activateWindow();
    grabKeyboard();
}

QPoint SamplerWindow::devicePixel(QPointF position) const
{
    const double scale = m_grab.width() / std::max(1.0, double(width()));
    return {std::clamp(int(position.x() * scale), 0, m_grab.width() - 1),
            std::clamp(int(position.y() * scale), 0, m_grab.height() - 1)};
}

QColor SamplerWindow::colorAt(QPointF position) const
{
    return m_grab.isNull() ? QColor() : m_grab.pixelColor(devicePixel(position));
}

void SamplerWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawImage(rect(), m_grab);
    if (!rect().contains(m_pointer.toPoint()) || m_grab.isNull())
        return;
    const QPoint centre = devicePixel(m_pointer);
    const QImage around =
        m_grab.copy(centre.x() - loupePixels / 2, centre.y() - loupePixels / 2, loupePixels, loupePixels);
    QRectF loupe(m_pointer + QPointF(loupeGap, loupeGap), QSizeF(loupeSize, loupeSize));
    if (loupe.right() > width())
        loupe.moveRight(m_pointer.x() - loupeGap);
    if (loupe.bottom() + 24 > height())
        loupe.moveBottom(m_pointer.y() - loupeGap - 24);

    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath circle;
    circle.addEllipse(loupe);
    painter.save();
    painter.setClipPath(circle);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(loupe, around);
    const double cell = loupeSize / double(loupePixels);
    painter.setPen(QPen(Qt::white, 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(loupe.center() - QPointF(cell / 2, cell / 2), QSizeF(cell, cell)));
    painter.restore();
    painter.setPen(QPen(QColor(0, 0, 0, 160), 3));
    painter.drawEllipse(loupe);
    painter.setPen(QPen(Qt::white, 1.5));
    painter.drawEllipse(loupe);

    const QColor color = colorAt(m_pointer);
    const QString code = Tools::hex(color.redF(), color.greenF(), color.blueF());
    painter.setFont(HubStyle::font(font(), 12, QFont::DemiBold));
    const QRectF label(loupe.left(), loupe.bottom() + 4, loupe.width(), 20);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 190));
    painter.drawRoundedRect(label, 6, 6);
    painter.setPen(Qt::white);
    painter.drawText(label, Qt::AlignCenter, code);
}

void SamplerWindow::mouseMoveEvent(QMouseEvent *event)
{
    m_pointer = event->position();
    update();
}

void SamplerWindow::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        Q_EMIT picked(colorAt(event->position()));
    else
        Q_EMIT cancelled();
}

void SamplerWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        Q_EMIT cancelled();
    else
        QWidget::keyPressEvent(event);
}
