#pragma once

#include <QFrame>

// How the switch works, in a few lines: shown over the privacy section next
// to the button that asked for it.
class WhyView : public QFrame {
    Q_OBJECT
public:
    static constexpr int fixedWidth = 340;

    explicit WhyView(QWidget *parent = nullptr);

    // The heading and the lines, in order.
    static QStringList texts();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
};
