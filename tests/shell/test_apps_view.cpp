// The apps section over real desktop entries in a private XDG_DATA_DIRS, and
// a sibling's door opened from the hub at the rig's display.
#include "AppInfo.h"
#include "AppsSection.h"
#include "AppsView.h"
#include "DefaultsStore.h"
#include "DesktopInstalledApps.h"
#include "Ecosystem.h"
#include "Hub.h"
#include "HubPanel.h"
#include "HubSections.h"
#include "HubState.h"
#include "HubView.h"
#include "HubWindow.h"
#include "LinuxShelfFileSystem.h"
#include "RecommendationRow.h"
#include "RequiredService.h"
#include "RunningApps.h"
#include "SensorWatcher.h"
#include "Settings.h"
#include "SiblingApps.h"
#include "SiblingTile.h"
#include "SimAppProcesses.h"
#include "SimAppWindows.h"
#include "SimInstalledApps.h"
#include "SimPinnedApp.h"

#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QUrlQuery>

// Stands in for the browser and the sibling: what the desktop was asked to open.
class Opened : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public Q_SLOTS:
    void open(const QUrl &url) { urls.append(url); }
};

// The apps section as the hub makes it, over `installed`; running: the app
// ids with a window.
struct Section {
    Section(Settings &settings, const std::shared_ptr<const InstalledApps> &installed,
            const QStringList &running)
        : siblings(Ecosystem::catalogue(), installed)
    {
        for (qint32 pid = 1; pid <= running.size(); ++pid) {
            windows.shown.append({quint32(pid), pid, running.at(pid - 1), AppWindows::Kind::Normal});
            processes->running.append({pid,
                                       running.at(pid - 1),
                                       running.at(pid - 1),
                                       {},
                                       {},
                                       0,
                                       std::make_shared<SimPinnedApp>(QList<qint32>{pid}, true)});
        }
        AppsSection{siblings,
                    settings,
                    *installed,
                    listing,
                    [this] { ++closed; },
                    [this](const QString &text) { notes << text; }}
            .addTo(sections);
        widget.reset(sections.make(HubTab::Apps));
        view = qobject_cast<AppsView *>(widget.get());
    }

    SiblingApps siblings;
    SimAppWindows windows;
    std::shared_ptr<SimAppProcesses> processes = std::make_shared<SimAppProcesses>();
    RunningApps listing{windows, processes, 0};
    HubSections sections;
    int closed = 0;
    QStringList notes;
    std::unique_ptr<QWidget> widget;
    AppsView *view = nullptr;
};

class TestAppsView : public QObject {
    Q_OBJECT

    QTemporaryDir m_data;
    std::shared_ptr<DesktopInstalledApps> m_installed;
    DefaultsStore m_defaults;
    Settings m_settings{m_defaults};

    QString launchedMark() const { return m_data.filePath(QStringLiteral("launched")); }

private Q_SLOTS:
    void initTestCase()
    {
        REQUIRE_SERVICE(QGuiApplication::platformName() == QLatin1String("xcb"), "an X display");
        QVERIFY(QDir().mkpath(m_data.filePath(QStringLiteral("applications"))));
        QFile entry(m_data.filePath(QStringLiteral("applications/dev.orvane.Latchkey.desktop")));
        QVERIFY(entry.open(QIODevice::WriteOnly));
        entry.write(QStringLiteral("[Desktop Entry]\nType=Application\nName=Latchkey\n"
                                   "Exec=touch \"%1\" %U\n"
                                   "X-Orvane-HubDoor-Version=1\nX-Orvane-HubDoor-Title=Latchkey\n"
                                   "X-Orvane-HubDoor-Scheme=latchkey\n")
                        .arg(launchedMark())
                        .toUtf8());
        entry.close();
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_data.filePath(QStringLiteral("home"))));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(m_data.path()));
        m_installed = std::make_shared<DesktopInstalledApps>();
    }

    // Installed: a tile, saying whether the app runs, that starts it as its
    // entry says and closes the hub. Not installed: recommended, with its
    // site, until dismissed or all hidden.
    void installedAndRecommended()
    {
        Section section(m_settings, m_installed, {QStringLiteral("dev.orvane.Latchkey")});
        AppsView *view = section.view;
        QVERIFY(view);
        view->resize(704, 260);
        view->show();
        QTRY_COMPARE(view->tiles().size(), 1);
        QCOMPARE(view->tiles().first()->accessibleName(), "Latchkey");
        QTRY_COMPARE(view->tiles().first()->findChild<QLabel *>(QStringLiteral("state"))->text(), "Running");

        QTest::mouseClick(view->tiles().first()->openButton(), Qt::LeftButton);
        QTRY_VERIFY(QFile::exists(launchedMark()));
        QCOMPARE(section.closed, 1);
        QVERIFY(section.notes.isEmpty());

        QCOMPARE(view->recommendations().size(), 1);
        RecommendationRow *row = view->recommendations().first();
        QCOMPARE(row->accessibleName(), "Driftnote");
        Opened browser;
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &browser, "open");
        QTest::mouseClick(row->websiteButton(), Qt::LeftButton);
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QCOMPARE(browser.urls, QList<QUrl>{QUrl(QStringLiteral("https://orvane.dev/driftnote"))});

        QTest::mouseClick(row->dismissButton(), Qt::LeftButton);
        QTRY_VERIFY(!view->recommendationGroup());
        QCOMPARE(m_settings.dismissedRecommendations.value(), QStringList{"driftnote"});
        QVERIFY(m_settings.dismissedRecommendations.set({}));
        QVERIFY(view->recommendationGroup());
        QTest::mouseClick(view->hideAllButton(), Qt::LeftButton);
        QTRY_VERIFY(!view->recommendationGroup());
        QVERIFY(!m_settings.showRecommendations.value());
        QVERIFY(m_settings.showRecommendations.set(true));
        QCOMPARE(view->recommendations().size(), 1);
    }

    // An app whose entry starts nothing says so and leaves the hub open.
    void anAppThatDoesNotStart()
    {
        auto installed = std::make_shared<SimInstalledApps>();
        installed->installed.append(
            {QStringLiteral("dev.orvane.Driftnote"), QStringLiteral("Driftnote"), {}, {}, {}, {}});
        Section section(m_settings, installed, {});
        AppsView *view = section.view;
        QTRY_COMPARE(view->tiles().size(), 1);
        QTest::mouseClick(view->tiles().first()->openButton(), Qt::LeftButton);
        QCOMPARE(section.notes, QStringList{"Driftnote couldn’t be opened."});
        QCOMPARE(section.closed, 0);
    }

    // The door button asks the sibling to present itself where the housing
    // is on this display, and the hub makes way.
    void doorOpensAtTheHousing()
    {
        SiblingApps siblings(Ecosystem::catalogue(), m_installed);
        QSignalSpy found(&siblings, &SiblingApps::found);
        siblings.refresh();
        QVERIFY(found.wait());

        QProcessEnvironment env;
        env.insert(QStringLiteral("TARNWICK_FAKE_CUTOUT"), QStringLiteral("notch14"));
        LinuxShelfFileSystem shelfFiles;
        Hub hub{
            m_settings, AppInfo::compiledIn(), {{}, m_data.path(), nullptr, {}, m_data.path(), &shelfFiles}};
        HubState state;
        HubSections sections;
        HubPanel panel(hub, state, sections, env);
        panel.open(HubTab::Apps);
        QTRY_VERIFY(panel.window() && panel.window()->isVisible());
        state.setDoors(siblings.doors());
        const QList<QToolButton *> doors = panel.window()->view()->doorButtons();
        QCOMPARE(doors.size(), 1);
        QCOMPARE(doors.first()->text(), "Latchkey");

        Opened sibling;
        QDesktopServices::setUrlHandler(QStringLiteral("latchkey"), &sibling, "open");
        QTest::mouseClick(doors.first(), Qt::LeftButton);
        QDesktopServices::unsetUrlHandler(QStringLiteral("latchkey"));
        QCOMPARE(sibling.urls.size(), 1);
        QVERIFY(!panel.isOpen());
        const QUrl url = sibling.urls.first();
        QCOMPARE(url.host(), "tarnwick");
        QCOMPARE(url.path(), "/present");
        // A 14-inch notch: centred at the top of the primary display.
        const QUrlQuery query(url);
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        const int x = query.queryItemValue(QStringLiteral("x")).toInt();
        const int w = query.queryItemValue(QStringLiteral("w")).toInt();
        QVERIFY(w > 100 && w < 300);
        QVERIFY(qAbs(x + w / 2 - screen.center().x()) <= 1);
        QCOMPARE(query.queryItemValue(QStringLiteral("y")).toInt(), screen.top());
        QVERIFY(query.queryItemValue(QStringLiteral("h")).toInt() > 20);
        QCOMPARE(query.queryItemValue(QStringLiteral("shape")), "notch");
        QCOMPARE(query.queryItemValue(QStringLiteral("display")), "0");
        QCOMPARE(query.queryItemValue(QStringLiteral("appearance")), "dark");
    }
};

QTEST_MAIN(TestAppsView)
#include "test_apps_view.moc"
