#include "HubPanelRules.h"
#include "HubState.h"
#include "ManualTask.h"
#include "TriggerDwell.h"

#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;

namespace {

const QRect hubFrame(386, 0, 740, 362);

struct Panel {
    HubState state;
    ManualTask *closeTask = new ManualTask;
    ManualTask *releaseTask = new ManualTask;
    bool display = true;
    int shown = 0;
    int discarded = 0;
    QPoint pointer{700, 100};
    bool button = false;
    HubPanelRules rules{state,
                        {[this]() -> std::optional<QRect> {
                             if (!display)
                                 return std::nullopt;
                             ++shown;
                             return hubFrame;
                         },
                         [this] { ++discarded; }},
                        {[this] { return pointer; }, [this] { return button; }},
                        {std::unique_ptr<DelayedTask>(closeTask), std::unique_ptr<DelayedTask>(releaseTask)}};
    QSignalSpy openChanges{&rules, &HubPanelRules::openChanged};

    void leave(QPoint to = {700, 500})
    {
        pointer = to;
        rules.scheduleClose();
    }
};

} // namespace

class TestHubPanelRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A button held at the deadline waits for one more delay once it is up.
    void leavingClosesAfterTheDelay()
    {
        Panel panel;
        panel.rules.open();
        panel.button = true;
        panel.leave();
        panel.closeTask->advance(450ms);
        QVERIFY(panel.rules.isOpen() && panel.rules.closePending());
        panel.button = false;
        panel.closeTask->advance(449ms);
        QVERIFY(panel.rules.isOpen());
        panel.closeTask->advance(1ms);
        QVERIFY(!panel.rules.isOpen());
        QCOMPARE(panel.discarded, 1);
        QCOMPARE(panel.openChanges.size(), 2);
    }

    void aPointerBackInTimeOrWithinTheSlackKeepsItOpen_data()
    {
        QTest::addColumn<bool>("reentered");
        QTest::addColumn<QPoint>("pointerAtDeadline");
        QTest::addColumn<bool>("open");
        QTest::newRow("re-entered") << true << QPoint(700, 500) << true;
        QTest::newRow("2 px right of the frame") << false << QPoint(386 + 740 + 1, 100) << true;
        QTest::newRow("2 px below the frame") << false << QPoint(700, 362 + 1) << true;
        QTest::newRow("3 px below the frame") << false << QPoint(700, 362 + 2) << false;
        QTest::newRow("3 px left of the frame") << false << QPoint(386 - 3, 100) << false;
    }
    void aPointerBackInTimeOrWithinTheSlackKeepsItOpen()
    {
        QFETCH(bool, reentered);
        QFETCH(QPoint, pointerAtDeadline);
        QFETCH(bool, open);
        Panel panel;
        panel.rules.open();
        panel.leave(pointerAtDeadline);
        if (reentered)
            panel.rules.pointerEntered();
        panel.closeTask->advance(450ms);
        QCOMPARE(panel.rules.isOpen(), open);
    }

    void pinnedOrBusyHoldsItOpen_data()
    {
        QTest::addColumn<bool>("pinned");
        QTest::addColumn<int>("begun");
        QTest::addColumn<int>("ended");
        QTest::addColumn<bool>("open");
        QTest::newRow("pinned") << true << 0 << 0 << true;
        QTest::newRow("busy") << false << 2 << 1 << true;
        QTest::newRow("more ends than begins") << false << 1 << 5 << false;
    }
    void pinnedOrBusyHoldsItOpen()
    {
        QFETCH(bool, pinned);
        QFETCH(int, begun);
        QFETCH(int, ended);
        QFETCH(bool, open);
        for (const bool byClick : {false, true}) {
            Panel panel;
            panel.rules.open();
            panel.rules.setPinned(pinned);
            for (int i = 0; i < begun; ++i)
                panel.rules.beginBusy();
            for (int i = 0; i < ended; ++i)
                panel.rules.endBusy();
            QVERIFY(panel.rules.busy() >= 0);
            if (byClick) {
                panel.rules.clickedElsewhere();
            } else {
                panel.leave();
                panel.closeTask->advance(450ms);
            }
            QCOMPARE(panel.rules.isOpen(), open);
        }
    }

    // A drag ending in the hub lowers busy after the leave was scheduled:
    // the close waits for the next leave. Closing unpins and clears busy.
    void busyEndingAfterTheLeaveWaitsForTheNextLeave()
    {
        Panel panel;
        panel.rules.open();
        panel.rules.beginBusy();
        panel.leave();
        panel.rules.endBusy();
        panel.closeTask->advance(1s);
        QVERIFY(panel.rules.isOpen());
        panel.leave();
        panel.closeTask->advance(450ms);
        QVERIFY(!panel.rules.isOpen());

        panel.rules.open();
        panel.rules.setPinned(true);
        panel.rules.beginBusy();
        panel.rules.close();
        QVERIFY(!panel.rules.pinned());
        QCOMPARE(panel.rules.busy(), 0);
    }

    // Reopened on the last section; opening an open hub switches only when a section is asked.
    void theSectionIsRememberedAcrossOpenings()
    {
        Panel panel;
        panel.rules.open();
        QCOMPARE(panel.state.tab(), HubTab::Privacy);
        panel.state.setTab(HubTab::Tools);
        panel.state.setNote(QStringLiteral("Done"));
        panel.rules.close();
        QCOMPARE(panel.state.note(), std::nullopt);
        panel.state.setTab(HubTab::Apps); // what a closed hub's state says does not count
        panel.rules.open();
        QCOMPARE(panel.state.tab(), HubTab::Tools);
        panel.leave();
        panel.rules.open();
        QVERIFY(!panel.rules.closePending());
        QCOMPARE(panel.state.tab(), HubTab::Tools);
        panel.rules.open(HubTab::Quit);
        QCOMPARE(panel.state.tab(), HubTab::Quit);
        QCOMPARE(panel.shown, 2);
        QCOMPARE(panel.openChanges.size(), 3);
    }

    void withoutADisplayNothingOpens()
    {
        Panel panel;
        panel.display = false;
        panel.rules.open();
        QVERIFY(!panel.rules.isOpen());
        QVERIFY(panel.openChanges.isEmpty());
        panel.rules.close();
        QCOMPARE(panel.discarded, 0);
    }

    void memoryIsReleasedOnlyWhileStillClosed()
    {
        Panel panel;
        QSignalSpy released(&panel.rules, &HubPanelRules::memoryReleasable);
        panel.rules.open();
        panel.rules.close();
        panel.releaseTask->advance(300ms);
        panel.rules.open();
        panel.releaseTask->advance(300ms);
        QCOMPARE(released.size(), 0);
        panel.rules.close();
        panel.releaseTask->advance(600ms);
        QCOMPARE(released.size(), 1);
        QVERIFY(!panel.closeTask->isPending() && !panel.releaseTask->isPending());
    }

    void theTriggerOpensOnDwellOrClick_data()
    {
        QTest::addColumn<bool>("hover");
        QTest::addColumn<int>("restMs");
        QTest::addColumn<bool>("opens");
        QTest::newRow("hover on, 119 ms") << true << 119 << false;
        QTest::newRow("hover on, 120 ms") << true << 120 << true;
        QTest::newRow("hover off, 500 ms") << false << 500 << false;
    }
    void theTriggerOpensOnDwellOrClick()
    {
        QFETCH(bool, hover);
        QFETCH(int, restMs);
        QFETCH(bool, opens);
        auto *task = new ManualTask;
        TriggerDwell dwell(std::unique_ptr<DelayedTask>(task), [hover] { return hover; });
        QSignalSpy requests(&dwell, &TriggerDwell::openRequested);
        dwell.pointerEntered();
        task->advance(std::chrono::milliseconds(restMs));
        QCOMPARE(requests.size(), opens ? 1 : 0);

        // A click opens at once and ends the dwell. Passing over, clicks and drops with the real
        // pointer are test_hub_panel's.
        requests.clear();
        dwell.pointerEntered();
        dwell.pressed();
        task->advance(1s);
        QCOMPARE(requests.size(), 1);
    }

    void tabsKeepTheirOrderAndNames()
    {
        QStringList texts;
        for (HubTab tab : HubTabs::all()) {
            texts.append(HubTabs::text(tab));
            QCOMPARE(HubTabs::fromText(HubTabs::text(tab)), std::optional(tab));
        }
        QCOMPARE(texts, QStringList({"privacy", "mirror", "shelf", "tools", "quit", "apps"}));
        QCOMPARE(HubTabs::title(HubTab::Quit), QStringLiteral("Quit All"));
        QCOMPARE(HubTabs::fromText(QStringLiteral("Privacy")), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestHubPanelRules)
#include "test_hub_panel_rules.moc"
