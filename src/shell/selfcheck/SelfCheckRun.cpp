#include "SelfCheckRun.h"

#include "Halo.h"
#include "HaloView.h"
#include "Hub.h"
#include "IdleReport.h"
#include "MenuCheck.h"
#include "ModeSettings.h"
#include "Report.h"
#include "SensorReport.h"
#include "ShelfBench.h"
#include "Snapshots.h"
#include "SwitchCheck.h"
#include "TutorialCheck.h"

#include <QCoreApplication>
#include <QDir>
#include <QTimer>

SelfCheckRun::SelfCheckRun(const LaunchOptions &options, App app, QObject *parent)
    : QObject(parent)
    , m_options(options)
    , m_app(std::move(app))
{}

SelfCheckRun::~SelfCheckRun() = default;

bool SelfCheckRun::runBeforeStart()
{
    using Mode = LaunchOptions::Mode;
    if (m_options.mode() == Mode::SnapshotWindows) {
        m_report = std::make_unique<Report>(QDir(m_options.path()).filePath(QStringLiteral("report.txt")));
        finishSoon(Snapshots::run(*m_report, m_options.path(), m_app.env));
        return true;
    }
    if (m_options.mode() == Mode::CheckMenus) {
        m_report = std::make_unique<Report>(m_options.path());
        // Once the event loop runs: the check waits on real windows and keys.
        QTimer::singleShot(0, this, [this] {
            Q_EMIT finished(MenuCheck::run(*m_report, {m_app.windows, m_app.actions, m_app.fillStatusMenu,
                                                       QCoreApplication::applicationPid()}));
        });
        return true;
    }
    if (m_options.mode() == Mode::CheckTutorial) {
        m_report = std::make_unique<Report>(m_options.path());
        QTimer::singleShot(0, this, [this] {
            Hub &hub = m_app.hub;
            Q_EMIT finished(
                TutorialCheck::run(*m_report, {hub.settings(), m_app.tutorial, m_app.windows, m_app.actions,
                                               m_app.halo, m_app.panel, hub.sensors()}));
        });
        return true;
    }
    if (m_options.mode() == Mode::CheckSwitch) {
        m_report = std::make_unique<Report>(m_options.path());
        auto check = std::make_unique<SwitchCheck>(
            *m_report, m_app.hub.privacy(), *m_app.backends.inputDevices, m_app.backends.cameraPermissions);
        connect(check.get(), &SwitchCheck::finished, this, &SelfCheckRun::finished);
        check->run();
        m_check = std::move(check);
        return true;
    }
    if (m_options.mode() == Mode::BenchShelf) {
        m_report = std::make_unique<Report>(m_options.path());
        // Once the event loop runs: the bench waits on windows and workers.
        QTimer::singleShot(0, this, [this] {
            Backends &b = m_app.backends;
            Q_EMIT finished(
                ShelfBench::run(*m_report, {*b.shelfFiles, *b.fileManager, *b.processUsage, m_app.env}));
        });
        return true;
    }
    return false;
}

bool SelfCheckRun::runAfterStart(double startupSeconds)
{
    using Mode = LaunchOptions::Mode;
    if (m_options.mode() == Mode::IdleReport) {
        m_report = std::make_unique<Report>(m_options.path());
        const double seconds = ModeSettings::seconds(m_app.env, "TARNWICK_IDLE_SECONDS", 300);
        auto report = std::make_unique<IdleReport>(*m_report, *m_app.backends.processUsage, seconds);
        connect(report.get(), &IdleReport::finished, this, &SelfCheckRun::finished);
        report->run(startupSeconds);
        m_check = std::move(report);
        return true;
    }
    if (m_options.mode() == Mode::SensorReport) {
        m_report = std::make_unique<Report>(m_options.path());
        const double seconds = ModeSettings::seconds(m_app.env, "TARNWICK_REPORT_SECONDS", 30);
        Halo &halo = m_app.halo;
        SensorReport::Halo shown{
            [&halo] { return halo.isVisible(); },
            [&halo] { return halo.banner() ? std::optional<QString>(halo.banner()->title) : std::nullopt; },
        };
        auto report = std::make_unique<SensorReport>(*m_report, m_app.hub.sensors(),
                                                     *m_app.backends.processUsage, std::move(shown), seconds);
        connect(report.get(), &SensorReport::finished, this, &SelfCheckRun::finished);
        report->run();
        m_check = std::move(report);
        return true;
    }
    return false;
}

void SelfCheckRun::finishSoon(int exitCode)
{
    // Once the event loop runs, so the process exits through it.
    QTimer::singleShot(0, this, [this, exitCode] { Q_EMIT finished(exitCode); });
}
