// A setting kept in several places: the first available keeper tells the
// state, a switch reaches every available keeper and works only if all took it.
#include "SimDesktopToggle.h"
#include "ToggleGroup.h"

#include <QSignalSpy>
#include <QTest>

class TestToggleGroup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void keepersTogether()
    {
        std::vector<std::unique_ptr<DesktopToggle>> keepers;
        for (int i = 0; i < 3; ++i)
            keepers.push_back(std::make_unique<SimDesktopToggle>());
        auto *gtk = static_cast<SimDesktopToggle *>(keepers[0].get());
        auto *absent = static_cast<SimDesktopToggle *>(keepers[1].get());
        auto *thunar = static_cast<SimDesktopToggle *>(keepers[2].get());
        absent->missingHere = DesktopFacility::Missing::Service;
        ToggleGroup group(std::move(keepers));
        group.probe();
        QVERIFY(group.isAvailable());
        QSignalSpy switched(&group, &DesktopToggle::switched);
        group.setOn(true);
        QCOMPARE(switched.value(0), QVariantList{true});
        QVERIFY(gtk->isOn() && thunar->isOn() && !absent->isOn());
        thunar->refuses = true;
        group.setOn(false);
        QCOMPARE(switched.value(1), QVariantList{false});
        QVERIFY(!group.isOn()); // as the first keeper says
        gtk->changeOutside(true);
        QVERIFY(group.isOn());

        gtk->missingHere = DesktopFacility::Missing::Service;
        thunar->missingHere = DesktopFacility::Missing::Service;
        group.probe();
        QCOMPARE(group.missing(), DesktopFacility::Missing::Service);
        group.setOn(true);
        QCOMPARE(switched.value(2), QVariantList{false});
    }
};

QTEST_GUILESS_MAIN(TestToggleGroup)
#include "test_toggle_group.moc"
