#include "CommandLine.h"

#include "AppInfo.h"
#include "LaunchOptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstring>

namespace CommandLine {

namespace {

QString describe(LaunchOptions::Mode mode)
{
    switch (mode) {
    case LaunchOptions::Mode::CheckMenus:
        return QStringLiteral("Check the menus and write a report to <path>.");
    case LaunchOptions::Mode::CheckTutorial:
        return QStringLiteral("Walk through the tutorial and write a report.");
    case LaunchOptions::Mode::SnapshotWindows:
        return QStringLiteral("Render windows and overlays as PNG files into the folder <path>.");
    case LaunchOptions::Mode::BenchShelf:
        return QStringLiteral("Measure the shelf and write a report.");
    case LaunchOptions::Mode::CheckSwitch:
        return QStringLiteral("Check the camera and microphone switch and write a report.");
    case LaunchOptions::Mode::SensorReport:
        return QStringLiteral("Log camera and microphone changes for TARNWICK_REPORT_SECONDS (30).");
    case LaunchOptions::Mode::IdleReport:
        return QStringLiteral("Measure idle cost over TARNWICK_IDLE_SECONDS (300) and write a report.");
    case LaunchOptions::Mode::Normal:
        break;
    }
    return {};
}

} // namespace

bool answerInformationRequest(int argc, char **argv)
{
    bool asked = false;
    for (int i = 1; i < argc; ++i) {
        for (const char *flag : {"--help", "-h", "--help-all", "--version", "-v"})
            asked = asked || std::strcmp(argv[i], flag) == 0;
    }
    if (!asked)
        return false;

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarnwick"));
    QCoreApplication::setApplicationVersion(AppInfo::compiledIn().version);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Tarnwick watches every camera and microphone and tells you who is using them.\n"
                       "Your notch tells you who’s watching. Nothing leaves your computer.\n\n"
                       "Self-check modes: each flag takes the path of a report file and ends the\n"
                       "process with status 0 when every statement held."));
    parser.addHelpOption();
    parser.addVersionOption();
    for (LaunchOptions::Mode mode : LaunchOptions::modesInOrder())
        parser.addOption({LaunchOptions::flag(mode).mid(2), describe(mode), QStringLiteral("path")});
    parser.parse(app.arguments());
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
    parser.showHelp(0);
}

} // namespace CommandLine
