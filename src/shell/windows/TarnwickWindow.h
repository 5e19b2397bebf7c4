#pragma once

#include <QMainWindow>

// A titled Tarnwick window: Esc closes it the way its close button does.
class TarnwickWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit TarnwickWindow(QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
