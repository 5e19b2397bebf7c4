#pragma once

#include <QWidget>

class NotchSketch;
class QLabel;
class QPushButton;
class Tutorial;

// The welcome window's content: one step of the tutorial at a time, with
// buttons to demonstrate it, move on, go back or skip.
class TutorialView : public QWidget {
    Q_OBJECT
public:
    // `hasCutout`: the screen has a housing (the texts point at it, else at the tray icon).
    TutorialView(Tutorial &tutorial, bool hasCutout, QWidget *parent = nullptr);

    QLabel *title() const { return m_title; }
    QLabel *text() const { return m_text; }
    QPushButton *primary() const { return m_primary; }
    QPushButton *skip() const { return m_skip; }
    QPushButton *backButton() const { return m_back; }
    QPushButton *nextButton() const { return m_next; }

private:
    void refresh();
    void primaryClicked();

    Tutorial &m_tutorial;
    bool m_hasCutout;
    QLabel *m_position;
    QPushButton *m_skip;
    NotchSketch *m_sketch;
    QLabel *m_title;
    QLabel *m_text;
    QLabel *m_smallPrint;
    QPushButton *m_back;
    QPushButton *m_next;
    QPushButton *m_primary;
};
