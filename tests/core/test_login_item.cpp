#include "DefaultsStore.h"
#include "LoginItem.h"
#include "SimLoginItemService.h"

#include <QTest>

class TestLoginItem : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void turnsOnOnceAndRemembersTheDecision()
    {
        DefaultsStore store;
        SimLoginItemService service;
        LoginItem item(service, store, AppInfo{QStringLiteral("dev.orvane.Tarnwick"), {}, {}, false, false});
        item.turnOnOnce();
        QVERIFY(item.isOn());
        QVERIFY(store.boolValue(QStringLiteral("LoginItemDecided")));
        // The user switched it off later: it stays off.
        item.set(false);
        item.turnOnOnce();
        QVERIFY(!item.isOn());
        QCOMPARE(service.calls, 2);
    }

    void developmentBuildsNeverRegister()
    {
        DefaultsStore store;
        SimLoginItemService service;
        LoginItem item(service, store, AppInfo{QStringLiteral("dev.orvane.Tarnwick.dev"), {}, {}, false, false});
        item.turnOnOnce();
        QCOMPARE(service.calls, 0);
        QVERIFY(!store.contains(QStringLiteral("LoginItemDecided")));
    }

    void aFailedRegistrationIsOnlyLogged()
    {
        DefaultsStore store;
        SimLoginItemService service;
        service.failWith = QStringLiteral("autostart folder is read-only");
        LoginItem item(service, store, AppInfo{QStringLiteral("dev.orvane.Tarnwick"), {}, {}, false, false});
        QTest::ignoreMessage(QtWarningMsg, "Tarnwick: login item: autostart folder is read-only");
        item.turnOnOnce();
        QVERIFY(!item.isOn());
        QVERIFY(store.boolValue(QStringLiteral("LoginItemDecided")));
    }
};

QTEST_GUILESS_MAIN(TestLoginItem)
#include "test_login_item.moc"
