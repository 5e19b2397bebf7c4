#include "HubWindow.h"

#include "HubStyle.h"
#include "HubView.h"
#include "Text.h"
#include "WindowSystem.h"
#include "X11Overlay.h"

#include <QDragEnterEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QWindow>

HubWindow::HubWindow(HubView *view, bool flatTop)
    : QWidget(nullptr,
              Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | WindowSystem::overlayFlags())
    , m_view(view)
    , m_flatTop(flatTop)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(Text::tr("Tarnwick"));
    setAcceptDrops(true);
    // The hub is dark whatever the desktop's colour scheme.
    setPalette(HubStyle::palette());
    view->setParent(this);
    view->move(0, 0);
    setFixedSize(view->size());
}

void HubWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    QWindow *window = windowHandle();
    if (!window)
        return;
    window->installEventFilter(this);
    X11Overlay::keepOutOfTaskbar(*window);
    // Without a compositor the clear corners would show black.
    if (X11Overlay::lacksCompositor())
        setMask(QRegion(HubView::outline(size(), m_flatTop).toFillPolygon().toPolygon()));
}

bool HubWindow::eventFilter(QObject *watched, QEvent *event)
{
    // Shown without the keyboard; a click anywhere in it asks for it.
    if (event->type() == QEvent::MouseButtonPress && watched == windowHandle() && !isActiveWindow())
        windowHandle()->requestActivate();
    return QWidget::eventFilter(watched, event);
}

void HubWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        Q_EMIT escapePressed();
        return;
    }
    QWidget::keyPressEvent(event);
}

void HubWindow::enterEvent(QEnterEvent *event)
{
    QWidget::enterEvent(event);
    Q_EMIT entered();
}

void HubWindow::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    Q_EMIT left();
}

void HubWindow::dragEnterEvent(QDragEnterEvent *event)
{
    // Files dragged out of the shelf never land back on it.
    if (event->source()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    if (!m_dragOver) {
        m_dragOver = true;
        Q_EMIT dragChanged(true);
    }
}

void HubWindow::dragMoveEvent(QDragMoveEvent *event)
{
    if (event->source()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void HubWindow::dragLeaveEvent(QDragLeaveEvent *event)
{
    QWidget::dragLeaveEvent(event);
    if (std::exchange(m_dragOver, false))
        Q_EMIT dragChanged(false);
}

void HubWindow::dropEvent(QDropEvent *event)
{
    event->setDropAction(Qt::CopyAction);
    event->accept();
    if (std::exchange(m_dragOver, false))
        Q_EMIT dragChanged(false);
    Q_EMIT dropped(*event->mimeData());
}
