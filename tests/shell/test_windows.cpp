// The titled windows on a real desktop (Xvfb and openbox): Tarnwick has a
// taskbar entry exactly while one is open, a window asked for twice comes to
// the front once, and each carries the menu bar and comes back where it was
// left. Esc and Ctrl+W are the menu self-check's, which the tray test runs.
#include "DefaultsStore.h"
#include "TarnwickWindow.h"
#include "Windows.h"
#include "X11Taskbar.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>
#include <QTest>

#include <X11/keysym.h>

namespace {

const Windows::Kind settings{QStringLiteral("settings"), QStringLiteral("Tarnwick Settings"), QSize(560, 640),
                             true};
const Windows::Kind welcome{QStringLiteral("welcome"), QStringLiteral("Welcome to Tarnwick"), QSize(520, 480),
                            false};

int taskbarEntries()
{
    return X11Taskbar::entries(QCoreApplication::applicationPid()).value_or(-1);
}

QWidget *field()
{
    return new QLineEdit(QStringLiteral("a line to copy"));
}

} // namespace

class TestWindows : public QObject {
    Q_OBJECT
    DefaultsStore m_frames; // in memory

private Q_SLOTS:
    void initTestCase() { QVERIFY(X11Taskbar::entries(QCoreApplication::applicationPid())); }

    void theTaskbarEntryLastsWhileAWindowIsOpen()
    {
        Windows windows({}, m_frames);
        QCOMPARE(taskbarEntries(), 0);
        QMainWindow *first = windows.show(settings, field);
        QTRY_COMPARE(taskbarEntries(), 1);
        QPointer<QMainWindow> second = windows.show(welcome, field);
        QTRY_COMPARE(taskbarEntries(), 2);
        QVERIFY(second->minimumSize() == second->maximumSize()); // not resizable

        first->close();
        QTRY_VERIFY(!windows.window(settings.id));
        QTRY_COMPARE(taskbarEntries(), 1);
        QVERIFY(windows.anyOpen());
        windows.close(welcome.id);
        QTRY_VERIFY(!second);
        QVERIFY(!windows.anyOpen());
        QTRY_COMPARE(taskbarEntries(), 0);
    }

    void aWindowAskedForTwiceComesToTheFront()
    {
        Windows windows({}, m_frames);
        int made = 0;
        const auto content = [&made] {
            ++made;
            return field();
        };
        QMainWindow *window = windows.show(settings, content);
        QTRY_VERIFY(window->isActiveWindow());
        windows.show(welcome, field);
        QTRY_VERIFY(!window->isActiveWindow());
        window->showMinimized();
        QTRY_VERIFY(window->isMinimized());

        QCOMPARE(windows.show(settings, content), window);
        QCOMPARE(made, 1);
        QTRY_VERIFY(window->isActiveWindow());
        QVERIFY(!window->isMinimized());
        QTRY_COMPARE(taskbarEntries(), 2);
    }

    void aWindowComesBackWhereItWasLeft()
    {
        DefaultsStore frames;
        frames.setValue(QStringLiteral("Tarnwick.settings"), QStringLiteral("not a frame"));
        Windows windows({}, frames);
        QMainWindow *window = windows.show(settings, field);
        QTRY_VERIFY(window->isActiveWindow());
        const QPoint off = window->geometry().center() - window->screen()->availableGeometry().center();
        QVERIFY2(off.manhattanLength() < 40, "a damaged record leaves the window centred");

        const QRect moved = window->geometry().translated(-120, -60).adjusted(0, 0, 40, 30);
        window->setGeometry(moved);
        QTRY_COMPARE(window->geometry(), moved);
        window->close();
        QTRY_VERIFY(!windows.anyOpen());
        window = windows.show(settings, field);
        QTRY_COMPARE(window->geometry(), moved);
    }

    void theMenuBar()
    {
        int hubs = 0;
        MenuActions actions;
        actions.openHub = [&hubs] { ++hubs; };
        Windows windows(actions, m_frames);
        QMainWindow *window = windows.show(settings, field);
        QStringList menus;
        for (const QAction *menu : window->menuBar()->actions())
            menus.append(menu->text());
        QCOMPARE(menus, QStringList({"Tarnwick", "Edit", "Window", "Help"}));
        QTRY_VERIFY(window->isActiveWindow());

        // Edit commands go to the field with the focus.
        auto *line = qobject_cast<QLineEdit *>(window->centralWidget());
        line->setFocus();
        QTRY_VERIFY(line->hasFocus());
        QGuiApplication::clipboard()->clear();
        const auto item = [window](const QString &menu, const QString &title) -> QAction * {
            for (const QAction *top : window->menuBar()->actions()) {
                for (QAction *action : top->menu()->actions()) {
                    if (top->text() == menu && action->text() == title)
                        return action;
                }
            }
            return nullptr;
        };
        item(QStringLiteral("Edit"), QStringLiteral("Select All"))->trigger();
        item(QStringLiteral("Edit"), QStringLiteral("Copy"))->trigger();
        QTRY_COMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("a line to copy"));

        // Ctrl+O is the Window menu's "Open Tarnwick", typed into the window.
        QVERIFY(X11Taskbar::typeKey(XK_o, true));
        QTRY_COMPARE(hubs, 1);
        item(QStringLiteral("Tarnwick"), QStringLiteral("Hide Tarnwick"))->trigger();
        QTRY_VERIFY(window->isMinimized());
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    TestWindows test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_windows.moc"
