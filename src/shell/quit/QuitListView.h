#pragma once

#include <QWidget>

class BigButton;
class QButtonGroup;
class QLabel;
class QListView;
class QuitModel;

// The quit list: the preset picker, what the preset does, one row per
// running application and the button that quits the ticked ones.
class QuitListView : public QWidget {
    Q_OBJECT
public:
    explicit QuitListView(QuitModel &model, QWidget *parent = nullptr);

    BigButton *quitButton() const { return m_button; }
    QListView *list() const { return m_list; }

private:
    void refresh();

    QuitModel &m_model;
    QButtonGroup *m_presets;
    QLabel *m_explanation;
    QLabel *m_empty;
    QListView *m_list;
    BigButton *m_button;
};
