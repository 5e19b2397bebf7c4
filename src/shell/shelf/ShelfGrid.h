#pragma once

#include <QListView>
#include <QSet>
#include <QUuid>

class FileManager;
class HubPanelRules;
class ShelfStore;
class Thumbnails;

// The grid of shelved files: several can be selected, dragged out to other
// applications (the hub stays open meanwhile), removed with Delete or
// Backspace, and shown, opened or removed from a right-click menu.
class ShelfGrid : public QListView {
    Q_OBJECT
public:
    ShelfGrid(ShelfStore &store, Thumbnails &thumbnails, HubPanelRules &rules, FileManager &files,
              QWidget *parent = nullptr);

    // The selected entries.
    QSet<QUuid> selectedIds() const;
    // The right-click menu for `ids`; the caller owns it.
    QMenu *menuFor(const QSet<QUuid> &ids);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void startDrag(Qt::DropActions supportedActions) override;

private:
    void shown(const QModelIndex &index);
    void lookUpShown();

    ShelfStore &m_store;
    Thumbnails &m_thumbnails;
    HubPanelRules &m_rules;
    FileManager &m_files;
    // Entries drawn this opening; each is looked for once, after the paint.
    QSet<QUuid> m_seen;
    QList<QUuid> m_toLookUp;
};
