#pragma once

#include <QList>
#include <QMouseEvent>
#include <QPoint>
#include <QWidget>

// A plain frameless window that records where it was pressed (global
// coordinates): what lies under an overlay, or a desktop panel's stand-in.
class PressRecorder : public QWidget {
public:
    PressRecorder()
        : QWidget(nullptr, Qt::FramelessWindowHint)
    {}
    QList<QPoint> presses;

protected:
    void mousePressEvent(QMouseEvent *event) override { presses.append(event->globalPosition().toPoint()); }
};
