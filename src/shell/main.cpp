#include "AppDelegate.h"
#include "CommandLine.h"
#include "Log.h"
#include "SingleInstance.h"
#include "TerminationSignals.h"
#include "Translations.h"
#include "WindowSystem.h"

#include <QApplication>

#include <malloc.h>

int main(int argc, char **argv)
{
    if (CommandLine::answerInformationRequest(argc, argv))
        return 0;

    // Pictures for the open hub (thumbnails of some 50 KB) come and go by the
    // hundred. Mapped each on its own, they go back to the system when freed,
    // instead of leaving a fragmented heap behind for as long as Tarnwick runs.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024);

    const AppInfo info = AppInfo::compiledIn();
    qSetMessagePattern(QLatin1String(logMessagePattern));
    WindowSystem::choosePlatform();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarnwick"));
    QApplication::setApplicationVersion(info.version);
    QApplication::setDesktopFileName(info.appId);
    // An agent: closing its last window does not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    Translations translations;
    translations.install(QLocale(), Translations::ownFolders(QApplication::applicationDirPath()));

    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const LaunchOptions options = LaunchOptions::fromArguments(QApplication::arguments().mid(1));
    const Prefs prefs(env, info);

    // Self-checks run beside a running Tarnwick; only a normal run is unique.
    SingleInstance instance(prefs.instanceLock(), info.appId);
    if (options.mode() == LaunchOptions::Mode::Normal && !instance.claim())
        return 0;

    const bool simulated = env.value(QStringLiteral("TARNWICK_SIMULATED")) == QLatin1String("1");
    Backends backends = simulated ? Backends::simulated()
                                  : Backends::forLinux(prefs, info, QApplication::applicationFilePath(), env);
    AppDelegate delegate(info, prefs, std::move(backends), options, env);
    QObject::connect(&delegate, &AppDelegate::selfCheckFinished, &app,
                     [](int code) { QApplication::exit(code); });
    QObject::connect(&app, &QApplication::aboutToQuit, &delegate, &AppDelegate::shutDown);
    TerminationSignals signalsWatcher;
    QObject::connect(&signalsWatcher, &TerminationSignals::received, &app, [] { QApplication::quit(); });

    delegate.launch();
    return QApplication::exec();
}
