// The hub opened from the tray icon: the time from the click on the icon to
// the hub's first paint, the memory left behind by opening and closing it,
// and what runs while it is closed. Needs a desktop with a tray and xdotool:
// scripts/desktop-rig.sh build/bench/bench_hub
#include "AppInfo.h"
#include "BenchMemory.h"
#include "BenchTiming.h"
#include "DefaultsStore.h"
#include "Hub.h"
#include "HubPanel.h"
#include "HubSections.h"
#include "HubState.h"
#include "HubView.h"
#include "HubWindow.h"
#include "PrivacySection.h"
#include "SensorWatcher.h"
#include "Settings.h"
#include "SimAppTerminator.h"
#include "SimVpnService.h"
#include "StatusItem.h"
#include "VpnList.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QTextStream>

#include <algorithm>

namespace {

double percentile(QList<double> values, double fraction)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[qsizetype(std::min<double>(values.size() - 1, fraction * values.size()))];
}

// Notes the moment of each press the app receives, and counts timer events.
class Watch : public QObject {
public:
    double pressedAt = -1;
    int timerEvents = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonPress && watched->isWindowType())
            pressedAt = BenchTiming::nowMs();
        else if (event->type() == QEvent::Timer)
            ++timerEvents;
        return false;
    }
};

bool click(QPoint at)
{
    return QProcess::execute(QStringLiteral("xdotool"),
                             {QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
                              QStringLiteral("click"), QStringLiteral("1")}) == 0;
}

// Waits (running the event loop) for the hub to be open and painted, or closed.
double openedAndPainted(HubPanel &panel)
{
    if (BenchTiming::whenTrue(&panel, &HubPanel::openChanged, [&] { return panel.isOpen(); }) < 0)
        return -1;
    HubWindow *window = panel.window();
    return window ? BenchTiming::whenTrue(window->view(), &HubView::framePainted, [] { return true; }) : -1;
}

// Runs the event loop for `ms` milliseconds.
void idle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTextStream out(stdout);
    DefaultsStore defaults;
    Settings settings(defaults);
    Hub hub(settings, AppInfo::compiledIn());
    HubState state;
    HubSections sections;
    // The section it opens on, as the app has it.
    SimAppTerminator terminator;
    std::vector<std::unique_ptr<VpnService>> vpnSources;
    vpnSources.push_back(std::make_unique<SimVpnService>());
    VpnList vpns(std::move(vpnSources));
    PrivacySection{hub.sensors(), hub.privacy(), terminator, qint32(QCoreApplication::applicationPid()), {},
                   &vpns}
        .addTo(sections);
    HubPanel panel(hub, state, sections, QProcessEnvironment::systemEnvironment());
    StatusItem status;
    QObject::connect(&status, &StatusItem::clicked, &panel, &HubPanel::toggle);
    if (!status.show()) {
        out << "bench_hub: no system tray\n";
        return 1;
    }
    Watch watch;
    app.installEventFilter(&watch);
    BenchTiming::whenTrue(&status.trayIcon(), &QSystemTrayIcon::activated,
                          [&] { return !status.trayIcon().geometry().isEmpty(); });
    idle(500);
    const QPoint icon = status.trayIcon().geometry().center();

    // One opening first: fonts, icons and styles load once per process.
    const auto cycle = [&]() -> double {
        watch.pressedAt = -1;
        if (!click(icon))
            return -1;
        const double painted = openedAndPainted(panel);
        const double took = painted - watch.pressedAt;
        click(icon);
        const double closed =
            BenchTiming::whenTrue(&panel, &HubPanel::openChanged, [&] { return !panel.isOpen(); });
        return painted < 0 || watch.pressedAt < 0 || closed < 0 ? -1 : took;
    };
    cycle();
    idle(HubPanelRules::releaseDelay.count() + 200);
    const qint64 baseline = BenchMemory::residentKb();

    QList<double> times;
    for (int i = 0; i < 20; ++i) {
        const double ms = cycle();
        if (ms < 0) {
            out << "bench_hub: the hub did not open and close from the tray icon\n";
            return 1;
        }
        times.append(ms);
    }
    idle(HubPanelRules::releaseDelay.count() + 200);
    const qint64 after = BenchMemory::residentKb();

    watch.timerEvents = 0;
    idle(3000);
    // The idle() timer itself is the one timer event expected.
    const int timersWhileClosed = watch.timerEvents - 1;

    out << "tray click -> hub painted (ms): p50 " << percentile(times, 0.5) << ", p95 "
        << percentile(times, 0.95) << " (targets 50 / 100)\n";
    out << "resident memory closed: " << baseline << " KB before, " << after << " KB after 20 openings ("
        << (after - baseline) << " KB, target within 1024)\n";
    out << "timer events in 3 s with the hub closed: " << timersWhileClosed << " (target 0)\n";
    return 0;
}
