// The real tarnwick binary on the rig's desktop: its icon reaches the tray,
// SIGTERM ends it cleanly (and at once, whatever camera attribution is
// waiting for), a second launch leaves the first alone, and a crash does not
// keep it from starting again.
#include "ChildProcess.h"
#include "PrivateTarnwick.h"
#include "RequiredService.h"
#include "XDisplay.h"
#include "XDoTool.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonObject>
#include <QJsonValue>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <sys/stat.h>
#include <sys/sysmacros.h>

constexpr int startTimeoutMs = 20000;
constexpr int endTimeoutMs = 10000;
// An attribution that is not cancelled waits for two pw-dump runs of 3 s
// each and a second between them.
constexpr int uncancelledAttributionMs = 7000;

// Waits until the launch's icon is the tray's only one (an icon of an
// earlier launch may take a while to go on a busy machine); a launch that
// ends on the way fails at once.
#define AWAIT_TRAY_ICON(process)                                                                             \
    do {                                                                                                     \
        QTRY_VERIFY_WITH_TIMEOUT((process).state() == QProcess::NotRunning ||                                \
                                     m_x.trayIconPids() == QList<qint64>{(process).processId()},             \
                                 startTimeoutMs);                                                            \
        /* the icon can show before QProcess has read that the program started */                            \
        QVERIFY((process).state() != QProcess::NotRunning);                                                  \
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

    // The hub's window: as wide as no other of Tarnwick's.
    int hubWindows() { return m_x.windowsTitled("Tarnwick", 700); }

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
    void cleanup()
    {
        m_app.reset();
        // The tray lets go of the icons of killed launches in its own time.
        QTRY_VERIFY_WITH_TIMEOUT(m_x.trayIconPids().isEmpty(), endTimeoutMs);
    }

    // A crash leaves the socket file behind; it must not keep Tarnwick from
    // starting again. SIGTERM then ends it cleanly and its icon goes.
    void aLaunchAfterACrashReachesTheTrayAndSigtermEndsIt()
    {
        QProcess &crashed = m_app->launch();
        AWAIT_TRAY_ICON(crashed);
        crashed.kill();
        QTRY_COMPARE_WITH_TIMEOUT(crashed.state(), QProcess::NotRunning, endTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(m_x.trayIconPids().isEmpty(), endTimeoutMs);

        QProcess &tarnwick = m_app->launch();
        AWAIT_TRAY_ICON(tarnwick);
        tarnwick.terminate();
        AWAIT_END(tarnwick);
        QTRY_VERIFY_WITH_TIMEOUT(m_x.trayIconPids().isEmpty(), endTimeoutMs);
    }

    // A plain click on the icon opens the hub and the next one closes it,
    // however soon it follows (the tray then reports a double click).
    void aClickOnTheIconTogglesTheHub()
    {
        QProcess &tarnwick = m_app->launch();
        AWAIT_TRAY_ICON(tarnwick);
        const std::optional<QPoint> icon = m_x.trayIconCentre(tarnwick.processId());
        QVERIFY(icon);
        QCOMPARE(hubWindows(), 0);
        QVERIFY(XDoTool::click(*icon));
        QTRY_COMPARE(hubWindows(), 1);
        QVERIFY(XDoTool::click(*icon));
        QTRY_COMPARE(hubWindows(), 0);

        // A second launch opens it and ends, leaving the first (and nothing else) running.
        QProcess &second = m_app->launch();
        AWAIT_END(second);
        QTRY_COMPARE(hubWindows(), 1);
        QCOMPARE(m_app->runningPids(), QList<qint64>{tarnwick.processId()});
        QCOMPARE(m_x.trayIconPids(), QList<qint64>{tarnwick.processId()});
        const QString shot = QCoreApplication::applicationDirPath() + QStringLiteral("/test_tray-hub.png");
        QCOMPARE(QProcess::execute(QStringLiteral("import"),
                                   {QStringLiteral("-window"), QStringLiteral("root"), shot}),
                 0);
    }

    // The menu check drives the real menus and windows with real keys: every
    // statement holds, none is weakened by a note.
    void theMenuCheckPasses()
    {
        const QString report = m_app->filePath(QStringLiteral("menus.txt"));
        QProcess &check = m_app->launch({QStringLiteral("--check-menus"), report});
        AWAIT_END(check);
        const QStringList lines = PrivateTarnwick::lines(report);
        QCOMPARE(lines.filter(QStringLiteral("note:")), QStringList());
        QCOMPARE(lines.filter(QRegularExpression(QStringLiteral("^ok "))).size(), 15);
        QCOMPARE(lines.last(), QStringLiteral("ok"));
    }

    // The tutorial check presses the welcome window's buttons: every
    // statement holds, and the history file is never written.
    void theTutorialCheckPasses()
    {
        const QString report = m_app->filePath(QStringLiteral("tutorial.txt"));
        QProcess &check = m_app->launch({QStringLiteral("--check-tutorial"), report});
        AWAIT_END(check);
        const QStringList lines = PrivateTarnwick::lines(report);
        QCOMPARE(lines.filter(QRegularExpression(QStringLiteral("^(FAIL|note)"))), QStringList());
        QCOMPARE(lines.filter(QRegularExpression(QStringLiteral("^ok "))).size(), 15);
        QCOMPARE(lines.last(), QStringLiteral("ok"));
        QVERIFY(!QFile::exists(m_app->filePath(QStringLiteral("data/history.json"))));
        QCOMPARE(m_app->settings().value(QStringLiteral("TutorialSeen")), QJsonValue(true));
    }

    // Attribution asks pw-dump who consumes a camera the PipeWire daemon
    // holds; one that never answers must not hold up quitting, nor outlive it.
    void quitsAtOnceWhileAttributionWaitsForAHungPwDump()
    {
        QTemporaryDir dir;
        const QString node = dir.filePath(QStringLiteral("video0"));
        const QString dumpPidFile = dir.filePath(QStringLiteral("pw-dump.pid"));
        REQUIRE_SERVICE(mknod(QFile::encodeName(node).constData(), S_IFCHR | 0666, makedev(1, 7)) == 0,
                        "mknod (needs root)");
        QFile dump(dir.filePath(QStringLiteral("pw-dump")));
        QVERIFY(dump.open(QIODevice::WriteOnly));
        dump.write("#!/bin/sh\necho $$ > '" + QFile::encodeName(dumpPidFile) + "'\nexec sleep 600\n");
        dump.close();
        QVERIFY(dump.setPermissions(QFile::ReadOwner | QFile::ExeOwner));
        // The node held under the daemon's name.
        const QString daemon = dir.filePath(QStringLiteral("pipewire"));
        QVERIFY(QFile::copy(QStringLiteral(DEVICE_HOLDER), daemon));

        QProcessEnvironment &env = m_app->environment();
        env.insert(QStringLiteral("TARNWICK_CAMERA_DEVICES"), dir.path());
        env.insert(QStringLiteral("PATH"), dir.path() + QLatin1Char(':') + env.value(QStringLiteral("PATH")));
        QProcess &tarnwick = m_app->launch();
        AWAIT_TRAY_ICON(tarnwick);
        ChildProcess pipewire(daemon, {node});
        QVERIFY(pipewire.nextLine().startsWith("open"));
        QTRY_VERIFY_WITH_TIMEOUT(!PrivateTarnwick::lines(dumpPidFile).isEmpty(), startTimeoutMs);
        const QString dumpPid = PrivateTarnwick::lines(dumpPidFile).constFirst();

        QElapsedTimer quitting;
        quitting.start();
        tarnwick.terminate();
        AWAIT_END(tarnwick);
        QVERIFY2(quitting.elapsed() < uncancelledAttributionMs - 2000,
                 qPrintable(QString::number(quitting.elapsed())));
        QVERIFY(!QFileInfo::exists(QStringLiteral("/proc/") + dumpPid));
    }
};

QTEST_GUILESS_MAIN(TestTray)
#include "test_tray.moc"
