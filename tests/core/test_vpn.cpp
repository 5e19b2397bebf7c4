#include "SimVpnService.h"
#include "VpnList.h"
#include "VpnRow.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using Status = VpnConnection::Status;
using Connections = QList<VpnConnection>;

class TestVpn : public QObject {
    Q_OBJECT

    SimVpnService *m_system = nullptr;
    SimVpnService *m_mullvad = nullptr;
    std::unique_ptr<VpnList> m_list;
    std::unique_ptr<VpnRow> m_row;

    static VpnConnection vpn(const QString &id, Status status) { return {id, id, QString(), status}; }
    QStringList ids() const
    {
        QStringList ids;
        for (int row = 0; row < m_list->rowCount(); ++row)
            ids << m_list->connection(row).id;
        return ids;
    }

private Q_SLOTS:
    void init()
    {
        std::vector<std::unique_ptr<VpnService>> sources;
        sources.push_back(std::make_unique<SimVpnService>());
        sources.push_back(std::make_unique<SimVpnService>());
        m_system = static_cast<SimVpnService *>(sources[0].get());
        m_mullvad = static_cast<SimVpnService *>(sources[1].get());
        m_list = std::make_unique<VpnList>(std::move(sources));
        new QAbstractItemModelTester(m_list.get(), QAbstractItemModelTester::FailureReportingMode::QtTest,
                                     m_list.get());
        m_row = std::make_unique<VpnRow>(m_list.get());
    }
    void cleanup()
    {
        m_row.reset();
        m_list.reset();
    }

    void row_data()
    {
        QTest::addColumn<Connections>("system");
        QTest::addColumn<Connections>("mullvad");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("statusText");
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("lit");
        const auto row = [](const char *tag, const Connections &system, const Connections &mullvad,
                            const char *shown, const char *statusText, const char *action, bool lit) {
            QTest::newRow(tag) << system << mullvad << QString::fromUtf8(shown)
                               << QString::fromUtf8(statusText) << QString::fromUtf8(action) << lit;
        };
        const auto one = [](Status status) { return Connections{vpn(QStringLiteral("a"), status)}; };
        const VpnConnection mullvad = vpn(QStringLiteral("mullvad"), Status::Connected);
        row("connecting", one(Status::Connecting), {}, "a", "Connecting…", "Disconnect", false);
        row("disconnecting", one(Status::Disconnecting), {}, "a", "Disconnecting…", "Connect", false);
        row("unknown", one(Status::Unknown), {}, "a", "VPN", "Connect", false);
        row("system before Mullvad", one(Status::Disconnected),
            {vpn(QStringLiteral("mullvad"), Status::Disconnected)}, "a", "Not connected", "Connect", false);
        row("the one that is up", one(Status::Disconnected) << vpn(QStringLiteral("b"), Status::Unknown),
            {mullvad}, "mullvad", "Connected", "Disconnect", true);
    }

    void row()
    {
        QFETCH(Connections, system);
        QFETCH(Connections, mullvad);
        QFETCH(QString, shown);
        QFETCH(QString, statusText);
        QFETCH(QString, action);
        QFETCH(bool, lit);
        m_system->setService(system);
        m_mullvad->setService(mullvad);
        m_list->refresh();
        QTRY_VERIFY(m_mullvad->isAvailable());
        QCOMPARE(m_list->rowCount(), system.size() + mullvad.size());
        QCOMPARE(m_row->isShown(), !shown.isEmpty());
        QCOMPARE(m_row->name(), shown);
        QCOMPARE(m_row->statusText(), statusText);
        QCOMPARE(m_row->actionText(), action);
        QCOMPARE(m_row->isLit(), lit);
        m_row->press();
        const QStringList requests = m_system->requests() + m_mullvad->requests();
        QCOMPARE(requests, shown.isEmpty() ? QStringList() : QStringList{action.toLower() + u' ' + shown});
    }

    // A read that changes nothing says nothing; a changed status touches its row's status roles
    // only; rows come and go in place. Following only while shown is test_privacy_view's.
    void changesAreReportedWhereTheyHappen()
    {
        m_system->setService({vpn(QStringLiteral("a"), Status::Disconnected)});
        m_mullvad->setService({vpn(QStringLiteral("mullvad"), Status::Disconnected)});
        m_list->setWatched(true);
        QTRY_COMPARE(m_list->rowCount(), 2);
        QSignalSpy dataChanged(m_list.get(), &VpnList::dataChanged);
        QSignalSpy rowChanged(m_row.get(), &VpnRow::changed);
        m_list->refresh();
        QTRY_COMPARE(m_system->reads(), 2);
        QCoreApplication::processEvents();
        QCOMPARE(dataChanged.size() + rowChanged.size(), 0);

        m_system->setService({vpn(QStringLiteral("a"), Status::Connected)});
        QTRY_COMPARE(dataChanged.size(), 1);
        const auto roles = dataChanged.at(0).at(2).value<QList<int>>();
        QVERIFY(roles.contains(VpnList::StatusTextRole) && !roles.contains(VpnList::NameRole));
        QCOMPARE(rowChanged.size(), 1);

        m_system->setService(
            {vpn(QStringLiteral("b"), Status::Disconnected), vpn(QStringLiteral("a"), Status::Connected)});
        QTRY_COMPARE(ids(),
                     (QStringList{QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("mullvad")}));
        QCOMPARE(rowChanged.size(), 1); // still "a", still connected
    }
};

QTEST_GUILESS_MAIN(TestVpn)
#include "test_vpn.moc"
