// Which Qt platform Tarnwick asks for, from the session it starts in.
#include "WindowSystem.h"

#include <QTest>

class TestWindowSystem : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void platformFor_data()
    {
        QTest::addColumn<QStringList>("variables");
        QTest::addColumn<QByteArray>("platform");
        QTest::newRow("X11 session") << QStringList{"XDG_SESSION_TYPE=x11", "DISPLAY=:0"} << QByteArray();
        QTest::newRow("Wayland with XWayland")
            << QStringList{"XDG_SESSION_TYPE=wayland", "WAYLAND_DISPLAY=wayland-0", "DISPLAY=:0"}
            << QByteArray("xcb");
        QTest::newRow("a compositor named, no session type")
            << QStringList{"WAYLAND_DISPLAY=wayland-0", "DISPLAY=:1"} << QByteArray("xcb");
        QTest::newRow("Wayland without XWayland")
            << QStringList{"XDG_SESSION_TYPE=wayland", "WAYLAND_DISPLAY=wayland-0"} << QByteArray();
        QTest::newRow("an empty X display")
            << QStringList{"XDG_SESSION_TYPE=wayland", "DISPLAY="} << QByteArray();
        QTest::newRow("the user's choice")
            << QStringList{"XDG_SESSION_TYPE=wayland", "DISPLAY=:0", "QT_QPA_PLATFORM=wayland"}
            << QByteArray();
        QTest::newRow("an empty choice is none")
            << QStringList{"XDG_SESSION_TYPE=wayland", "DISPLAY=:0", "QT_QPA_PLATFORM="} << QByteArray("xcb");
        QTest::newRow("nothing at all") << QStringList{} << QByteArray();
    }
    void platformFor()
    {
        QFETCH(QStringList, variables);
        QFETCH(QByteArray, platform);
        QProcessEnvironment env;
        for (const QString &variable : variables)
            env.insert(variable.section(QLatin1Char('='), 0, 0), variable.section(QLatin1Char('='), 1));
        QCOMPARE(WindowSystem::platformFor(env), platform);
    }
};

QTEST_GUILESS_MAIN(TestWindowSystem)
#include "test_window_system.moc"
