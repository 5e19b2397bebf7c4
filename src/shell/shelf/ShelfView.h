#pragma once

#include <QWidget>

class FileManager;
class HubPanelRules;
class HubState;
class QLabel;
class QPushButton;
class QStackedLayout;
class ShelfGrid;
class ShelfListModel;
class ShelfStore;
class Thumbnails;

// The hub's shelf: the grid with its bar (Drag All, Move All, Copy All,
// Remove Not Found, the count, Clear Shelf) and a hint, or, with nothing on
// the shelf, an invitation to drop files. While a drop hovers over the hub
// an outline shows where it lands. Made afresh for every opening, so its
// pictures never outlive one.
class ShelfView : public QWidget {
    Q_OBJECT
public:
    ShelfView(ShelfStore &store, HubState &state, HubPanelRules &rules, FileManager &files,
              QWidget *parent = nullptr);
    ~ShelfView() override;

    ShelfGrid *grid() const { return m_grid; }
    QPushButton *removeMissingButton() const { return m_removeMissing; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    enum class Batch { Copy, Move };
    QWidget *makeEmptyState();
    QWidget *makeContent();
    void refresh();
    void chooseFolder(Batch batch);

    ShelfStore &m_store;
    HubState &m_state;
    HubPanelRules &m_rules;
    Thumbnails *m_thumbnails;
    ShelfListModel *m_model;
    QStackedLayout *m_pages;
    ShelfGrid *m_grid = nullptr;
    QPushButton *m_removeMissing = nullptr;
    QLabel *m_count = nullptr;
    FileManager &m_files;
};
