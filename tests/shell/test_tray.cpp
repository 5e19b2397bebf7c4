// The real tarnwick binary on the rig's desktop: its icon reaches the tray,
// SIGTERM ends it cleanly, a second launch leaves the first alone, and a
// crash does not keep it from starting again.
#include "PrivateTarnwick.h"
#include "RequiredService.h"
#include "XDisplay.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTest>

#include <memory>

constexpr int startTimeoutMs = 20000;
constexpr int endTimeoutMs = 10000;

// Waits until the launch's icon is the tray's only one; a launch that ends
// on the way fails at once.
#define AWAIT_TRAY_ICON(process)                                                                             \
    do {                                                                                                     \
        QTRY_VERIFY_WITH_TIMEOUT((process).state() == QProcess::NotRunning ||                                \
                                     m_x.trayIconPids().contains((process).processId()),                     \
                                 startTimeoutMs);                                                            \
        QCOMPARE((process).state(), QProcess::Running);                                                      \
        QCOMPARE(m_x.trayIconPids(), QList<qint64>{(process).processId()});                                  \
    } while (false)

#define AWAIT_END(process)                                                                                   \
    do {                                                                                                     \
        QTRY_COMPARE_WITH_TIMEOUT((process).state(), QProcess::NotRunning, endTimeoutMs);                    \
        QCOMPARE((process).exitStatus(), QProcess::NormalExit);                                              \
        QCOMPARE((process).exitCode(), 0);                                                                   \
    } while (false)

class TestTray : public QObject {
    Q_OBJECT

    XDisplay m_x;
    std::unique_ptr<PrivateTarnwick> m_app;

private Q_SLOTS:
    void initTestCase()
    {
        // It shows a tray icon and photographs the screen: never on the
        // desktop of whoever runs the tests.
        REQUIRE_SERVICE(qgetenv("TARNWICK_RIG") == "1",
                        "the desktop rig (run through scripts/desktop-rig.sh)");
        REQUIRE_SERVICE(m_x.isOpen() && m_x.hasTray(), "an X display with a system tray");
        REQUIRE_SERVICE(!QStandardPaths::findExecutable(QStringLiteral("import")).isEmpty(),
                        "import (ImageMagick)");
        QVERIFY2(QFileInfo(PrivateTarnwick::binary()).isExecutable(), "TARNWICK_BINARY names no program");
    }
    void init() { m_app = std::make_unique<PrivateTarnwick>(); }
    void cleanup() { m_app.reset(); }

    void iconReachesTheTrayAndSigtermEndsCleanly()
    {
        QProcess &tarnwick = m_app->launch();
        AWAIT_TRAY_ICON(tarnwick);

        const QString shot = QCoreApplication::applicationDirPath() + QStringLiteral("/test_tray-screen.png");
        QFile::remove(shot);
        QCOMPARE(QProcess::execute(QStringLiteral("import"),
                                   {QStringLiteral("-window"), QStringLiteral("root"), shot}),
                 0);
        QVERIFY(QFileInfo(shot).size() > 0);

        tarnwick.terminate();
        AWAIT_END(tarnwick);
        QTRY_VERIFY(m_x.trayIconPids().isEmpty());
    }

    void secondLaunchEndsAndLeavesTheFirstRunning()
    {
        QProcess &first = m_app->launch();
        AWAIT_TRAY_ICON(first);
        QProcess &second = m_app->launch();
        AWAIT_END(second);
        // No instance of its own left behind either.
        QCOMPARE(m_app->runningPids(), QList<qint64>{first.processId()});
        QCOMPARE(m_x.trayIconPids(), QList<qint64>{first.processId()});
    }

    // A crash leaves the socket file behind; it must not keep Tarnwick from
    // starting again.
    void launchAfterACrashStarts()
    {
        QProcess &crashed = m_app->launch();
        AWAIT_TRAY_ICON(crashed);
        crashed.kill();
        QTRY_COMPARE_WITH_TIMEOUT(crashed.state(), QProcess::NotRunning, endTimeoutMs);
        QTRY_VERIFY(m_x.trayIconPids().isEmpty());

        QProcess &next = m_app->launch();
        AWAIT_TRAY_ICON(next);
    }
};

QTEST_GUILESS_MAIN(TestTray)
#include "test_tray.moc"
