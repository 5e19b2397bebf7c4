#pragma once

#include <QPushButton>

// The wide green button of the quit section: white semibold text on a
// rounded green bar, grey while disabled.
class BigButton : public QPushButton {
    Q_OBJECT
public:
    explicit BigButton(QWidget *parent = nullptr);
};
