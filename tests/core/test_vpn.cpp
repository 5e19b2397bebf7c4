// The VPN list and its row over simulated sources: which connection the row
// shows, what it says, what its button asks for, and that changes are
// reported only where something changed.
#include "SimVpnService.h"
#include "VpnList.h"
#include "VpnRow.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using Status = VpnConnection::Status;

namespace {

VpnConnection vpn(const QString &id, Status status, const QString &name = QString())
{
    return {id, name.isEmpty() ? id : name, QStringLiteral("wireguard"), status};
}

} // namespace

class TestVpn : public QObject {
    Q_OBJECT

    SimVpnService *m_system = nullptr;
    SimVpnService *m_mullvad = nullptr;
    std::unique_ptr<VpnList> m_list;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
    std::unique_ptr<VpnRow> m_row;

    // Both sources read what their services hold now.
    void read(const QList<VpnConnection> &system, const QList<VpnConnection> &mullvad)
    {
        m_system->setService(system);
        m_mullvad->setService(mullvad);
        m_list->refresh();
        QTRY_COMPARE(m_list->rowCount(), system.size() + mullvad.size());
        QCoreApplication::processEvents();
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
        m_tester = std::make_unique<QAbstractItemModelTester>(
            m_list.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        m_row = std::make_unique<VpnRow>(m_list.get());
    }

    void cleanup()
    {
        m_row.reset();
        m_tester.reset();
        m_list.reset();
    }

    void noVpnShowsNothing()
    {
        m_list->refresh();
        QTRY_VERIFY(m_system->isAvailable());
        QCOMPARE(m_list->rowCount(), 0);
        QVERIFY(!m_row->isShown());
        QCOMPARE(m_row->actionText(), QString());
        m_row->press(); // nothing to switch
        QVERIFY(m_system->requests().isEmpty() && m_mullvad->requests().isEmpty());
    }

    void eachStatus_data()
    {
        QTest::addColumn<Status>("status");
        QTest::addColumn<QString>("statusText");
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("lit");
        QTest::addColumn<QString>("request");
        QTest::newRow("connected") << Status::Connected << "Connected"
                                   << "Disconnect" << true << "disconnect";
        QTest::newRow("connecting") << Status::Connecting << "Connecting…"
                                    << "Disconnect" << false << "disconnect";
        QTest::newRow("disconnecting") << Status::Disconnecting << "Disconnecting…"
                                       << "Connect" << false << "connect";
        QTest::newRow("disconnected") << Status::Disconnected << "Not connected"
                                      << "Connect" << false << "connect";
        QTest::newRow("unknown") << Status::Unknown << "VPN"
                                 << "Connect" << false << "connect";
    }

    void eachStatus()
    {
        QFETCH(Status, status);
        QFETCH(QString, statusText);
        QFETCH(QString, action);
        QFETCH(bool, lit);
        QFETCH(QString, request);
        read({vpn(QStringLiteral("uuid-1"), status, QStringLiteral("Office tunnel"))}, {});
        QVERIFY(m_row->isShown());
        QCOMPARE(m_row->name(), QStringLiteral("Office tunnel"));
        QCOMPARE(m_row->statusText(), statusText);
        QCOMPARE(m_row->actionText(), action);
        QCOMPARE(m_row->isLit(), lit);
        const QModelIndex index = m_list->index(0);
        QCOMPARE(index.data(VpnList::StatusTextRole).toString(), statusText);
        QCOMPARE(index.data(VpnList::ActionTextRole).toString(), action);
        QCOMPARE(index.data(VpnList::ConnectedRole).toBool(), lit);
        m_row->press();
        QCOMPARE(m_system->requests(), QStringList{request + QStringLiteral(" uuid-1")});
    }

    // The system's connections come first; the row shows one that is up or
    // changing before any that is down.
    void whichConnectionTheRowShows_data()
    {
        QTest::addColumn<QList<VpnConnection>>("system");
        QTest::addColumn<QList<VpnConnection>>("mullvad");
        QTest::addColumn<QString>("shown");
        const VpnConnection mullvadDown = vpn(QStringLiteral("mullvad"), Status::Disconnected);
        QTest::newRow("system before mullvad")
            << QList{vpn(QStringLiteral("a"), Status::Disconnected)} << QList{mullvadDown} << "a";
        QTest::newRow("only mullvad") << QList<VpnConnection>() << QList{mullvadDown} << "mullvad";
        QTest::newRow("first of several down") << QList{vpn(QStringLiteral("a"), Status::Disconnected),
                                                        vpn(QStringLiteral("b"), Status::Unknown)}
                                               << QList<VpnConnection>() << "a";
        QTest::newRow("the one that is up") << QList{vpn(QStringLiteral("a"), Status::Disconnected),
                                                     vpn(QStringLiteral("b"), Status::Connected)}
                                            << QList{mullvadDown} << "b";
        QTest::newRow("mullvad up, system down")
            << QList{vpn(QStringLiteral("a"), Status::Disconnected)}
            << QList{vpn(QStringLiteral("mullvad"), Status::Connecting)} << "mullvad";
    }

    void whichConnectionTheRowShows()
    {
        QFETCH(QList<VpnConnection>, system);
        QFETCH(QList<VpnConnection>, mullvad);
        QFETCH(QString, shown);
        read(system, mullvad);
        QCOMPARE(m_row->name(), shown);
        QCOMPARE(m_list->index(0).data(VpnList::IdRole).toString(),
                 system.isEmpty() ? mullvad.constFirst().id : system.constFirst().id);
        m_row->press();
        QCOMPARE(m_system->requests().size() + m_mullvad->requests().size(), 1);
        QVERIFY(
            (m_system->requests() + m_mullvad->requests()).constFirst().endsWith(QLatin1Char(' ') + shown));
    }

    // A read that changes nothing says nothing; a changed status touches its
    // row and the status roles only; rows come and go where they belong.
    void changesAreReportedWhereTheyHappen()
    {
        read({vpn(QStringLiteral("a"), Status::Disconnected), vpn(QStringLiteral("b"), Status::Disconnected)},
             {vpn(QStringLiteral("mullvad"), Status::Disconnected)});
        QSignalSpy dataChanged(m_list.get(), &VpnList::dataChanged);
        QSignalSpy inserted(m_list.get(), &VpnList::rowsInserted);
        QSignalSpy removed(m_list.get(), &VpnList::rowsRemoved);
        QSignalSpy rowChanged(m_row.get(), &VpnRow::changed);

        m_list->refresh();
        QTRY_COMPARE(m_system->reads(), 2);
        QCoreApplication::processEvents();
        QCOMPARE(dataChanged.size() + inserted.size() + removed.size() + rowChanged.size(), 0);

        m_system->setWatched(true);
        m_system->setService(
            {vpn(QStringLiteral("a"), Status::Disconnected), vpn(QStringLiteral("b"), Status::Connected)});
        QTRY_COMPARE(dataChanged.size(), 1);
        QCOMPARE(dataChanged.at(0).at(0).toModelIndex().row(), 1);
        const auto roles = dataChanged.at(0).at(2).value<QList<int>>();
        QVERIFY(roles.contains(VpnList::StatusRole) && roles.contains(VpnList::StatusTextRole));
        QVERIFY(!roles.contains(VpnList::NameRole));
        QCOMPARE(rowChanged.size(), 1);
        QCOMPARE(m_row->name(), QStringLiteral("b"));

        // "a" removed, "c" added: the Mullvad row stays last.
        m_system->setService(
            {vpn(QStringLiteral("b"), Status::Connected), vpn(QStringLiteral("c"), Status::Disconnected)});
        QTRY_COMPARE(m_list->connection(1).id, QStringLiteral("c"));
        QCOMPARE(removed.size(), 1);
        QCOMPARE(inserted.size(), 1);
        QStringList ids;
        for (int row = 0; row < m_list->rowCount(); ++row)
            ids << m_list->connection(row).id;
        QCOMPARE(ids, (QStringList{QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("mullvad")}));
        QCOMPARE(rowChanged.size(), 1); // still "b", still connected
    }

    // The list's sources are watched exactly while the list is, and a watch
    // starts with a read; an unreachable source empties its rows.
    void watchingAndUnreachableSources()
    {
        read({vpn(QStringLiteral("a"), Status::Connected)},
             {vpn(QStringLiteral("mullvad"), Status::Connected)});
        m_list->setWatched(true);
        QVERIFY(m_system->isWatched() && m_mullvad->isWatched());
        QCOMPARE(m_system->reads(), 2);
        m_system->setService({}, false);
        QTRY_COMPARE(m_list->rowCount(), 1);
        QVERIFY(!m_system->isAvailable());
        QCOMPARE(m_row->name(), QStringLiteral("mullvad"));
        m_list->setWatched(false);
        QVERIFY(!m_system->isWatched() && !m_mullvad->isWatched());
        m_system->setService({vpn(QStringLiteral("a"), Status::Connected)});
        QCoreApplication::processEvents();
        QCOMPARE(m_list->rowCount(), 1); // nothing followed while unwatched
    }
};

QTEST_GUILESS_MAIN(TestVpn)
#include "test_vpn.moc"
