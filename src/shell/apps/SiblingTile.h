#pragma once

#include <QFrame>

class QPushButton;
struct InstalledApp;

// An installed sibling application: its own icon, its name, and the button
// that opens it.
class SiblingTile : public QFrame {
    Q_OBJECT
public:
    SiblingTile(const QString &name, const InstalledApp &installed, bool running, QWidget *parent = nullptr);

    QPushButton *openButton() const { return m_open; }

Q_SIGNALS:
    void openClicked();

private:
    QPushButton *m_open;
};
