// The VPN list and its row over simulated sources (system, then Mullvad): what
// the row shows and asks for, and changes reported only where they happen.
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
        const VpnConnection down = vpn(QStringLiteral("a"), Status::Disconnected);
        const auto one = [](Status status) { return Connections{vpn(QStringLiteral("a"), status)}; };
        QTest::newRow("no VPN") << Connections() << Connections() << ""
                                << ""
                                << "" << false;
        QTest::newRow("connected") << one(Status::Connected) << Connections() << "a"
                                   << "Connected"
                                   << "Disconnect" << true;
        QTest::newRow("connecting") << one(Status::Connecting) << Connections() << "a"
                                    << "Connecting…"
                                    << "Disconnect" << false;
        QTest::newRow("disconnecting") << one(Status::Disconnecting) << Connections() << "a"
                                       << "Disconnecting…"
                                       << "Connect" << false;
        QTest::newRow("disconnected") << one(Status::Disconnected) << Connections() << "a"
                                      << "Not connected"
                                      << "Connect" << false;
        QTest::newRow("unknown") << one(Status::Unknown) << Connections() << "a"
                                 << "VPN"
                                 << "Connect" << false;
        QTest::newRow("system before Mullvad")
            << Connections{down} << Connections{vpn(QStringLiteral("mullvad"), Status::Disconnected)} << "a"
            << "Not connected"
            << "Connect" << false;
        QTest::newRow("the one that is up")
            << Connections{down, vpn(QStringLiteral("b"), Status::Unknown)}
            << Connections{vpn(QStringLiteral("mullvad"), Status::Connected)} << "mullvad"
            << "Connected"
            << "Disconnect" << true;
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

    // A read that changes nothing says nothing; a changed status touches its
    // row's status roles only; rows come and go in place; nothing is followed
    // unwatched.
    void changesAreReportedWhereTheyHappen()
    {
        m_system->setService({vpn(QStringLiteral("a"), Status::Disconnected)});
        m_mullvad->setService({vpn(QStringLiteral("mullvad"), Status::Disconnected)});
        m_list->setWatched(true);
        QVERIFY(m_system->isWatched() && m_mullvad->isWatched());
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

        m_list->setWatched(false);
        QVERIFY(!m_system->isWatched());
        m_system->setService({}, false);
        QCoreApplication::processEvents();
        QCOMPARE(m_list->rowCount(), 3);
    }
};

QTEST_GUILESS_MAIN(TestVpn)
#include "test_vpn.moc"
