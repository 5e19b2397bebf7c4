#include "ShelfGrid.h"

#include "FileManager.h"
#include "HubPanelRules.h"
#include "ShelfCellDelegate.h"
#include "ShelfListModel.h"
#include "ShelfStore.h"
#include "Text.h"
#include "Thumbnails.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QScrollBar>
#include <QTimer>

ShelfGrid::ShelfGrid(ShelfStore &store, Thumbnails &thumbnails, HubPanelRules &rules, FileManager &files,
                     QWidget *parent)
    : QListView(parent)
    , m_store(store)
    , m_thumbnails(thumbnails)
    , m_rules(rules)
    , m_files(files)
{
    setViewMode(QListView::IconMode);
    setFlow(QListView::LeftToRight);
    setWrapping(true);
    setResizeMode(QListView::Adjust);
    setMovement(QListView::Static);
    setUniformItemSizes(true);
    setSpacing(3); // 6 between cells
    setViewportMargins(1, 1, 1, 1);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setDefaultDropAction(Qt::CopyAction);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalScrollBar()->setSingleStep(20);
    QPalette clear = palette();
    clear.setColor(QPalette::Base, Qt::transparent);
    setPalette(clear);
    viewport()->setAutoFillBackground(false);
    setItemDelegate(new ShelfCellDelegate(
        thumbnails, [this](const QModelIndex &index) { shown(index); }, this));
    connect(&thumbnails, &Thumbnails::ready, this, [this](const QUuid &id) {
        const int row = m_store.row(id);
        if (row >= 0 && model())
            update(model()->index(row, 0));
    });
}

QSet<QUuid> ShelfGrid::selectedIds() const
{
    QSet<QUuid> ids;
    for (const QModelIndex &index : selectionModel()->selectedIndexes())
        ids.insert(index.data(ShelfListModel::IdRole).toUuid());
    return ids;
}

void ShelfGrid::shown(const QModelIndex &index)
{
    const QUuid id = index.data(ShelfListModel::IdRole).toUuid();
    if (m_seen.contains(id))
        return;
    m_seen.insert(id);
    if (m_toLookUp.isEmpty())
        QTimer::singleShot(0, this, &ShelfGrid::lookUpShown);
    m_toLookUp.append(id);
}

void ShelfGrid::lookUpShown()
{
    // After the paint: a lookup may change rows, which a paint must not see.
    const QList<QUuid> ids = std::exchange(m_toLookUp, {});
    for (const QUuid &id : ids) {
        if (const std::optional<QByteArray> path = m_store.locate(id))
            m_thumbnails.request(id, *path, devicePixelRatioF());
    }
}

void ShelfGrid::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) {
        const QSet<QUuid> ids = selectedIds();
        if (!ids.isEmpty())
            m_store.remove(ids);
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

QMenu *ShelfGrid::menuFor(const QSet<QUuid> &ids)
{
    auto *menu = new QMenu(this);
    menu->addAction(Text::tr("Show in Files"), this, [this, ids] { m_files.reveal(m_store.paths(ids)); });
    menu->addAction(Text::tr("Open"), this, [this, ids] {
        for (const QByteArray &path : m_store.paths(ids))
            m_files.open(path);
    });
    menu->addSeparator();
    menu->addAction(Text::tr("Remove from Shelf"), this, [this, ids] { m_store.remove(ids); });
    return menu;
}

void ShelfGrid::contextMenuEvent(QContextMenuEvent *event)
{
    const QModelIndex index = indexAt(event->pos());
    if (!index.isValid())
        return;
    if (!selectionModel()->isSelected(index))
        selectionModel()->select(index, QItemSelectionModel::ClearAndSelect);
    QMenu *menu = menuFor(selectedIds());
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // The menu is a window of its own; the pointer on it has not left the hub.
    m_rules.beginBusy();
    connect(menu, &QMenu::aboutToHide, this, [this] { m_rules.endBusy(); });
    menu->popup(event->globalPos());
}

void ShelfGrid::startDrag(Qt::DropActions supportedActions)
{
    // The drag runs its own event loop until the drop; the hub stays meanwhile.
    m_rules.beginBusy();
    QListView::startDrag(supportedActions);
    m_rules.endBusy();
}
