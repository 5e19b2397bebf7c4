#include "Windows.h"

#include "MainMenu.h"
#include "TarnwickWindow.h"

#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>

Windows::Windows(MenuActions actions, QObject *parent)
    : QObject(parent)
    , m_actions(std::move(actions))
{}

Windows::~Windows()
{
    for (const QPointer<QMainWindow> &window : std::as_const(m_open))
        delete window.data();
}

QMainWindow *Windows::show(const Kind &kind, const std::function<QWidget *()> &content)
{
    QMainWindow *window = m_open.value(kind.id);
    if (!window) {
        window = new TarnwickWindow;
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->setObjectName(kind.id);
        window->setWindowTitle(kind.title);
        MainMenu::build(*window, m_actions, [this] { hideAll(); });
        window->setCentralWidget(content());
        window->resize(kind.size.width(), kind.size.height() + window->menuBar()->sizeHint().height());
        if (kind.resizable)
            window->setMinimumSize(kind.size.width() * 8 / 10, kind.size.height() * 7 / 10);
        else
            window->setFixedSize(window->size());
        if (const QScreen *screen = QGuiApplication::primaryScreen()) {
            QRect frame(QPoint(), window->size());
            frame.moveCenter(screen->availableGeometry().center());
            window->move(frame.topLeft());
        }
        m_open.insert(kind.id, window);
        const QString id = kind.id;
        connect(window, &QObject::destroyed, this, [this, id] {
            m_open.remove(id);
            Q_EMIT closed(id);
        });
        Q_EMIT opened(id);
    }
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

void Windows::close(const QString &id)
{
    if (QMainWindow *window = m_open.value(id))
        window->close();
}

QMainWindow *Windows::window(const QString &id) const
{
    return m_open.value(id);
}

bool Windows::anyOpen() const
{
    return !m_open.isEmpty();
}

void Windows::hideAll()
{
    for (const QPointer<QMainWindow> &window : std::as_const(m_open)) {
        if (window)
            window->showMinimized();
    }
}
