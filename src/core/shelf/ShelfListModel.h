#pragma once

#include <QAbstractListModel>

class ShelfStore;

// The shelf as a list for views: one row per entry, told of every inserted,
// removed or changed row, never reset for a single change. Dragging rows out
// carries the files that are at their place now as "text/uri-list".
class ShelfListModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role {
        IdRole = Qt::UserRole + 1,
        PathRole,    // QByteArray
        MissingRole, // bool
        OwnCopyRole, // bool
    };

    explicit ShelfListModel(ShelfStore &store, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    Qt::DropActions supportedDragActions() const override;
    QHash<int, QByteArray> roleNames() const override;

    // "file://" URLs of `paths`, percent-encoded byte by byte, one a line:
    // names that are not UTF-8 arrive intact.
    static QByteArray uriList(const QList<QByteArray> &paths);

private:
    ShelfStore &m_store;
};
