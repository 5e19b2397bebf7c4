#include "MirrorPicture.h"

#include "HubStyle.h"
#include "Symbols.h"

#include <QPainter>
#include <QPainterPath>

MirrorPicture::MirrorPicture(QString note, QWidget *parent)
    : QWidget(parent)
    , m_note(std::move(note))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void MirrorPicture::show(const QImage &frame)
{
    m_frame = frame.mirrored(true, false);
    update();
}

void MirrorPicture::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QPainterPath frame;
    frame.addRoundedRect(QRectF(rect()), 12, 12);
    painter.fillRect(rect(), HubStyle::palette().window());
    painter.setClipPath(frame);
    painter.fillRect(rect(), Qt::black);
    if (!m_frame.isNull()) {
        // Fill, keeping proportions: what does not fit is cut off evenly.
        QSizeF size = QSizeF(m_frame.size());
        size.scale(QSizeF(this->size()), Qt::KeepAspectRatioByExpanding);
        const QRectF target(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), size);
        painter.drawImage(target, m_frame);
    }

    // The note: a dark pill at the bottom with a lock before the words.
    const QFont font = HubStyle::font(this->font(), 11);
    painter.setFont(font);
    const QFontMetrics metrics(font);
    constexpr int icon = 12;
    constexpr int pad = 8;
    const int textWidth = metrics.horizontalAdvance(m_note);
    const QRect pill(
        QPoint((width() - (textWidth + icon + 3 * pad)) / 2, height() - metrics.height() - 2 * pad - 10),
        QSize(textWidth + icon + 3 * pad, metrics.height() + pad));
    QPainterPath pillPath;
    pillPath.addRoundedRect(QRectF(pill), pill.height() / 2.0, pill.height() / 2.0);
    painter.fillPath(pillPath, QColor(0, 0, 0, 150));
    const QRect iconRect(pill.left() + pad, pill.center().y() - icon / 2, icon, icon);
    painter.drawImage(iconRect, Symbols::tinted(QStringLiteral("lock.fill"), Qt::white, iconRect.size(),
                                                painter.device()->devicePixelRatioF()));
    painter.setPen(Qt::white);
    painter.drawText(QRect(iconRect.right() + pad, pill.top(), textWidth + pad, pill.height()),
                     Qt::AlignVCenter | Qt::AlignLeft, m_note);
    painter.end();
    Q_EMIT painted();
}
