#include "DragAllHandle.h"

#include "HubPanelRules.h"
#include "ShelfListModel.h"
#include "Text.h"

#include <QApplication>
#include <QDrag>
#include <QIcon>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

DragAllHandle::DragAllHandle(std::function<QList<QByteArray>()> paths, HubPanelRules &rules, QWidget *parent)
    : QWidget(parent)
    , m_paths(std::move(paths))
    , m_rules(rules)
{
    setFixedSize(handleSize);
    setCursor(Qt::OpenHandCursor);
    setAccessibleName(Text::tr("Drag all files"));
    setToolTip(Text::tr("Drag every file on the shelf at once"));
}

void DragAllHandle::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), 7, 7);
    painter.fillPath(shape, QColor(255, 255, 255, 36));
    QFont label = font();
    label.setPixelSize(12);
    painter.setFont(label);
    painter.setPen(Qt::white);
    painter.drawText(rect(), Qt::AlignCenter, Text::tr("Drag All"));
}

void DragAllHandle::mousePressEvent(QMouseEvent *event)
{
    m_pressedAt = event->position().toPoint();
}

QPixmap DragAllHandle::pile(int count) const
{
    // The first file's icon on top of up to four more, each a little offset.
    const int shown = std::min(count, 5);
    const int step = 4;
    const qreal ratio = devicePixelRatioF();
    QPixmap pixmap(QSize(48 + step * (shown - 1), 48 + step * (shown - 1)) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    const QIcon generic = QIcon::fromTheme(QStringLiteral("text-x-generic"));
    for (int i = shown - 1; i >= 0; --i)
        generic.paint(&painter, QRect(step * i, step * (shown - 1 - i), 48, 48));
    return pixmap;
}

void DragAllHandle::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton) ||
        (event->position().toPoint() - m_pressedAt).manhattanLength() < QApplication::startDragDistance())
        return;
    const QList<QByteArray> paths = m_paths();
    if (paths.isEmpty())
        return;
    auto *drag = new QDrag(this);
    auto *mime = new QMimeData;
    mime->setData(QStringLiteral("text/uri-list"), ShelfListModel::uriList(paths));
    drag->setMimeData(mime);
    drag->setPixmap(pile(int(paths.size())));
    drag->setHotSpot(QPoint(24, 24));
    m_rules.beginBusy();
    drag->exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::CopyAction);
    m_rules.endBusy();
}
