#include "AppDelegate.h"

#include "AppsSection.h"
#include "BusObject.h"
#include "Ecosystem.h"
#include "Halo.h"
#include "HaloView.h"
#include "HistoryView.h"
#include "Hub.h"
#include "HubPanel.h"
#include "HubView.h"
#include "HubWindow.h"
#include "Log.h"
#include "Mirror.h"
#include "MirrorSection.h"
#include "Notch.h"
#include "NotchTrigger.h"
#include "PoliteTerminator.h"
#include "PrivacySection.h"
#include "QuitModel.h"
#include "QuitSection.h"
#include "Quitter.h"
#include "RunningApps.h"
#include "SelfCheckRun.h"
#include "SensorAnnouncer.h"
#include "SensorWatcher.h"
#include "Settings.h"
#include "SettingsView.h"
#include "ShelfSection.h"
#include "ShelfStore.h"
#include "SiblingApps.h"
#include "StatusItem.h"
#include "StatusMenu.h"
#include "Text.h"
#include "TimerTask.h"
#include "Tools.h"
#include "ToolsSection.h"
#include "Tutorial.h"
#include "TutorialView.h"
#include "UpdatePrompt.h"
#include "VpnList.h"
#include "Windows.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QUrl>

AppDelegate::AppDelegate(const AppInfo &info, const Prefs &prefs, Backends backends,
                         const LaunchOptions &options, const QProcessEnvironment &env, QObject *parent)
    : QObject(parent)
    , m_info(info)
    , m_prefs(prefs)
    , m_env(env)
    , m_backends(std::move(backends))
    , m_options(options)
    , m_defaults(prefs.defaultsFile())
    , m_settings(m_defaults)
    , m_autostart(*m_backends.autostart, m_settings, info)
    , m_halo(std::make_unique<Halo>(env))
    , m_windows(std::make_unique<Windows>(menuActions(), m_defaults))
{}

AppDelegate::~AppDelegate() = default;

void AppDelegate::launch()
{
    const SensorWatcher::Sources sensorSources{*m_backends.audioCaptures, *m_backends.cameras,
                                               *m_backends.cameraClients, *m_backends.processes};
    const auto me = qint32(QCoreApplication::applicationPid());
    // Every quit, of one app or many, goes the polite way through the quitter.
    m_runningApps = std::make_unique<RunningApps>(*m_backends.appWindows, m_backends.appProcesses, me);
    m_quitter = std::make_unique<Quitter>(*m_backends.appWindows);
    m_terminator =
        std::make_unique<PoliteTerminator>(*m_backends.appWindows, m_backends.appProcesses, *m_quitter, me);
    m_quitModel = std::make_unique<QuitModel>(m_settings, *m_runningApps, *m_quitter);
    HubServices services{std::make_unique<SensorWatcher>(sensorSources, me),
                         m_prefs.dataFolder(),
                         m_terminator.get(),
                         PrivacyServices{m_backends.inputDevices.get(), m_backends.quietMic.get(),
                                         m_backends.cameraPermissions, m_env},
                         m_prefs.cacheFolder(),
                         m_backends.shelfFiles.get()};
    m_hub = std::make_unique<Hub>(m_settings, m_info, std::move(services));
    m_tutorial =
        std::make_unique<Tutorial>(m_hub->sensors(), m_settings.tutorialSeen,
                                   Tutorial::Shell{[this] { m_panel->open(HubTab::Privacy); },
                                                   [this] { m_windows->close(QStringLiteral("welcome")); },
                                                   [this] { m_halo->endBanner(); }});
    m_vpns = std::make_unique<VpnList>(std::move(m_backends.vpns));
    m_panel = std::make_unique<HubPanel>(*m_hub, m_hubState, m_hubSections, m_env);
    m_trigger = std::make_unique<NotchTrigger>(m_env, [this] { return m_settings.openOnHover.value(); });
    PrivacySection{m_hub->sensors(),
                   m_hub->privacy(),
                   *m_terminator,
                   me,
                   {[this](const QString &text) { note(text); }, [this] { m_panel->rules().beginBusy(); },
                    [this] { m_panel->rules().endBusy(); }},
                   m_vpns.get(),
                   [this] { showHistory(); }}
        .addTo(m_hubSections);
    // The hub stays open while a quit runs.
    connect(m_quitModel.get(), &QuitModel::busyChanged, this, [this](bool busy) {
        if (busy)
            m_panel->rules().beginBusy();
        else
            m_panel->rules().endBusy();
    });
    QuitSection{*m_quitModel, *m_quitter, m_hub->sensors()}.addTo(m_hubSections);
    m_updates =
        std::make_unique<UpdatePrompt>(m_info, m_defaults, [this](const QString &text) { note(text); });
    m_tools = std::make_unique<Tools>(m_backends.toolFacilities(), std::make_unique<TimerTask>());
    m_mirror = std::make_unique<Mirror>(
        *m_backends.cameraAccess,
        [this](bool inUse) {
            if (SensorWatcher *watcher = m_hub->sensors().watcher())
                watcher->setOwnCameraUse(inUse);
        },
        std::make_unique<TimerTask>());
    m_siblings = std::make_unique<SiblingApps>(Ecosystem::catalogue(), m_backends.installedApps);
    m_runningSiblings = std::make_unique<RunningApps>(*m_backends.appWindows, m_backends.appProcesses, me);
    setUpStatusItem();
    wireCallbacks();
    registerSections();

    m_selfCheck = std::make_unique<SelfCheckRun>(
        m_options, SelfCheckRun::App{m_backends, *m_hub, *m_halo, m_env, *m_windows, menuActions(),
                                     [this](QMenu &menu) {
                                         StatusMenu::fill(menu, m_hub->sensors().state(), m_hub->privacy(),
                                                          menuActions());
                                     },
                                     *m_tutorial, *m_panel});
    connect(m_selfCheck.get(), &SelfCheckRun::finished, this, &AppDelegate::selfCheckFinished);
    if (m_selfCheck->runBeforeStart())
        return;

    if (!QDir().mkpath(m_prefs.dataFolder()) || !QFileInfo(m_prefs.dataFolder()).isWritable())
        qCWarning(lcShell).noquote().nospace()
            << "the data folder " << m_prefs.dataFolder()
            << " cannot be written; nothing Tarnwick records this session will be kept";
    m_trigger->install();
    m_hub->start();
    // Only the one instance answers on the bus; self-checks run beside it.
    if (m_options.mode() == LaunchOptions::Mode::Normal) {
        m_bus = std::make_unique<BusObject>(m_info.appId, m_hub->sensors(), m_hub->privacy(),
                                            [this](std::optional<HubTab> tab) { m_panel->open(tab); });
        m_bus->publish(QDBusConnection::sessionBus());
        m_updates->start();
    }

    if (m_selfCheck->runAfterStart(m_statusShownSeconds))
        return;
    m_autostart.turnOnOnce();
    if (!m_settings.tutorialSeen.value())
        showTutorial();
}

void AppDelegate::wireCallbacks()
{
    SensorAnnouncer::Shell shell{
        [this] { return m_panel->isOpen(); },
        [this] { return m_halo->banner().has_value(); },
        // The halo falls back to the symbol when the icon cannot be loaded.
        [](const SensorUser &user) { return user.icon; },
    };
    m_announcer =
        std::make_unique<SensorAnnouncer>(m_hub->sensors(), m_settings, m_hub->privacy(), std::move(shell));
    connect(m_announcer.get(), &SensorAnnouncer::announce, m_halo.get(), &Halo::announce);
    connect(m_announcer.get(), &SensorAnnouncer::replaceBanner, m_halo.get(), [this](const Banner &banner) {
        m_halo->replaceBanner(banner);
        m_halo->render(false);
    });
    connect(m_announcer.get(), &SensorAnnouncer::endBanner, m_halo.get(), &Halo::endBanner);
    connect(m_announcer.get(), &SensorAnnouncer::quitRequested, this,
            [this](qint32 pid) { m_terminator->terminate(pid); });

    connect(&m_hub->sensors(), &SensorModel::changed, this, &AppDelegate::sensorsChanged);
    m_hub->onShelfMade([this](ShelfStore &store) { shelfMade(store); });
    connect(&m_settings.haloForCamera, &SettingBase::changed, this, &AppDelegate::refreshHalo);
    connect(&m_settings.haloForMic, &SettingBase::changed, this, &AppDelegate::refreshHalo);
    connect(&m_hub->privacy(), &PrivacySwitch::note, this, [this](const QString &text) { note(text); });
    connect(&m_hub->sensors(), &SensorModel::note, this, [this](const QString &text) { note(text); });
    connect(m_tools.get(), &Tools::note, this, [this](const QString &text) { note(text); });
    connect(m_tools.get(), &Tools::colorPicked, this, [this](const QString &hex) {
        QGuiApplication::clipboard()->setText(hex);
        note(Tools::copiedNote(hex), QColor::fromString(hex));
    });
    connect(m_halo.get(), &Halo::clicked, this, [this] { m_panel->open(HubTab::Privacy); });
    connect(m_panel.get(), &HubPanel::openChanged, this, [this](bool open) {
        // No halo and no banners while the hub is open; the banner timer runs on.
        m_halo->setSuppressed(open);
        m_halo->render(false);
        m_trigger->setCovered(open);
        if (open) {
            m_tutorial->hubOpened();
            // The doors of this opening: whatever the siblings declare now.
            m_siblings->refresh();
        }
    });
    connect(m_siblings.get(), &SiblingApps::found, this, [this] {
        if (m_panel->isOpen())
            m_hubState.setDoors(m_siblings->doors());
    });
    // Closing the welcome window any way at all ends the tutorial.
    connect(m_windows.get(), &Windows::closed, this, [this](const QString &id) {
        if (id == QLatin1String("welcome"))
            m_tutorial->finish();
    });
    connect(m_trigger.get(), &NotchTrigger::openRequested, this,
            [this](std::optional<HubTab> tab, bool) { m_panel->open(tab); });

    // Displays come and go: the notch may now be elsewhere.
    const auto screensChanged = [this] {
        m_trigger->install();
        m_halo->screensChanged();
        m_panel->close();
    };
    connect(qApp, &QGuiApplication::screenAdded, this, screensChanged);
    connect(qApp, &QGuiApplication::screenRemoved, this, screensChanged);
    connect(qApp, &QGuiApplication::primaryScreenChanged, this, screensChanged);
    for (QScreen *screen : QGuiApplication::screens())
        connect(screen, &QScreen::geometryChanged, this, screensChanged);
    connect(qApp, &QGuiApplication::screenAdded, this, [this, screensChanged](QScreen *screen) {
        connect(screen, &QScreen::geometryChanged, this, screensChanged);
    });
}

void AppDelegate::registerSections()
{
    ShelfSection{[this]() -> ShelfStore & { return m_hub->shelf(); }, m_hubState, m_panel->rules(),
                 *m_backends.fileManager}
        .addTo(m_hubSections);
    ToolsSection{*m_tools, [this] { m_panel->close(); }}.addTo(m_hubSections);
    MirrorSection{*m_mirror, m_backends.cameraFeed}.addTo(m_hubSections);
    AppsSection{*m_siblings,
                m_settings,
                *m_backends.installedApps,
                *m_runningSiblings,
                [this] { m_panel->close(); },
                [this](const QString &text) { note(text); }}
        .addTo(m_hubSections);
}

void AppDelegate::shelfMade(ShelfStore &store)
{
    connect(&store, &ShelfStore::note, this, [this](const QString &text) { note(text); });
    connect(&store, &ShelfStore::batchFinished, this,
            [this](const ShelfBatch &result, const QByteArray &folder) {
                note(result.note(QFileInfo(QFile::decodeName(folder)).fileName()));
            });
    connect(&store, &ShelfStore::countChanged, this, [this] {
        if (HubWindow *window = m_panel->window())
            window->view()->refreshBadges();
    });
}

void AppDelegate::refreshHalo()
{
    const SensorState &state = m_hub->sensors().state();
    const bool camera = m_settings.haloForCamera.value() && state.cameraOn;
    const bool mic = m_settings.haloForMic.value() && state.micOn;
    if (camera == m_halo->camera() && mic == m_halo->mic())
        return;
    m_halo->setCamera(camera);
    m_halo->setMic(mic);
    m_halo->render(true);
}

void AppDelegate::sensorsChanged(const SensorState &before, const SensorState &after)
{
    refreshHalo();
    m_announcer->sensorsChanged(before, after);
}

void AppDelegate::shutDown()
{
    // Every input is given back before the process ends, also on SIGTERM.
    if (m_hub)
        m_hub->privacy().giveBack();
}

void AppDelegate::setUpStatusItem()
{
    m_statusItem = std::make_unique<StatusItem>();
    connect(m_statusItem.get(), &StatusItem::clicked, this, &AppDelegate::statusClicked);
    connect(m_statusItem.get(), &StatusItem::menuNeedsUpdate, this, [this](QMenu *menu) {
        StatusMenu::fill(*menu, m_hub->sensors().state(), m_hub->privacy(), menuActions());
    });
    connect(&m_hub->sensors(), &SensorModel::stateChanged, m_statusItem.get(), &StatusItem::refresh);
    if (!m_statusItem->show())
        qCWarning(lcShell).noquote().nospace()
            << "no system tray is running; the status icon appears when one starts";
    m_statusShownSeconds = m_backends.processUsage->secondsSinceStart();
}

void AppDelegate::statusClicked()
{
    m_panel->toggle();
}

void AppDelegate::openHub()
{
    m_panel->open();
}

void AppDelegate::showHistory()
{
    m_panel->close();
    m_windows->show(
        {QStringLiteral("history"), Text::tr("Camera & Microphone History"), QSize(620, 460), true},
        [this] { return new HistoryView(m_hub->sensors().history()); });
}

void AppDelegate::showSettings()
{
    m_panel->close();
    m_windows->show({QStringLiteral("settings"), Text::tr("Tarnwick Settings"), QSize(560, 640), true},
                    [this] {
                        const std::optional<Notch> notch = Notch::current(m_env);
                        return new SettingsView(
                            {m_settings, m_hub->privacy(), m_autostart, m_backends.cameraPermissions,
                             [this]() -> ShelfStore & { return m_hub->shelf(); }, *m_backends.fileManager,
                             notch && notch->cutout.kind() != Cutout::Kind::None, [this] { showTutorial(); },
                             [this] { showHistory(); }, m_updates->checksForUpdates()});
                    });
}

void AppDelegate::showTutorial()
{
    m_tutorial->begin();
    m_windows->show(
        {QStringLiteral("welcome"), Text::tr("Welcome to Tarnwick"), QSize(520, 480), false}, [this] {
            const std::optional<Notch> notch = Notch::current(m_env);
            return new TutorialView(*m_tutorial, notch && notch->cutout.kind() != Cutout::Kind::None);
        });
}

void AppDelegate::showAbout()
{
    m_panel->close();
    auto *about = new QMessageBox(QMessageBox::NoIcon, Text::tr("About Tarnwick"),
                                  Text::tr("Tarnwick %1").arg(m_info.version));
    about->setIconPixmap(QApplication::windowIcon().pixmap(64));
    about->setInformativeText(Text::tr("Your notch tells you who’s watching. Nothing leaves your computer."));
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->show();
}

void AppDelegate::openHelp()
{
    const QUrl help(QStringLiteral("https://orvane.dev/tarnwick/help"));
    if (help.isValid())
        QDesktopServices::openUrl(help);
}

MenuActions AppDelegate::menuActions()
{
    return {[this] { openHub(); },           [this] { toggleEverythingOff(); },
            [this] { showHistory(); },       [this] { showSettings(); },
            [this] { checkForUpdates(); },   [this] { showTutorial(); },
            [this] { showAbout(); },         [this] { openHelp(); },
            [] { QCoreApplication::quit(); }};
}

void AppDelegate::toggleEverythingOff()
{
    m_hub->privacy().toggleEverythingOff();
}

void AppDelegate::checkForUpdates()
{
    m_updates->checkForUpdates();
}

void AppDelegate::note(const QString &text, std::optional<QColor> swatch)
{
    qCInfo(lcShell).noquote().nospace() << "note: " << text;
    if (m_panel && m_panel->isOpen()) {
        m_hubState.setNote(text);
        return;
    }
    m_halo->announce(Banner::note(
        text, swatch ? std::optional<SrgbColor>(SrgbColor{swatch->redF(), swatch->greenF(), swatch->blueF()})
                     : std::nullopt));
}
