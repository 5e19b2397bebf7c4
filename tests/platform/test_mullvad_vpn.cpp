// The Mullvad client through a stand-in `mullvad` tool on PATH: every form its status takes across versions,
// output it cannot understand, switching, and the tool missing.
#include "MullvadVpnService.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using Status = VpnConnection::Status;

namespace {

// Prints the file "status"; a switch leaves the tunnel changing ("status") and
// where it will settle ("next"), which the read after that one shows.
const char standIn[] = R"(#!/bin/sh
here=$(dirname "$0")
echo "$*" >> "$here/calls"
case "$1" in
status)
    cat "$here/status"
    if [ -f "$here/next" ]; then mv "$here/next" "$here/status"; fi ;;
connect)
    printf 'Connecting to se-got-wg-001 in Gothenburg, Sweden...\n' > "$here/status"
    printf 'Connected to se-got-wg-001 in Gothenburg, Sweden\n' > "$here/next" ;;
disconnect)
    printf 'Disconnecting...\n' > "$here/status"
    printf 'Disconnected\n' > "$here/next" ;;
esac
)";

} // namespace

class TestMullvadVpn : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    bool write(const QString &name, const QByteArray &content)
    {
        QFile file(m_dir.filePath(name));
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size();
    }
    QStringList calls() const
    {
        QFile file(m_dir.filePath("calls"));
        return file.open(QIODevice::ReadOnly)
                   ? QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)
                   : QStringList();
    }
    Status statusOf(const MullvadVpnService &mullvad) const { return mullvad.connections().value(0).status; }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(write("mullvad", standIn));
        QVERIFY(QFile::setPermissions(m_dir.filePath("mullvad"),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        qputenv("PATH", m_dir.path().toLocal8Bit() + ':' + qgetenv("PATH"));
    }

    void init()
    {
        QFile::remove(m_dir.filePath("calls"));
        QFile::remove(m_dir.filePath("next"));
    }

    void statusForms_data()
    {
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<Status>("status");
        QTest::newRow("connected, before 2022")
            << QByteArray("Tunnel status: Connected to WireGuard 185.213.154.68:51820 over UDP\n")
            << Status::Connected;
        QTest::newRow("any letter case") << QByteArray("CONNECTED to se-got-wg-001\n") << Status::Connected;
        QTest::newRow("connecting") << QByteArray("Connecting to se-got-wg-001 in Gothenburg, Sweden...\n")
                                    << Status::Connecting;
        QTest::newRow("disconnecting") << QByteArray("Disconnecting...\n") << Status::Disconnecting;
        QTest::newRow("disconnected") << QByteArray("Disconnected\n") << Status::Disconnected;
        QTest::newRow("blocked, before 2022")
            << QByteArray("Tunnel status: Blocked: Failed to apply firewall policy\n")
            << Status::Disconnected;
        QTest::newRow("nothing (daemon not running)") << QByteArray() << Status::Unknown;
        QTest::newRow("not text") << QByteArray("\xff\xfe\x00\x01"
                                                "connected",
                                                13)
                                  << Status::Unknown;
        QTest::newRow("a megabyte of noise") << QByteArray(1 << 20, 'x') << Status::Unknown;
    }

    void statusForms()
    {
        QFETCH(QByteArray, output);
        QFETCH(Status, status);
        QVERIFY(write("status", output));
        MullvadVpnService mullvad;
        QSignalSpy changed(&mullvad, &VpnService::connectionsChanged);
        mullvad.refresh();
        QVERIFY(changed.wait());
        QVERIFY(mullvad.isAvailable());
        const QList<VpnConnection> expected{{"mullvad", "Mullvad VPN", "net.mullvad.vpn", status}};
        QCOMPARE(mullvad.connections(), expected);
        QCOMPARE(calls(), QStringList{QStringLiteral("status")});
    }

    // A switch is read back at once and again once the tunnel has had time to settle.
    void switching()
    {
        QVERIFY(write("status", "Disconnected\n"));
        MullvadVpnService mullvad;
        mullvad.refresh();
        QTRY_COMPARE(statusOf(mullvad), Status::Disconnected);
        mullvad.connectVpn("some-other-vpn"); // not Mullvad's: nothing runs
        mullvad.connectVpn("mullvad");
        QTRY_COMPARE(statusOf(mullvad), Status::Connecting);
        QTRY_COMPARE(statusOf(mullvad), Status::Connected);
        mullvad.disconnectVpn("mullvad");
        QTRY_COMPARE(statusOf(mullvad), Status::Disconnected);
        QCOMPARE(calls(),
                 (QStringList{"status", "connect", "status", "status", "disconnect", "status", "status"}));
    }

    // No tool, or one that cannot run: no Mullvad entry, nothing to switch.
    void toolMissing()
    {
        MullvadVpnService elsewhere("mullvad-not-installed");
        elsewhere.refresh();
        QVERIFY(!elsewhere.isAvailable() && elsewhere.connections().isEmpty());
        const QString tool = m_dir.filePath("mullvad");
        QVERIFY(QFile::setPermissions(tool, QFile::ReadOwner | QFile::WriteOwner));
        MullvadVpnService mullvad;
        mullvad.refresh();
        mullvad.connectVpn("mullvad");
        QVERIFY(QFile::setPermissions(tool, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QVERIFY(!mullvad.isAvailable() && mullvad.connections().isEmpty());
        QVERIFY(calls().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestMullvadVpn)
#include "test_mullvad_vpn.moc"
