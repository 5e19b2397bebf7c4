// The hub opened on its tools section with the real Linux facilities: the
// time from asking the hub to open to its first paint, which includes asking
// the desktop what it offers (the answers come later and do not hold the
// paint up); and which tools this desktop cannot offer.
// Needs a desktop: scripts/desktop-rig.sh build/bench/bench_tools
#include "AppInfo.h"
#include "BenchTiming.h"
#include "DBusCall.h"
#include "DBusScreenLock.h"
#include "DefaultsStore.h"
#include "GSettingsToggle.h"
#include "Hub.h"
#include "HubPanel.h"
#include "HubSections.h"
#include "HubState.h"
#include "HubView.h"
#include "HubWindow.h"
#include "InhibitorKeepAwake.h"
#include "PortalColorPicker.h"
#include "ScreenSampler.h"
#include "SensorWatcher.h"
#include "Settings.h"
#include "TimerTask.h"
#include "Tools.h"
#include "ToolsSection.h"
#include "UDisksEjector.h"
#include "X11DisplaySleep.h"

#include <QApplication>
#include <QDBusConnection>
#include <QTextStream>
#include <QTimer>

#include <algorithm>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTextStream out(stdout);
    const QStringList desktops =
        qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    const QDBusConnection session = QDBusConnection::sessionBus();
    const QDBusConnection system = QDBusConnection::systemBus();
    ScreenSampler picker(std::make_unique<PortalColorPicker>(session));
    const auto icons = GSettingsToggle::desktopIconsHidden(desktops);
    InhibitorKeepAwake awake(session, system, QStringLiteral("Tarnwick"), QStringLiteral("bench"));
    const auto dark = GSettingsToggle::darkMode(desktops);
    const auto hidden = GSettingsToggle::hiddenFiles();
    UDisksEjector disks(system);
    DBusScreenLock lock(session, system, QString());
    X11DisplaySleep sleep;
    Tools tools({&picker, icons.get(), &awake, dark.get(), hidden.get(), &disks, &lock, &sleep},
                std::make_unique<TimerTask>());

    DefaultsStore defaults;
    Settings settings(defaults);
    Hub hub(settings, AppInfo::compiledIn());
    HubState state;
    HubSections sections;
    ToolsSection{tools, [] {}}.addTo(sections);
    HubPanel panel(hub, state, sections, QProcessEnvironment::systemEnvironment());

    QList<double> painted;
    for (int i = 0; i < 21; ++i) {
        const double asked = BenchTiming::nowMs();
        panel.open(HubTab::Tools);
        if (BenchTiming::whenTrue(&panel, &HubPanel::openChanged, [&] { return panel.isOpen(); }) < 0)
            return 1;
        HubWindow *window = panel.window();
        const double paint =
            window ? BenchTiming::whenTrue(window->view(), &HubView::framePainted, [] { return true; }) : -1;
        if (paint < 0) {
            out << "bench_tools: the hub did not paint\n";
            return 1;
        }
        if (i > 0) // the first opening loads fonts and styles once per process
            painted.append(paint - asked);
        panel.close();
        BenchTiming::whenTrue(&panel, &HubPanel::openChanged, [&] { return !panel.isOpen(); });
    }
    out << "hub opened on tools -> first paint (ms), capability check included: median "
        << BenchTiming::median(painted) << ", worst " << *std::max_element(painted.begin(), painted.end())
        << " (target 50)\n";
    // The slowest service has its time to answer the last opening's probes.
    QEventLoop answers;
    QTimer::singleShot(DBusCall::defaultTimeoutMs + 500, &answers, &QEventLoop::quit);
    answers.exec();
    out << "unavailable here:";
    for (const Tool tool : ToolCatalog::all()) {
        if (!tools.isAvailable(tool))
            out << ' ' << ToolCatalog::text(tool);
    }
    out << "\n";
    return 0;
}
