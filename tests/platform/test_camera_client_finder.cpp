// Naming the camera's clients: real processes holding a stand-in node, one of them standing in for the
// PipeWire daemon, and a pw-dump stand-in that prints a graph naming real processes as its consumers.
#include "ChildProcess.h"
#include "LinuxCameraClientFinder.h"
#include "RequiredService.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <csignal>

namespace {

// Who a claim names: the app the portal vouched for, else the process the
// kernel showed, else the one it claims.
QVariantList shown(const QList<ClientClaim> &claims)
{
    QVariantList names;
    for (const ClientClaim &c : claims)
        names.append(!c.appId.isEmpty() ? QVariant(c.appId) : QVariant(c.hostPid > 0 ? c.hostPid : c.pid));
    return names;
}

void write(const QString &path, const QByteArray &text)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(text);
}

} // namespace

class TestCameraClientFinder : public QObject {
    Q_OBJECT

    QTemporaryDir m_root;
    QString path(const QString &name) const { return m_root.filePath(name); }
    QString node() const { return path("video0"); }

    std::unique_ptr<ChildProcess> holder(const QString &program = QStringLiteral(DEVICE_HOLDER))
    {
        auto child = std::make_unique<ChildProcess>(program, QStringList{node()});
        child->nextLine(); // once the node is open
        return child;
    }
    static std::unique_ptr<ChildProcess> sleeper()
    {
        auto child =
            std::make_unique<ChildProcess>(QStringLiteral("sleep"), QStringList{QStringLiteral("60")});
        QTest::qWait(20); // start times are counted in ticks of 10 ms: the next one starts later
        return child;
    }
    // A pw-dump stand-in printing a fixture with the camera at the test node and the fixture's pids replaced.
    QString pwDump(const char *fixture, const QList<std::pair<QByteArray, qint32>> &pids)
    {
        QFile in(QStringLiteral(PLATFORM_FIXTURES "/") + QLatin1String(fixture));
        QByteArray json = in.open(QIODevice::ReadOnly)
                              ? in.readAll().replace("/dev/video0", QFile::encodeName(node()))
                              : "";
        for (const auto &[from, to] : pids)
            json.replace(from, QByteArray::number(to));
        write(path("graph.json"), json);
        write(path("pw-dump"), "#!/bin/sh\nexec cat '" + QFile::encodeName(path("graph.json")) + "'\n");
        QFile::setPermissions(path("pw-dump"), QFile::ReadOwner | QFile::ExeOwner);
        return path("pw-dump");
    }

private Q_SLOTS:
    void theHoldersAndPipeWiresConsumersNewestFirst()
    {
        const bool made = mknod(QFile::encodeName(node()).constData(), S_IFCHR | 0666, makedev(1, 7)) == 0;
        REQUIRE_SERVICE(made, "mknod (needs root)");
        const CameraNodeScan scan(m_root.path(), CameraNodeScan::NodeCheck::AnyCharacterDevice);

        auto direct = holder();
        QTest::qWait(20);
        QVERIFY(QFile::copy(QStringLiteral(DEVICE_HOLDER), path("pipewire")));
        auto pipewire = holder(path(QStringLiteral("pipewire")));
        QTest::qWait(20);
        auto cheese = sleeper();
        auto obs = sleeper();
        const auto clients = [&](const char *fixture, const QList<std::pair<QByteArray, qint32>> &pids) {
            return shown(LinuxCameraClientFinder(scan, pwDump(fixture, pids)).clients({}));
        };
        // Behind the daemon its consumers are the clients, each once.
        QCOMPARE(
            clients("pw-dump-camera-two-consumers.json", {{"4100", cheese->pid()}, {"4200", obs->pid()}}),
            (QVariantList{obs->pid(), cheese->pid(), direct->pid()}));
        // One through the portal, known by its app id; one by its node's pid.
        // (What else a graph says is test_pipewire_graph's.)
        QCOMPARE(clients("pw-dump-camera-portal-client.json", {{"4400", obs->pid()}}),
                 (QVariantList{obs->pid(), direct->pid(), "org.example.Camera"}));
        // Without pw-dump the daemon is all there is to name.
        QCOMPARE(shown(LinuxCameraClientFinder(scan, path(QStringLiteral("missing/pw-dump"))).clients({})),
                 (QVariantList{pipewire->pid(), direct->pid()}));

        // A pw-dump that hangs and ignores SIGTERM is killed after its three seconds.
        const QString hung = path("hung/pw-dump");
        QVERIFY(QDir().mkpath(path("hung")));
        write(hung,
              "#!/bin/sh\ntrap '' TERM\necho $$ > '" + QFile::encodeName(hung) + ".pid'\nexec sleep 600\n");
        QFile::setPermissions(hung, QFile::ReadOwner | QFile::ExeOwner);
        QElapsedTimer waited;
        waited.start();
        QCOMPARE(shown(LinuxCameraClientFinder(scan, hung).clients({})),
                 (QVariantList{pipewire->pid(), direct->pid()}));
        QCOMPARE_LT(waited.elapsed(), 10000);
        QFile pidFile(hung + QStringLiteral(".pid"));
        QVERIFY(pidFile.open(QIODevice::ReadOnly));
        QCOMPARE(::kill(pid_t(pidFile.readAll().trimmed().toInt()), 0), -1); // gone, and reaped
    }

    // Other users' processes cannot be looked into: they are passed over and
    // the holders listed after them are still found.
    void processesThatCannotBeLookedIntoArePassedOver()
    {
        QTemporaryDir dev;
        QTemporaryDir proc;
        const QString camera = dev.filePath("video0");
        const bool made = mknod(QFile::encodeName(camera).constData(), S_IFCHR | 0666, makedev(1, 7)) == 0;
        REQUIRE_SERVICE(made, "mknod (needs root)");
        QVERIFY(QDir(proc.path()).mkpath("500/fd"));
        QVERIFY(QFile::link(camera, proc.filePath("500/fd/7")));
        // An "fd" that is no folder cannot be opened, as a stranger's cannot;
        // made last, they come first in most folder listings.
        for (int pid = 600; pid < 620; ++pid) {
            QVERIFY(QDir(proc.path()).mkpath(QString::number(pid)));
            write(proc.filePath(QStringLiteral("%1/fd").arg(pid)), "");
        }
        const CameraNodeScan scan(dev.path(), CameraNodeScan::NodeCheck::AnyCharacterDevice, proc.path());
        QCOMPARE(scan.holders(scan.nodes(), 0), (QList<CameraHolder>{{500, camera}}));
    }
};

QTEST_GUILESS_MAIN(TestCameraClientFinder)
#include "test_camera_client_finder.moc"
