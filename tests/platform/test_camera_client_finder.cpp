// Naming the camera's clients: real processes holding a stand-in node, one of
// them standing in for the PipeWire daemon, and a pw-dump stand-in that
// prints a graph naming real processes as its consumers.

#include "ChildProcess.h"
#include "LinuxCameraClientFinder.h"
#include "LinuxProcessDirectory.h"
#include "RequiredService.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

// Knows one sandboxed app; the finder asks it for nothing else.
class OneSandboxedApp : public LinuxProcessDirectory {
public:
    OneSandboxedApp(QString appId, qint32 pid)
        : m_appId(std::move(appId))
        , m_pid(pid)
    {
    }
    std::optional<RunningApp> runningAppById(const QString &appId) const override
    {
        if (appId != m_appId)
            return std::nullopt;
        return RunningApp{m_pid, QStringLiteral("Camera"), m_appId, false};
    }

private:
    QString m_appId;
    qint32 m_pid;
};

} // namespace

class TestCameraClientFinder : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_root;
    QString path(const QString &name) const { return m_root->filePath(name); }
    QString node() const { return path(QStringLiteral("video0")); }
    CameraNodeScan scan() const { return CameraNodeScan(m_root->path(), CameraNodeScan::NodeCheck::AnyCharacterDevice); }

    std::unique_ptr<ChildProcess> holder(const QString &program = QStringLiteral(DEVICE_HOLDER))
    {
        auto child = std::make_unique<ChildProcess>(program, QStringList{node()});
        if (!child->nextLine().startsWith("open"))
            qWarning("the holder did not open the node");
        return child;
    }

    static std::unique_ptr<ChildProcess> sleeper()
    {
        return std::make_unique<ChildProcess>(QStringLiteral("sleep"), QStringList{QStringLiteral("60")});
    }

    // A PipeWire daemon stand-in: the holder under the daemon's name.
    std::unique_ptr<ChildProcess> daemon()
    {
        const QString copy = path(QStringLiteral("pipewire"));
        QFile::copy(QStringLiteral(DEVICE_HOLDER), copy);
        QFile::setPermissions(copy, QFile::permissions(copy) | QFileDevice::ExeOwner);
        return holder(copy);
    }

    // A pw-dump stand-in printing a fixture, with the camera at the test node
    // and the fixture's pids replaced.
    QString pwDump(const char *fixture, const QList<std::pair<QByteArray, qint32>> &pids)
    {
        QFile in(QStringLiteral(PLATFORM_FIXTURES "/") + QLatin1String(fixture));
        if (!in.open(QIODevice::ReadOnly))
            return {};
        QByteArray json = in.readAll().replace("/dev/video0", QFile::encodeName(node()));
        for (const auto &[from, to] : pids)
            json.replace(from, QByteArray::number(to));
        QFile out(path(QStringLiteral("graph.json")));
        out.open(QIODevice::WriteOnly);
        out.write(json);
        out.close();
        const QString tool = path(QStringLiteral("pw-dump"));
        QFile script(tool);
        script.open(QIODevice::WriteOnly);
        script.write("#!/bin/sh\nexec cat '" + QFile::encodeName(out.fileName()) + "'\n");
        script.close();
        script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
        return tool;
    }

private Q_SLOTS:
    void init()
    {
        m_root = std::make_unique<QTemporaryDir>();
        const bool made = mknod(QFile::encodeName(node()).constData(), S_IFCHR | 0666, makedev(1, 7)) == 0;
        REQUIRE_SERVICE(made, QStringLiteral("mknod (needs root)"));
    }

    void theNewestHolderComesFirst()
    {
        const LinuxProcessDirectory processes;
        const LinuxCameraClientFinder finder(scan(), processes);
        QVERIFY(finder.clients().isEmpty());
        auto older = holder();
        QTest::qWait(20); // start times are counted in ticks of 10 ms
        auto newer = holder();
        QCOMPARE(finder.clients(), (QList<qint32>{newer->pid(), older->pid()}));
    }

    void behindPipeWireTheConsumersAreTheClients()
    {
        const LinuxProcessDirectory processes;
        auto direct = holder();
        auto pipewire = daemon();
        QTest::qWait(20);
        auto cheese = sleeper();
        QTest::qWait(20);
        auto obs = sleeper();
        const LinuxCameraClientFinder finder(
            scan(), processes, pwDump("pw-dump-camera-two-consumers.json", {{"4100", cheese->pid()}, {"4200", obs->pid()}}));
        QCOMPARE(finder.clients(), (QList<qint32>{obs->pid(), cheese->pid(), direct->pid()}));
    }

    void aPortalClientIsFoundByItsAppId()
    {
        auto pipewire = daemon();
        auto app = sleeper();
        auto other = sleeper();
        const OneSandboxedApp processes(QStringLiteral("org.example.Camera"), app->pid());
        const LinuxCameraClientFinder finder(
            scan(), processes, pwDump("pw-dump-camera-portal-client.json", {{"4400", other->pid()}}));
        QList<qint32> clients = finder.clients();
        std::sort(clients.begin(), clients.end());
        QList<qint32> expected{app->pid(), other->pid()};
        std::sort(expected.begin(), expected.end());
        QCOMPARE(clients, expected);
    }

    void aDaemonWithoutConsumersNamesNobody()
    {
        const LinuxProcessDirectory processes;
        auto pipewire = daemon();
        const LinuxCameraClientFinder finder(scan(), processes, pwDump("pw-dump-camera-no-consumer.json", {}));
        QVERIFY(finder.clients().isEmpty());
    }

    void withoutPwDumpTheDaemonItselfIsNamed()
    {
        const LinuxProcessDirectory processes;
        auto pipewire = daemon();
        const LinuxCameraClientFinder finder(scan(), processes, path(QStringLiteral("missing/pw-dump")));
        QCOMPARE(finder.clients(), QList<qint32>{pipewire->pid()});
        QCOMPARE(finder.clients(), QList<qint32>{pipewire->pid()}); // and says so once in the log
    }
};

QTEST_GUILESS_MAIN(TestCameraClientFinder)
#include "test_camera_client_finder.moc"
