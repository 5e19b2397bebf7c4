#include "DefaultsStore.h"
#include "LoginItem.h"
#include "Samples.h"
#include "SimLoginItemService.h"

#include <QTest>

namespace {

struct Rig {
    DefaultsStore store;
    SimLoginItemService service;
    LoginItem item;

    explicit Rig(const QString &appId = QStringLiteral("dev.orvane.Tarnwick"))
        : item(service, store, build(appId))
    {
    }
    bool decided() const { return store.boolValue(QStringLiteral("LoginItemDecided")); }
};

} // namespace

class TestLoginItem : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void turnsOnOnceAndRemembersTheDecision()
    {
        Rig rig;
        rig.item.turnOnOnce();
        QVERIFY(rig.item.isOn());
        QVERIFY(rig.decided());
        // The user switched it off later: it stays off.
        rig.item.set(false);
        rig.item.turnOnOnce();
        QVERIFY(!rig.item.isOn());
        QCOMPARE(rig.service.calls, 2);
    }

    void developmentBuildsNeverRegister()
    {
        Rig rig(QStringLiteral("dev.orvane.Tarnwick.dev"));
        rig.item.turnOnOnce();
        QCOMPARE(rig.service.calls, 0);
        QVERIFY(!rig.store.contains(QStringLiteral("LoginItemDecided")));
    }

    void aFailedRegistrationIsOnlyLogged()
    {
        Rig rig;
        rig.service.failWith = QStringLiteral("autostart folder is read-only");
        QTest::ignoreMessage(QtWarningMsg, "Tarnwick: login item: autostart folder is read-only");
        rig.item.turnOnOnce();
        QVERIFY(!rig.item.isOn());
        QVERIFY(rig.decided());
    }
};

QTEST_GUILESS_MAIN(TestLoginItem)
#include "test_login_item.moc"
