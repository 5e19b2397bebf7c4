#pragma once

#include "Tutorial.h"

#include <QWidget>

// The welcome window's picture: a sketch of the top of the screen with the
// housing, showing what the current step is about.
class NotchSketch : public QWidget {
    Q_OBJECT
public:
    explicit NotchSketch(QWidget *parent = nullptr);

    void setStep(Tutorial::Step step);
    QSize sizeHint() const override { return {300, 150}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Tutorial::Step m_step = Tutorial::Step::Camera;
};
