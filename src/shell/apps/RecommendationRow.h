#pragma once

#include <QFrame>

class QPushButton;
class QToolButton;
struct OrvaneApp;

// A sibling application that is not installed: its picture, name and
// tagline, a link to its web site and a way to stop recommending it.
class RecommendationRow : public QFrame {
    Q_OBJECT
public:
    explicit RecommendationRow(const OrvaneApp &app, QWidget *parent = nullptr);

    QPushButton *websiteButton() const { return m_website; }
    QToolButton *dismissButton() const { return m_dismiss; }

Q_SIGNALS:
    void websiteClicked();
    void dismissClicked();

private:
    QPushButton *m_website;
    QToolButton *m_dismiss;
};
