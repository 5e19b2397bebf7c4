// The hub panel and its trigger on the rig's desktop, driven by real pointer
// and key events (xdotool through XTest): when it opens and closes, where it
// sits, and that the trigger strip leaves the rest of the top edge alone.
#include "AppInfo.h"
#include "DefaultsStore.h"
#include "Hub.h"
#include "HubPanel.h"
#include "HubSectionButton.h"
#include "HubSections.h"
#include "HubState.h"
#include "HubView.h"
#include "HubWindow.h"
#include "LinuxShelfFileSystem.h"
#include "NotchTrigger.h"
#include "PressRecorder.h"
#include "RequiredService.h"
#include "SensorWatcher.h"
#include "Settings.h"
#include "ShelfStore.h"
#include "XDoTool.h"

#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

using XDoTool::click;
using XDoTool::drive;
using XDoTool::move;
using XDoTool::moveTo;
using XDoTool::run;

// Where nothing of the hub or the trigger is.
const QPoint away(200, 800);

// Nothing changes for a while: the only way to see that something does not happen.
#define STAYS(condition, ms)                                                                                 \
    do {                                                                                                     \
        QTest::qWait(ms);                                                                                    \
        QVERIFY(condition);                                                                                  \
    } while (false)

// The shell's hub objects, wired as the app wires them, for one housing.
struct Shell {
    explicit Shell(const QString &fakeCutout = QString())
    {
        if (!fakeCutout.isEmpty())
            env.insert(QStringLiteral("TARNWICK_FAKE_CUTOUT"), fakeCutout);
        trigger = std::make_unique<NotchTrigger>(env, [this] {
            ++hoverAsked;
            return settings.openOnHover.value();
        });
        panel = std::make_unique<HubPanel>(hub, state, sections, env);
        QObject::connect(trigger.get(), &NotchTrigger::openRequested, panel.get(),
                         [this](std::optional<HubTab> tab, bool) { panel->open(tab); });
        QObject::connect(panel.get(), &HubPanel::openChanged, trigger.get(), &NotchTrigger::setCovered);
        trigger->install();
    }
    ~Shell() { QTest::qWait(0); }

    QProcessEnvironment env;
    DefaultsStore defaults;
    Settings settings{defaults};
    LinuxShelfFileSystem shelfFiles;
    QTemporaryDir data;
    Hub hub{settings, AppInfo::compiledIn(), {{}, data.path(), nullptr, {}, data.path(), &shelfFiles}};
    HubState state;
    HubSections sections;
    std::unique_ptr<HubPanel> panel;
    std::unique_ptr<NotchTrigger> trigger;
    int hoverAsked = 0;

    QPoint triggerPoint() const { return trigger->rect().center(); }
    HubWindow &window() const
    {
        HubWindow *shown = panel->window();
        if (!shown)
            qFatal("the hub has no window");
        return *shown;
    }
    QPoint inHub() const { return window().geometry().center(); }
    bool openShown() const
    {
        const HubWindow *shown = panel->window();
        return panel->isOpen() && shown && shown->isVisible();
    }
};

} // namespace

class TestHubPanel : public QObject {
    Q_OBJECT

    QRect m_screen;

private Q_SLOTS:
    void initTestCase()
    {
        REQUIRE_SERVICE(QGuiApplication::platformName() == QLatin1String("xcb"), "an X display");
        for (const char *tool : {"xdotool", "xmessage"})
            REQUIRE_SERVICE(!QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty(), tool);
        m_screen = QGuiApplication::primaryScreen()->geometry();
    }
    void init() { QVERIFY(move(away)); }

    // With hover off it waits for a click: the trigger rules' test.
    void restingOnTheTriggerOpensOnlyAfterTheDwell()
    {
        Shell shell;
        QVERIFY(!shell.trigger->isPainted());

        // Passing over it in less than the dwell.
        QProcess pass;
        pass.start(QStringLiteral("xdotool"),
                   moveTo(shell.triggerPoint()) + QStringList{"sleep", "0.03"} + moveTo(away));
        QVERIFY(pass.waitForStarted());
        QTRY_COMPARE(pass.state(), QProcess::NotRunning);
        STAYS(shell.hoverAsked == 0 && !shell.panel->isOpen(), 300);

        // Resting on it.
        QVERIFY(move(shell.triggerPoint()));
        QTRY_COMPARE(shell.hoverAsked, 1);
        QTRY_VERIFY(shell.openShown());
    }

    // What holds it open besides the pointer (busy, pinned) is the rules' test; here the
    // real pointer and button.
    void leavingClosesUnlessAButtonHoldsIt()
    {
        Shell shell;
        QVERIFY(click(shell.triggerPoint()));
        QTRY_VERIFY(shell.openShown());

        // Pressed inside, then out with the button held: open until released.
        QVERIFY(move(shell.inHub()));
        QVERIFY(run({"mousedown", "1"}));
        QVERIFY(move(away));
        STAYS(shell.panel->isOpen(), 700);
        QVERIFY(run({"mouseup", "1"}));
        QTRY_VERIFY(!shell.panel->isOpen());

        // Back in time keeps it; away for good closes it.
        QVERIFY(click(shell.triggerPoint()));
        QTRY_VERIFY(shell.openShown());
        QVERIFY(run(moveTo(shell.inHub()) + QStringList{"sleep", "0.1"} + moveTo(away) +
                    QStringList{"sleep", "0.1"} + moveTo(shell.inHub())));
        STAYS(shell.panel->isOpen(), 700);
        QVERIFY(move(away));
        QTRY_VERIFY(!shell.panel->isOpen());
        QVERIFY(shell.panel->window() == nullptr);
    }

    void aClickInAnotherClientClosesIt()
    {
        QProcess other;
        other.start(QStringLiteral("xmessage"), {QStringLiteral("-geometry"), QStringLiteral("+40+600"),
                                                 QStringLiteral("another client")});
        QVERIFY(other.waitForStarted());
        QVERIFY(XDoTool::awaitWindow(QStringLiteral("xmessage")));
        const QPoint onOther(80, 620);

        Shell shell;
        QVERIFY(click(shell.triggerPoint()));
        QTRY_VERIFY(shell.openShown());
        QVERIFY(click(onOther));
        QTRY_VERIFY(!shell.panel->isOpen());
        // A click on the hub itself is no click elsewhere.
        QVERIFY(click(shell.triggerPoint()));
        QTRY_VERIFY(shell.openShown());
        QVERIFY(click(shell.inHub()));
        STAYS(shell.panel->isOpen(), 300);
        other.kill();
        other.waitForFinished();
    }

    void opensWithoutTheKeyboardTakesItWhenClickedAndEscCloses()
    {
        PressRecorder focused;
        focused.setGeometry(100, 500, 300, 200);
        focused.show();
        focused.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&focused));

        Shell shell;
        QVERIFY(move(shell.triggerPoint()));
        QTRY_VERIFY(shell.openShown());
        STAYS(QGuiApplication::focusWindow() == focused.windowHandle(), 300);

        HubView *view = shell.window().view();
        QVERIFY(click(view->button(HubTab::Tools)->mapToGlobal(QPoint(20, 20))));
        QTRY_COMPARE(shell.state.tab(), HubTab::Tools);
        QTRY_VERIFY(shell.window().isActiveWindow());
        QVERIFY(run({"key", "Escape"}));
        QTRY_VERIFY(!shell.panel->isOpen());

        // The section shown is the one remembered.
        QVERIFY(click(shell.triggerPoint()));
        QTRY_VERIFY(shell.openShown());
        QCOMPARE(shell.state.tab(), HubTab::Tools);
        QVERIFY(shell.window().view()->button(HubTab::Tools)->isChecked());
    }

    void sitsUnderTheHousing_data()
    {
        QTest::addColumn<QString>("cutout");
        QTest::addColumn<QRect>("hub");
        QTest::addColumn<QRect>("trigger");
        // The rig's display is 1920 × 1080 with no panel reserving its top.
        QTest::newRow("virtual") << QString() << QRect(590, 0, 740, 354) << QRect(865, 0, 190, 4);
        QTest::newRow("notch14") << QStringLiteral("notch14") << QRect(590, 0, 740, 362)
                                 << QRect(867, 0, 186, 32);
        QTest::newRow("island") << QStringLiteral("island") << QRect(590, 8, 740, 364)
                                << QRect(862, 8, 196, 34);
    }
    void sitsUnderTheHousing()
    {
        QFETCH(QString, cutout);
        QFETCH(QRect, hub);
        QFETCH(QRect, trigger);
        QCOMPARE(m_screen, QRect(0, 0, 1920, 1080));
        Shell shell(cutout);
        QCOMPARE(shell.trigger->rect(), trigger);
        QCOMPARE(shell.trigger->isPainted(), !cutout.isEmpty());
        QVERIFY(click(shell.triggerPoint()));
        QTRY_VERIFY(shell.openShown());
        QCOMPARE(shell.window().geometry(), hub);
        QTRY_COMPARE(shell.window().frameGeometry(), hub);
    }

    void threeFilesDroppedFromAnotherClientOpenTheShelf()
    {
        QTemporaryDir files;
        QStringList paths;
        for (const char *name : {"a.txt", "b.png", "c.pdf"}) {
            QFile file(files.filePath(QString::fromLatin1(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
            paths.append(file.fileName());
        }
        QProcess source;
        source.start(QStringLiteral(DRAG_SOURCE), paths);
        QVERIFY(source.waitForReadyRead(10000));
        QCOMPARE(source.readLine().trimmed(), QByteArray("ready"));
        QVERIFY(XDoTool::awaitWindow(QStringLiteral("drag source")));

        Shell shell;
        shell.settings.openOnHover.set(false);
        QSignalSpy notes(&shell.state, &HubState::noteChanged);
        const QPoint onSource(100, 560);
        const QPoint top = shell.triggerPoint();
        QVERIFY(drive(moveTo(onSource) + QStringList{"mousedown", "1", "sleep", "0.2"} +
                      moveTo(onSource + QPoint(30, -30)) + QStringList{"sleep", "0.1"} + moveTo(top) +
                      QStringList{"sleep", "0.1"} + moveTo(top + QPoint(1, 1))));
        QTRY_VERIFY(shell.openShown());
        QCOMPARE(shell.state.tab(), HubTab::Shelf);
        // Let go on the top edge itself, where the trigger took the drag.
        QVERIFY(drive(moveTo(top + QPoint(-3, 0)) + QStringList{"sleep", "0.1"} + moveTo(top)));
        QTRY_VERIFY(shell.state.dropTargeted());
        QVERIFY(drive({QStringLiteral("mouseup"), QStringLiteral("1")}));
        QTRY_COMPARE(shell.state.note(), std::optional<QString>(QStringLiteral("3 items on the shelf")));
        QCOMPARE(shell.hub.shelf().items().size(), 3);
        QVERIFY(!shell.state.dropTargeted());
        QCOMPARE(shell.panel->rules().busy(), 0);
        QTRY_VERIFY(source.canReadLine());
        QCOMPARE(source.readLine().trimmed(), QByteArray("copied"));
        source.kill();
        source.waitForFinished();
    }

    void sectionsPlugInWithoutTheFrameKnowingThem()
    {
        Shell shell;
        int made = 0;
        int shelfItems = 2;
        shell.sections.add(HubTab::Mirror,
                           [&made] {
                               ++made;
                               return new QLabel(QStringLiteral("mirror content"));
                           },
                           {});
        shell.sections.add(HubTab::Shelf, {}, [&shelfItems] { return shelfItems; });
        shell.panel->open(HubTab::Mirror);
        QTRY_VERIFY(shell.openShown());
        HubView *view = shell.window().view();
        QCOMPARE(qobject_cast<QLabel *>(view->section())->text(), QStringLiteral("mirror content"));
        QCOMPARE(view->button(HubTab::Shelf)->badge(), 2);
        shell.state.setTab(HubTab::Apps);
        QCOMPARE(qobject_cast<QLabel *>(view->section())->text(), QStringLiteral("Apps"));
        shell.panel->close();
        shell.panel->open(HubTab::Mirror);
        QCOMPARE(made, 2); // fresh content for every opening
    }
};

QTEST_MAIN(TestHubPanel)
#include "test_hub_panel.moc"
