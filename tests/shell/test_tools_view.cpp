// The tools section over simulated facilities: one probe per opening, a
// click runs its tool (the panel out of the way first where the tool needs
// the screen), unavailable tiles say why and do nothing. And the X server's
// display power control on the rig's X server.
#include "HubSections.h"
#include "SimColorPicker.h"
#include "SimDesktopAction.h"
#include "SimDesktopToggle.h"
#include "SimDiskEjector.h"
#include "TimerTask.h"
#include "ToolTile.h"
#include "Tools.h"
#include "ToolsSection.h"
#include "ToolsView.h"
#include "X11Connection.h"
#include "X11DisplaySleep.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

#include <X11/Xlib.h>
#include <X11/extensions/dpms.h>

class TestToolsView : public QObject {
    Q_OBJECT

    SimColorPicker m_picker;
    SimDesktopToggle m_icons;
    SimDesktopToggle m_awake;
    SimDesktopToggle m_dark;
    SimDesktopToggle m_hidden;
    SimDiskEjector m_disks;
    SimDesktopAction m_lock;
    SimDesktopAction m_sleep;

private Q_SLOTS:
    void tilesRunTheirTools()
    {
        m_icons.missingHere = DesktopFacility::Missing::DesktopIcons;
        Tools tools({&m_picker, &m_icons, &m_awake, &m_dark, &m_hidden, &m_disks, &m_lock, &m_sleep},
                    std::make_unique<TimerTask>());
        QStringList events;
        HubSections sections;
        ToolsSection{tools, [&events] { events << "panel closed"; }}.addTo(sections);
        connect(&tools, &Tools::note, this, [&events](const QString &text) { events << text; });
        connect(&m_lock, &DesktopAction::finished, this, [&events] { events << "locked"; });
        std::unique_ptr<QWidget> section(sections.make(HubTab::Tools));
        QCOMPARE(m_hidden.probes, 1);
        auto *view = qobject_cast<ToolsView *>(section.get());
        QVERIFY(view);
        view->resize(704, 260);
        view->show();

        QTest::mouseClick(view->tile(Tool::HiddenFiles), Qt::LeftButton);
        QVERIFY(view->tile(Tool::HiddenFiles)->isOn());
        QTest::mouseClick(view->tile(Tool::LockScreen), Qt::LeftButton);
        QCOMPARE(events, (QStringList{"Files shows hidden files.", "panel closed", "locked"}));

        ToolTile *icons = view->tile(Tool::CleanDesktop);
        QVERIFY(!icons->isEnabled());
        QCOMPARE(icons->line(), "This desktop shows no icons");
        QTest::mouseClick(icons, Qt::LeftButton);
        QVERIFY(!m_icons.isOn());

        // The desktop changed a setting by itself: the tile follows.
        m_dark.changeOutside(true);
        QCOMPARE(view->tile(Tool::DarkMode)->line(), "Now dark — click for light");
        section.reset();
        section.reset(sections.make(HubTab::Tools));
        QCOMPARE(m_hidden.probes, 2);
    }

    void displaysSleep()
    {
        X11DisplaySleep sleep;
        sleep.probe();
        QSignalSpy finished(&sleep, &DesktopAction::finished);
        sleep.run();
        QCOMPARE(finished.size(), 1);
        if (!sleep.isAvailable()) {
            QCOMPARE(sleep.missing(), DesktopFacility::Missing::DisplayPower);
            QCOMPARE(finished.value(0).value(0).toBool(), false);
            return;
        }
        QCOMPARE(finished.value(0).value(0).toBool(), true);
        CARD16 level = 0;
        BOOL enabled = False;
        QVERIFY(DPMSInfo(X11Connection::xlibDisplay(), &level, &enabled));
        QCOMPARE(level, CARD16(DPMSModeOff));
        DPMSForceLevel(X11Connection::xlibDisplay(), DPMSModeOn);
    }
};

QTEST_MAIN(TestToolsView)
#include "test_tools_view.moc"
