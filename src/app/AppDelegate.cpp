#include "AppDelegate.h"

#include "Hub.h"
#include "IdleReport.h"
#include "Log.h"
#include "ModeSettings.h"
#include "Report.h"
#include "SensorReport.h"
#include "SensorWatcher.h"
#include "Snapshots.h"
#include "StatusItem.h"
#include "StatusMenu.h"
#include "UnbuiltModeReport.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

AppDelegate::AppDelegate(const AppInfo &info, const Prefs &prefs, Backends backends, const LaunchOptions &options,
                         const QProcessEnvironment &env, QObject *parent)
    : QObject(parent)
    , m_info(info)
    , m_prefs(prefs)
    , m_env(env)
    , m_backends(std::move(backends))
    , m_options(options)
    , m_defaults(prefs.defaultsFile())
    , m_loginItem(*m_backends.loginItem, m_defaults, info)
{
}

AppDelegate::~AppDelegate() = default;

void AppDelegate::applicationDidFinishLaunching()
{
    const SensorWatcher::Sources sensorSources{*m_backends.audioCaptures, *m_backends.cameras,
                                               *m_backends.cameraClients, *m_backends.processes};
    const auto me = qint32(QCoreApplication::applicationPid());
    HubServices services{std::make_unique<SensorWatcher>(sensorSources, me), m_prefs.dataFolder()};
    m_hub = std::make_unique<Hub>(m_defaults, m_info, std::move(services));
    setUpStatusItem();

    connect(m_hub.get(), &Hub::note, this, [this](const QString &text) { note(text); });

    if (m_options.mode() == LaunchOptions::Mode::SnapshotWindows) {
        runSnapshots();
        return;
    }
    if (m_options.runsBeforeHubStart()) {
        runUnbuiltMode();
        return;
    }

    if (!QDir().mkpath(m_prefs.dataFolder()) || !QFileInfo(m_prefs.dataFolder()).isWritable())
        TW_WARN << "the data folder " << m_prefs.dataFolder()
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
    m_loginItem.turnOnOnce();
}

void AppDelegate::applicationWillTerminate()
{
    // The microphone guard gives the inputs back here once it exists; the
    // switch's stored state stays so the next start silences again.
}

void AppDelegate::applicationShouldHandleReopen()
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
    if (!m_statusItem->show())
        TW_WARN << "no system tray is running; the status icon appears when one starts";
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
    // The halo shows notes once it exists; until then they go to the journal.
    TW_LOG << "note: " << text << (swatch ? QStringLiteral(" (") + swatch->name() + QLatin1Char(')') : QString());
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
    m_sensorReport = std::make_unique<SensorReport>(*m_report, *m_hub, *m_backends.processUsage, seconds);
    connect(m_sensorReport.get(), &SensorReport::finished, this, &AppDelegate::selfCheckFinished);
    m_sensorReport->run();
}
