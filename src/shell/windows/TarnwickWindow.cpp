#include "TarnwickWindow.h"

#include <QKeyEvent>

TarnwickWindow::TarnwickWindow(QWidget *parent)
    : QMainWindow(parent)
{}

void TarnwickWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QMainWindow::keyPressEvent(event);
}
