#pragma once

#include "SensorTile.h"

#include <QFrame>

#include <functional>

class QHBoxLayout;
class QLabel;
class QPushButton;

// One sensor's tile: its symbol and title, who uses it (names and app icons),
// and a button that asks the first of them to quit.
class SensorTileView : public QFrame {
    Q_OBJECT
public:
    static constexpr int fixedWidth = 330;

    // `quit` is asked to end the process it is given; `ownPid` never gets a button.
    SensorTileView(Sensor sensor, qint32 ownPid, std::function<void(qint32)> quit, QWidget *parent = nullptr);

    void setTile(const SensorTile &tile);

    QString status() const;
    // Present while a user is offered for quitting.
    QPushButton *quitButton() const;
    // The users whose icons are shown, in order.
    QList<QLabel *> userIcons() const { return m_userIcons; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    qint32 m_ownPid;
    std::function<void(qint32)> m_quit;
    SensorTile m_tile;
    QLabel *m_symbol;
    QLabel *m_status;
    QHBoxLayout *m_usersRow;
    QList<QLabel *> m_userIcons;
    QPushButton *m_quitButton;
    qint32 m_quitPid = 0;
};
