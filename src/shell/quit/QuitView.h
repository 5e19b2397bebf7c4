#pragma once

#include <QWidget>

class QStackedLayout;
class QuitListView;
class QuitModel;
class QuitResultView;
class Quitter;

// The quit section: the list, or the result of the last run until "Done".
class QuitView : public QWidget {
    Q_OBJECT
public:
    QuitView(QuitModel &model, Quitter &quitter, QWidget *parent = nullptr);

    QuitListView *listView() const { return m_list; }
    QuitResultView *resultView() const { return m_result; }

private:
    void showPhase();

    QuitModel &m_model;
    QStackedLayout *m_stack;
    QuitListView *m_list;
    QuitResultView *m_result;
};
