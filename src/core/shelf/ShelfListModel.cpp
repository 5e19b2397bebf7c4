#include "ShelfListModel.h"

#include "ShelfStore.h"
#include "Text.h"

#include <QMimeData>

#include <algorithm>

namespace {

// A file name may hold line breaks and other controls; a label shows spaces.
QString shownFileName(const QString &name)
{
    QString shown = name;
    for (QChar &c : shown) {
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    }
    return shown;
}

} // namespace

ShelfListModel::ShelfListModel(ShelfStore &store, QObject *parent)
    : QAbstractListModel(parent)
    , m_store(store)
{
    connect(&store, &ShelfStore::rowsAboutToBeInserted, this,
            [this](int first, int last) { beginInsertRows({}, first, last); });
    connect(&store, &ShelfStore::rowsInserted, this, [this] { endInsertRows(); });
    connect(&store, &ShelfStore::rowsAboutToBeRemoved, this,
            [this](int first, int last) { beginRemoveRows({}, first, last); });
    connect(&store, &ShelfStore::rowsRemoved, this, [this] { endRemoveRows(); });
    connect(&store, &ShelfStore::itemChanged, this, [this](int row) {
        const QModelIndex at = index(row);
        Q_EMIT dataChanged(at, at);
    });
}

int ShelfListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_store.items().size());
}

QVariant ShelfListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const ShelfItem &item = m_store.items().at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return m_store.missing().contains(item.id) ? Text::tr("Not found") : shownFileName(item.name());
    case Qt::ToolTipRole:
        return shownFileName(QString::fromUtf8(item.path));
    case Qt::AccessibleTextRole:
        return shownFileName(item.name());
    case IdRole:
        return item.id;
    case PathRole:
        return item.path;
    case MissingRole:
        return m_store.missing().contains(item.id);
    case OwnCopyRole:
        return item.isOwnCopy;
    default:
        return {};
    }
}

Qt::ItemFlags ShelfListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    // A file that is not found cannot be dragged.
    if (!index.data(MissingRole).toBool())
        flags |= Qt::ItemIsDragEnabled;
    return flags;
}

QStringList ShelfListModel::mimeTypes() const
{
    return {QStringLiteral("text/uri-list")};
}

QMimeData *ShelfListModel::mimeData(const QModelIndexList &indexes) const
{
    QModelIndexList rows = indexes;
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
    QSet<QUuid> ids;
    for (const QModelIndex &index : std::as_const(rows))
        ids.insert(index.data(IdRole).toUuid());
    const QList<QByteArray> paths = m_store.paths(ids);
    if (paths.isEmpty())
        return nullptr;
    auto *mime = new QMimeData;
    mime->setData(QStringLiteral("text/uri-list"), uriList(paths));
    return mime;
}

Qt::DropActions ShelfListModel::supportedDragActions() const
{
    return Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
}

QHash<int, QByteArray> ShelfListModel::roleNames() const
{
    QHash<int, QByteArray> names = QAbstractListModel::roleNames();
    names.insert(IdRole, "id");
    names.insert(PathRole, "path");
    names.insert(MissingRole, "missing");
    names.insert(OwnCopyRole, "ownCopy");
    return names;
}

QByteArray ShelfListModel::uriList(const QList<QByteArray> &paths)
{
    QByteArray list;
    for (const QByteArray &path : paths)
        list += "file://" + path.toPercentEncoding("/") + "\r\n";
    return list;
}
