#pragma once

#include <QAbstractButton>

// The one button that turns camera and microphone off together, or both back
// on: a symbol, a title and a line saying what pressing it does.
class BigSwitch : public QAbstractButton {
    Q_OBJECT
public:
    explicit BigSwitch(QWidget *parent = nullptr);

    // Both are off: the button offers turning them back on.
    void setAllOff(bool allOff);
    bool allOff() const { return m_allOff; }
    QString subtitle() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_allOff = false;
};
