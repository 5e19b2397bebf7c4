#include "Windows.h"

#include "DefaultsStore.h"
#include "MainMenu.h"
#include "TarnwickWindow.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>

Windows::Windows(MenuActions actions, DefaultsStore &frames, QObject *parent)
    : QObject(parent)
    , m_actions(std::move(actions))
    , m_frames(frames)
{}

Windows::~Windows()
{
    for (const QPointer<QMainWindow> &window : std::as_const(m_open)) {
        if (window)
            keepFrame(*window);
        delete window.data();
    }
}

QString Windows::frameKey(const QString &id)
{
    return QStringLiteral("Tarnwick.") + id;
}

// Qt's own geometry record brings a window back onto a screen that still
// exists; anything it cannot read leaves the window centred.
void Windows::placeNew(QMainWindow &window, const QString &id)
{
    const QByteArray frame = QByteArray::fromBase64(m_frames.stringValue(frameKey(id)).toLatin1(),
                                                    QByteArray::AbortOnBase64DecodingErrors);
    if (!frame.isEmpty() && window.restoreGeometry(frame))
        return;
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect centred(QPoint(), window.size());
        centred.moveCenter(screen->availableGeometry().center());
        window.move(centred.topLeft());
    }
}

void Windows::keepFrame(const QMainWindow &window)
{
    m_frames.setValue(frameKey(window.objectName()), QString::fromLatin1(window.saveGeometry().toBase64()));
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
        placeNew(*window, kind.id);
        window->installEventFilter(this);
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

bool Windows::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Close) {
        if (const auto *window = qobject_cast<QMainWindow *>(watched))
            keepFrame(*window);
    }
    return QObject::eventFilter(watched, event);
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
