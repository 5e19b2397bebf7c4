#include "HistoryWindow.h"

#include "HistoryView.h"
#include "Text.h"

HistoryWindow::HistoryWindow(SensorHistory &history)
    : m_history(history)
{}

HistoryWindow::~HistoryWindow()
{
    delete m_view.data();
}

void HistoryWindow::show()
{
    if (!m_view) {
        m_view = new HistoryView(m_history);
        m_view->setAttribute(Qt::WA_DeleteOnClose);
        m_view->setWindowTitle(Text::tr("Camera & Microphone History"));
        m_view->resize(620, 460);
    }
    m_view->show();
    m_view->raise();
    m_view->activateWindow();
}

HistoryView *HistoryWindow::view() const
{
    return m_view;
}
