#include "QuitRowDelegate.h"

#include "AppIcon.h"
#include "HubStyle.h"
#include "QuitModel.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

QPixmap QuitRowDelegate::icon(const QString &name, const QString &iconName, int size, qreal devicePixelRatio)
{
    const QPixmap loaded = AppIcon::pixmap(iconName, size, devicePixelRatio);
    if (!loaded.isNull())
        return loaded;
    QPixmap tile(QSize(size, size) * devicePixelRatio);
    tile.setDevicePixelRatio(devicePixelRatio);
    tile.fill(Qt::transparent);
    QPainter painter(&tile);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(90, 90, 96));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(0, 0, size, size), size / 4.0, size / 4.0);
    painter.setPen(Qt::white);
    painter.setFont(HubStyle::font(QApplication::font(), size / 2, QFont::DemiBold));
    painter.drawText(QRectF(0, 0, size, size), Qt::AlignCenter, name.left(1).toUpper());
    return tile;
}

void QuitRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                            const QModelIndex &index) const
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QRect row = option.rect.adjusted(4, 0, -8, 0);
    const bool quits = index.data(QuitModel::WillQuitRole).toBool();

    // The tick: a filled green box when the app closes, an outline when it stays.
    const QRectF box(row.left(), row.center().y() - 7, 14, 14);
    painter->setPen(quits ? Qt::NoPen : QPen(HubStyle::secondary(), 1.2));
    painter->setBrush(quits ? QColor(41, 158, 84) : Qt::NoBrush);
    painter->drawRoundedRect(box.adjusted(0.5, 0.5, -0.5, -0.5), 3.5, 3.5);
    if (quits) {
        painter->setPen(QPen(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        const QPointF tick[] = {box.topLeft() + QPointF(3.5, 7.2), box.topLeft() + QPointF(6, 9.8),
                                box.topLeft() + QPointF(10.5, 4.4)};
        painter->drawPolyline(tick, 3);
    }

    const QString name = index.data(QuitModel::NameRole).toString();
    const qreal ratio = painter->device()->devicePixelRatioF();
    const QRect iconRect(int(box.right()) + 10, row.center().y() - iconSize / 2, iconSize, iconSize);
    painter->drawPixmap(iconRect, icon(name, index.data(QuitModel::IconRole).toString(), iconSize, ratio));

    const QString memory = index.data(QuitModel::MemoryRole).toString();
    painter->setFont(HubStyle::font(option.font, 11));
    painter->setPen(HubStyle::secondary());
    const int memoryWidth = memory.isEmpty() ? 0 : painter->fontMetrics().horizontalAdvance(memory) + 8;
    painter->drawText(row, Qt::AlignRight | Qt::AlignVCenter, memory);

    painter->setFont(HubStyle::font(option.font, 12));
    painter->setPen(quits ? QColor(Qt::white) : HubStyle::secondary());
    const QRect nameRect(iconRect.right() + 8, row.top(), row.right() - iconRect.right() - 8 - memoryWidth,
                         row.height());
    painter->drawText(nameRect, Qt::AlignLeft | Qt::AlignVCenter,
                      painter->fontMetrics().elidedText(name, Qt::ElideRight, nameRect.width()));
    painter->restore();
}

QSize QuitRowDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const
{
    return QSize(200, rowHeight);
}

bool QuitRowDelegate::editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &,
                                  const QModelIndex &index)
{
    const bool click = event->type() == QEvent::MouseButtonRelease &&
                       static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton;
    const bool key =
        event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Space;
    if (!click && !key)
        return false;
    const bool quits = index.data(QuitModel::WillQuitRole).toBool();
    return model->setData(index, quits ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
}
