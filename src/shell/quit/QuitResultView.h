#pragma once

#include <QWidget>

class QuitModel;
class Quitter;

// How a quit run ended: the memory freed and what closed, the apps still
// open with a way to show each and to force it to quit, and "Done".
class QuitResultView : public QWidget {
    Q_OBJECT
public:
    QuitResultView(QuitModel &model, Quitter &quitter, QWidget *parent = nullptr);

private:
    void rebuild();

    QuitModel &m_model;
    Quitter &m_quitter;
    QWidget *m_content = nullptr;
};
