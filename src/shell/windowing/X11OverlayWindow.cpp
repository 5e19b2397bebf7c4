#include "X11OverlayWindow.h"

#include "X11Overlay.h"

#include <QWidget>
#include <QWindow>

X11OverlayWindow::X11OverlayWindow(QWidget &widget)
    : m_widget(widget)
{
    widget.winId();
}

void X11OverlayWindow::setInputRegion(const QRegion &region)
{
    if (QWindow *window = m_widget.windowHandle())
        X11Overlay::setInputRegion(*window, region);
}

void X11OverlayWindow::show()
{
    if (!m_widget.isVisible()) {
        m_widget.show();
        if (QWindow *window = m_widget.windowHandle())
            X11Overlay::keepOutOfTaskbar(*window);
    }
    m_widget.raise();
}

bool X11OverlayWindow::lacksCompositor() const
{
    return X11Overlay::lacksCompositor();
}
