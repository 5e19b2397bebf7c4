// Quitting real applications on the rig's desktop: small Qt clients under
// openbox, listed from the window manager's client list, asked to close
// through it, waited for on their pidfds, and forced when they refuse.
#include "LinuxAppProcesses.h"
#include "LinuxProcessDirectory.h"
#include "PoliteTerminator.h"
#include "Quitter.h"
#include "RunningApps.h"
#include "X11AppWindows.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace std::chrono_literals;

namespace {

bool gone(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray text = stat.readAll();
    return text.mid(text.lastIndexOf(')') + 2, 1) == "Z";
}

} // namespace

class TestQuitApps : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_data.isValid());
        const QDir folder(m_data.path());
        QVERIFY(folder.mkpath(QStringLiteral("applications")));
        const QList<QStringList> entries{
            {"org.example.Editor", "Editor", "QuitEditor", "Utility;TextEditor;"},
            {"org.example.Stubborn", "Stubborn", "QuitStubborn", "Game;LogicGame;"},
            {"org.example.Hider", "Hider", "QuitHider", "AudioVideo;Audio;Player;"}};
        for (const QStringList &entry : entries) {
            QFile file(folder.filePath(QStringLiteral("applications/%1.desktop").arg(entry.at(0))));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\nExec=/nonexistent/%2\n"
                                      "StartupWMClass=%3\nCategories=%4\nBroken key without equals\n")
                           .arg(entry.at(1), entry.at(0), entry.at(2), entry.at(3))
                           .toUtf8());
        }
    }

    void listsQuitsAndForces()
    {
        auto directory = std::make_shared<LinuxProcessDirectory>(
            QStringLiteral("/proc"),
            QStringList{QDir(m_data.path()).filePath(QStringLiteral("applications"))});
        X11AppWindows windows;
        const auto processes = std::make_shared<LinuxAppProcesses>(directory);
        RunningApps running(windows, processes, qint32(QCoreApplication::applicationPid()));
        QProcess editor, stubborn, hider;
        start(editor, {"QuitEditor", "2"});
        start(stubborn, {"QuitStubborn", "1", "refuse", "child"});
        start(hider, {"QuitHider", "1", "hide"});
        QVERIFY(stubborn.waitForReadyRead(10000));
        const qint64 stubbornChild = stubborn.readLine().trimmed().toLongLong();
        QVERIFY(stubbornChild > 0);

        // Listed once each, the window's class naming the desktop entry.
        QList<AppEntry> apps;
        QSignalSpy listed(&running, &RunningApps::listed);
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                running.refresh(true);
                if (!listed.wait(5000))
                    return false;
                apps = listed.takeLast().at(0).value<QList<AppEntry>>();
                return apps.size() == 3;
            }(),
            15000);
        QStringList names;
        for (const AppEntry &app : apps) {
            names.append(app.name);
            QVERIFY2(app.memory > 0, qPrintable(app.name));
        }
        names.sort();
        QCOMPARE(names, (QStringList{"Editor", "Hider", "Stubborn"}));
        const auto byName = [&apps](const char *name) {
            return *std::find_if(apps.begin(), apps.end(),
                                 [name](const AppEntry &app) { return app.name == QLatin1String(name); });
        };
        QCOMPARE(byName("Stubborn").pid, qint32(stubborn.processId()));
        QCOMPARE(byName("Stubborn").category, QStringLiteral("games"));

        // The editor closes both windows; the others stay past the limit.
        Quitter quitter(windows);
        quitter.setTimeLimit(1500ms);
        QSignalSpy progress(&quitter, &Quitter::progress);
        QSignalSpy finished(&quitter, &Quitter::finished);
        quitter.quit(apps);
        QVERIFY(finished.wait(10000));
        const auto report = finished.takeFirst().at(0).value<QuitReport>();
        QCOMPARE(report.closed, QList<AppEntry>{byName("Editor")});
        QCOMPARE(report.stillOpen, (QList<AppEntry>{byName("Hider"), byName("Stubborn")}));
        QCOMPARE(progress.size(), 1);
        QTRY_COMPARE(editor.state(), QProcess::NotRunning);

        // Without a window left, the hider gets SIGTERM.
        quitter.quit({byName("Hider")});
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished.takeFirst().at(0).value<QuitReport>().closed.size(), 1);
        QTRY_COMPARE(hider.state(), QProcess::NotRunning);

        // Forcing ends the stubborn one and the process it started.
        QVERIFY(quitter.forceQuit(byName("Stubborn")));
        QTRY_COMPARE(stubborn.state(), QProcess::NotRunning);
        QTRY_VERIFY(gone(stubbornChild));
        QVERIFY(!quitter.forceQuit(byName("Stubborn")));

        // One app by pid, as the privacy tiles and the banner ask: closed through its window.
        QProcess another;
        start(another, {"QuitEditor", "1"});
        const auto anotherShown = [&] {
            const QList<AppWindows::Window> shown = windows.windows();
            return std::any_of(shown.cbegin(), shown.cend(), [&another](const AppWindows::Window &window) {
                return window.pid == another.processId();
            });
        };
        QTRY_VERIFY(anotherShown());
        PoliteTerminator terminator(windows, processes, quitter, qint32(QCoreApplication::applicationPid()));
        terminator.terminate(qint32(another.processId()));
        QTRY_COMPARE(another.state(), QProcess::NotRunning);
        QCOMPARE(another.exitStatus(), QProcess::NormalExit);
    }

private:
    void start(QProcess &process, const QStringList &arguments)
    {
        process.start(QStringLiteral(QUIT_CLIENT), arguments);
        QVERIFY(process.waitForStarted());
    }

    QTemporaryDir m_data;
};

QTEST_MAIN(TestQuitApps)
#include "test_quit_apps.moc"
