#include "Autostart.h"
#include "DefaultsStore.h"
#include "Samples.h"
#include "Settings.h"
#include "SimAutostartService.h"

#include <QTest>

class TestAutostart : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void turnsOnOnceAndOnlyInAReleaseBuild()
    {
        DefaultsStore store;
        Settings settings(store);
        SimAutostartService service;
        Autostart item(service, settings, build());
        item.turnOnOnce();
        QVERIFY(item.isOn());
        // The user switched it off later: it stays off.
        item.set(false);
        item.turnOnOnce();
        QVERIFY(!item.isOn());
        QCOMPARE(service.calls, 2);

        DefaultsStore devStore;
        Settings devSettings(devStore);
        SimAutostartService devService;
        Autostart(devService, devSettings, build(QStringLiteral("dev.orvane.Tarnwick.dev"))).turnOnOnce();
        QCOMPARE(devService.calls, 0);
        QVERIFY(!devStore.contains(QStringLiteral("LoginItemDecided")));
    }

    void aFailedRegistrationIsOnlyLogged()
    {
        DefaultsStore store;
        SimAutostartService service;
        service.failWith = QStringLiteral("autostart folder is read-only");
        Settings settings(store);
        Autostart item(service, settings, build());
        QTest::ignoreMessage(QtWarningMsg, "autostart: autostart folder is read-only");
        item.turnOnOnce();
        QVERIFY(!item.isOn());
        QVERIFY(store.boolValue(QStringLiteral("LoginItemDecided")));
    }
};

QTEST_GUILESS_MAIN(TestAutostart)
#include "test_autostart.moc"
