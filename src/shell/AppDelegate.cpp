#include "AppDelegate.h"

#include "Halo.h"
#include "HaloView.h"
#include "Hub.h"
#include "IdleReport.h"
#include "Log.h"
#include "MicGuard.h"
#include "ModeSettings.h"
#include "QuietMic.h"
#include "Report.h"
#include "SensorAnnouncer.h"
#include "SensorReport.h"
#include "SensorWatcher.h"
#include "Settings.h"
#include "Snapshots.h"
#include "StatusItem.h"
#include "StatusMenu.h"
#include "SwitchCheck.h"
#include "Text.h"
#include "UnbuiltModeReport.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

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
{}

AppDelegate::~AppDelegate() = default;

void AppDelegate::launch()
{
    const SensorWatcher::Sources sensorSources{*m_backends.audioCaptures, *m_backends.cameras,
                                               *m_backends.cameraClients, *m_backends.processes};
    const auto me = qint32(QCoreApplication::applicationPid());
    HubServices services;
    services.sensors = std::make_unique<SensorWatcher>(sensorSources, me);
    services.dataFolder = m_prefs.dataFolder();
    services.inputDevices = m_backends.inputDevices.get();
    services.quietMic = m_backends.quietMic.get();
    services.cameraPermissions = m_backends.cameraPermissions;
    services.appTerminator = m_backends.appTerminator.get();
    services.environment = m_env;
    m_hub = std::make_unique<Hub>(m_settings, m_info, std::move(services));
    setUpStatusItem();
    wireCallbacks();

    if (m_options.mode() == LaunchOptions::Mode::SnapshotWindows) {
        runSnapshots();
        return;
    }
    if (m_options.mode() == LaunchOptions::Mode::CheckSwitch) {
        runSwitchCheck();
        return;
    }
    if (m_options.runsBeforeHubStart()) {
        runUnbuiltMode();
        return;
    }

    if (!QDir().mkpath(m_prefs.dataFolder()) || !QFileInfo(m_prefs.dataFolder()).isWritable())
        qCWarning(lcShell).noquote().nospace()
            << "the data folder " << m_prefs.dataFolder()
            << " cannot be written; nothing Tarnwick records this session will be kept";
    m_hub->start();

    if (m_options.mode() == LaunchOptions::Mode::IdleReport) {
        runIdleReport();
        return;
    }
    if (m_options.mode() == LaunchOptions::Mode::SensorReport) {
        runSensorReport();
        return;
    }
    m_autostart.turnOnOnce();
}

void AppDelegate::wireCallbacks()
{
    SensorAnnouncer::Shell shell{
        [] { return false; }, // the hub panel does not exist yet
        [this] { return m_halo->banner().has_value(); },
        [this](const SensorUser &user) { return iconFor(user); },
    };
    m_announcer = std::make_unique<SensorAnnouncer>(*m_hub, std::move(shell));
    connect(m_announcer.get(), &SensorAnnouncer::announce, m_halo.get(), &Halo::announce);
    connect(m_announcer.get(), &SensorAnnouncer::replaceBanner, m_halo.get(), [this](const Banner &banner) {
        m_halo->replaceBanner(banner);
        m_halo->render(false);
    });
    connect(m_announcer.get(), &SensorAnnouncer::endBanner, m_halo.get(), &Halo::endBanner);
    connect(m_announcer.get(), &SensorAnnouncer::quitRequested, this,
            [this](qint32 pid) { m_backends.appTerminator->terminate(pid); });

    connect(m_hub.get(), &Hub::sensorChange, this, &AppDelegate::sensorsChanged);
    connect(&m_settings.haloForCamera, &SettingBase::changed, this, &AppDelegate::refreshHalo);
    connect(&m_settings.haloForMic, &SettingBase::changed, this, &AppDelegate::refreshHalo);
    connect(m_hub.get(), &Hub::note, this, [this](const QString &text) { note(text); });
    connect(m_halo.get(), &Halo::clicked, this, &AppDelegate::openHub);

    // Displays come and go: the notch may now be elsewhere.
    const auto screensChanged = [this] { m_halo->screensChanged(); };
    connect(qApp, &QGuiApplication::screenAdded, this, screensChanged);
    connect(qApp, &QGuiApplication::screenRemoved, this, screensChanged);
    connect(qApp, &QGuiApplication::primaryScreenChanged, this, screensChanged);
    for (QScreen *screen : QGuiApplication::screens())
        connect(screen, &QScreen::geometryChanged, this, screensChanged);
    connect(qApp, &QGuiApplication::screenAdded, this, [this, screensChanged](QScreen *screen) {
        connect(screen, &QScreen::geometryChanged, this, screensChanged);
    });
}

void AppDelegate::refreshHalo()
{
    const SensorState &state = m_hub->sensorState();
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

QString AppDelegate::iconFor(const SensorUser &user) const
{
    // Desktop-file ids double as icon-theme names; the halo falls back to the
    // symbol when the theme has no such icon.
    return user.appId;
}

void AppDelegate::shutDown()
{
    // Every input is given back before the process ends; "MicOff" stays, so
    // the next start silences again.
    if (!m_hub || !m_hub->micOff())
        return;
    if (m_backends.quietMic)
        QuietMic::deactivate(*m_backends.quietMic, m_defaults);
    if (MicGuard *guard = m_hub->micGuard())
        guard->turnOff();
    // The audio server takes the levels asynchronously: wait (running a local
    // event loop, at most a second) until it has answered every request, so
    // the levels are back and their records dropped before the process goes.
    // What it has not confirmed by then stays recorded for the next start.
    if (!m_backends.inputDevices->settle(1000))
        qCWarning(lcShell).noquote().nospace()
            << "the audio server did not confirm every microphone level within a second; the rest are given "
               "back at the next start";
}

void AppDelegate::reopen()
{
    openHub();
}

void AppDelegate::setUpStatusItem()
{
    m_statusItem = std::make_unique<StatusItem>();
    connect(m_statusItem.get(), &StatusItem::clicked, this, &AppDelegate::statusClicked);
    connect(m_statusItem.get(), &StatusItem::menuNeedsUpdate, this, [this](QMenu *menu) {
        StatusMenu::fill(*menu, *m_hub,
                         {[this] { toggleEverythingOff(); }, [] { QCoreApplication::quit(); }});
    });
    connect(m_hub.get(), &Hub::sensorStateChanged, m_statusItem.get(), &StatusItem::refresh);
    if (!m_statusItem->show())
        qCWarning(lcShell).noquote().nospace()
            << "no system tray is running; the status icon appears when one starts";
    m_statusShownSeconds = m_backends.processUsage->secondsSinceStart();
}

void AppDelegate::statusClicked()
{
    openHub();
}

void AppDelegate::openHub()
{
    // Until the hub panel exists, its actions live in the status menu.
    m_statusItem->popUpMenu(QCursor::pos());
}

void AppDelegate::toggleEverythingOff()
{
    m_hub->toggleEverythingOff();
}

void AppDelegate::note(const QString &text, std::optional<QColor> swatch)
{
    qCInfo(lcShell).noquote().nospace() << "note: " << text;
    m_halo->announce(Banner::note(
        text, swatch ? std::optional<SrgbColor>(SrgbColor{swatch->redF(), swatch->greenF(), swatch->blueF()})
                     : std::nullopt));
}

void AppDelegate::runUnbuiltMode()
{
    m_report = std::make_unique<Report>(m_options.path());
    const int exitCode = UnbuiltModeReport::run(*m_report, m_options.mode());
    QTimer::singleShot(0, this, [this, exitCode] { Q_EMIT selfCheckFinished(exitCode); });
}

void AppDelegate::runIdleReport()
{
    m_report = std::make_unique<Report>(m_options.path());
    const double seconds = ModeSettings::seconds(m_env, "TARNWICK_IDLE_SECONDS", 300);
    m_idleReport = std::make_unique<IdleReport>(*m_report, *m_backends.processUsage, seconds);
    connect(m_idleReport.get(), &IdleReport::finished, this, &AppDelegate::selfCheckFinished);
    m_idleReport->run(m_statusShownSeconds);
}

void AppDelegate::runSnapshots()
{
    m_report = std::make_unique<Report>(QDir(m_options.path()).filePath(QStringLiteral("report.txt")));
    const int exitCode = Snapshots::run(*m_report, m_options.path(), m_env);
    QTimer::singleShot(0, this, [this, exitCode] { Q_EMIT selfCheckFinished(exitCode); });
}

void AppDelegate::runSensorReport()
{
    m_report = std::make_unique<Report>(m_options.path());
    const double seconds = ModeSettings::seconds(m_env, "TARNWICK_REPORT_SECONDS", 30);
    SensorReport::Halo halo{
        [this] { return m_halo->isVisible(); },
        [this] { return m_halo->banner() ? std::optional<QString>(m_halo->banner()->title) : std::nullopt; },
    };
    m_sensorReport =
        std::make_unique<SensorReport>(*m_report, *m_hub, *m_backends.processUsage, std::move(halo), seconds);
    connect(m_sensorReport.get(), &SensorReport::finished, this, &AppDelegate::selfCheckFinished);
    m_sensorReport->run();
}

void AppDelegate::runSwitchCheck()
{
    m_report = std::make_unique<Report>(m_options.path());
    m_switchCheck = std::make_unique<SwitchCheck>(*m_report, *m_hub, *m_backends.inputDevices,
                                                  m_backends.cameraPermissions);
    connect(m_switchCheck.get(), &SwitchCheck::finished, this, &AppDelegate::selfCheckFinished);
    m_switchCheck->run();
}
