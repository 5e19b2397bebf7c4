#include "DefaultsStore.h"
#include "LoginItem.h"
#include "Samples.h"
#include "SimLoginItemService.h"

#include <QTest>

class TestLoginItem : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void turnsOnOnceAndOnlyInAReleaseBuild()
    {
        DefaultsStore store;
        SimLoginItemService service;
        LoginItem item(service, store, build());
        item.turnOnOnce();
        QVERIFY(item.isOn());
        // The user switched it off later: it stays off.
        item.set(false);
        item.turnOnOnce();
        QVERIFY(!item.isOn());
        QCOMPARE(service.calls, 2);

        DefaultsStore devStore;
        SimLoginItemService devService;
        LoginItem(devService, devStore, build(QStringLiteral("dev.orvane.Tarnwick.dev"))).turnOnOnce();
        QCOMPARE(devService.calls, 0);
        QVERIFY(!devStore.contains(QStringLiteral("LoginItemDecided")));
    }

    void aFailedRegistrationIsOnlyLogged()
    {
        DefaultsStore store;
        SimLoginItemService service;
        service.failWith = QStringLiteral("autostart folder is read-only");
        LoginItem item(service, store, build());
        QTest::ignoreMessage(QtWarningMsg, "Tarnwick: login item: autostart folder is read-only");
        item.turnOnOnce();
        QVERIFY(!item.isOn());
        QVERIFY(store.boolValue(QStringLiteral("LoginItemDecided")));
    }
};

QTEST_GUILESS_MAIN(TestLoginItem)
#include "test_login_item.moc"
