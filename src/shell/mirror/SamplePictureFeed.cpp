#include "SamplePictureFeed.h"

#include <QLinearGradient>
#include <QPainter>

#include <cmath>

SamplePictureFeed::SamplePictureFeed(QObject *parent)
    : CameraFeed(parent)
{
    m_timer.setInterval(33);
    connect(&m_timer, &QTimer::timeout, this, &SamplePictureFeed::next);
}

void SamplePictureFeed::start()
{
    if (m_timer.isActive())
        return;
    m_timer.start();
    next();
}

void SamplePictureFeed::stop()
{
    m_timer.stop();
}

void SamplePictureFeed::next()
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient wall(0, 0, 0, size.height());
    wall.setColorAt(0, QColor(92, 112, 138));
    wall.setColorAt(1, QColor(52, 60, 74));
    painter.fillRect(image.rect(), wall);
    const double sway = 14 * std::sin(m_frame++ / 30.0);
    const QPointF head(size.width() / 2.0 + sway, size.height() * 0.42);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(214, 176, 150));
    painter.drawEllipse(head, 58, 70);
    painter.setBrush(QColor(40, 44, 52));
    painter.drawRoundedRect(QRectF(head.x() - 150, head.y() + 88, 300, 200), 90, 90);
    painter.setBrush(QColor(220, 40, 40));
    painter.drawRect(QRectF(0, 0, 24, size.height()));
    painter.end();
    Q_EMIT frame(image);
}
