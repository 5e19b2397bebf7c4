// The settings and welcome windows: the time from asking for each to its
// first paint, and the memory left behind by opening and closing it 20 times. Needs a desktop:
// scripts/desktop-rig.sh build/bench/bench_windows
#include "AppInfo.h"
#include "Autostart.h"
#include "BenchMemory.h"
#include "BenchTiming.h"
#include "DefaultsStore.h"
#include "PrivacySwitch.h"
#include "SensorModel.h"
#include "SensorWatcher.h"
#include "Settings.h"
#include "SettingsView.h"
#include "ShelfStore.h"
#include "SimAutostartService.h"
#include "SimCameraPermissionStore.h"
#include "SimFileManager.h"
#include "SimShelfFileSystem.h"
#include "Tutorial.h"
#include "TutorialView.h"
#include "Windows.h"

#include <QApplication>
#include <QFile>
#include <QMainWindow>
#include <QPointer>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

// Ends a wait at the first paint of any widget.
class FirstPaint : public QObject {
public:
    QEventLoop loop;
    double at = -1;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && at < 0) {
            at = BenchTiming::nowMs();
            loop.quit();
        }
        return false;
    }
};

void idle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

// Opens and closes the window 21 times; prints how soon it painted and the
// memory left behind. Answers false when it did not paint or did not go.
bool measure(QApplication &app, QTextStream &out, Windows &windows, const Windows::Kind &kind,
             const std::function<QWidget *()> &content)
{
    const auto cycle = [&]() -> double {
        FirstPaint paint;
        app.installEventFilter(&paint);
        const double asked = BenchTiming::nowMs();
        QPointer<QMainWindow> window = windows.show(kind, content);
        // The first paint may come while the window is being shown.
        if (paint.at < 0) {
            QTimer::singleShot(10000, &paint.loop, &QEventLoop::quit);
            paint.loop.exec();
        }
        app.removeEventFilter(&paint);
        window->close();
        // Deleted now: this turn of the event loop never ends while the bench runs.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return paint.at < 0 || window ? -1 : paint.at - asked;
    };
    // One opening first: fonts, icons and styles load once per process.
    cycle();
    idle(300);
    const qint64 baseline = BenchMemory::residentKb();
    QList<double> times;
    for (int i = 0; i < 20; ++i) {
        const double ms = cycle();
        if (ms < 0) {
            out << "bench_windows: the " << kind.id << " window did not paint, or stayed after closing\n";
            return false;
        }
        times.append(ms);
    }
    idle(300);
    const qint64 after = BenchMemory::residentKb();
    std::sort(times.begin(), times.end());
    out << kind.id << " window asked -> painted (ms): median " << BenchTiming::median(times) << ", worst "
        << times.last() << " (target 150)\n";
    out << kind.id << ": resident memory with it closed: " << baseline << " KB before, " << after
        << " KB after 20 openings (" << (after - baseline) << " KB, target within 2048)\n";
    return true;
}

int run(QApplication &app)
{
    QTextStream out(stdout);
    QTemporaryDir dir;
    DefaultsStore defaults(dir.filePath(QStringLiteral("settings.json")));
    Settings settings(defaults);
    PrivacySwitch privacy(settings, AppInfo::compiledIn());
    SimAutostartService autostartService;
    Autostart autostart(autostartService, settings, AppInfo::compiledIn());
    auto cameraApps = std::make_shared<SimCameraPermissionStore>();
    for (int i = 0; i < 12; ++i)
        cameraApps->addApp({QStringLiteral("org.example.App%1").arg(i), QStringLiteral("App %1").arg(i),
                            QStringLiteral("application-x-executable")});
    SimShelfFileSystem shelfFiles;
    ShelfStore shelf(QString(), dir.filePath(QStringLiteral("Shelf")), shelfFiles, {});
    SimFileManager fileManager;
    SensorModel sensors(settings, nullptr);
    Tutorial tutorial(sensors, settings.tutorialSeen, {[] {}, [] {}, [] {}});
    Windows windows({}, defaults);

    const bool settingsMeasured = measure(
        app, out, windows,
        {QStringLiteral("settings"), QStringLiteral("Tarnwick Settings"), QSize(560, 640), true}, [&] {
            return new SettingsView({settings, privacy, autostart, cameraApps,
                                     [&shelf]() -> ShelfStore & { return shelf; }, fileManager, true, [] {},
                                     [] {}});
        });
    const bool welcomeMeasured = measure(
        app, out, windows,
        {QStringLiteral("welcome"), QStringLiteral("Welcome to Tarnwick"), QSize(520, 480), false}, [&] {
            tutorial.begin();
            return new TutorialView(tutorial, true);
        });
    return settingsMeasured && welcomeMeasured ? 0 : 1;
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    // Inside the event loop, so closed windows are deleted as in the app.
    QTimer::singleShot(0, &app, [&app] { QApplication::exit(run(app)); });
    return QApplication::exec();
}
