#include "CommandLine.h"

#include "AppInfo.h"
#include "LaunchOptions.h"
#include "Text.h"
#include "Translations.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstring>

namespace CommandLine {

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
    Translations translations;
    translations.install(QLocale(), Translations::ownFolders(QCoreApplication::applicationDirPath()));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        Text::tr("Tarnwick watches every camera and microphone and tells you who is using them.\n"
                 "Your notch tells you who’s watching. Nothing leaves your computer.\n\n"
                 "Self-check modes: each flag takes the path of a report file and ends the\n"
                 "process with status 0 when every statement held."));
    parser.addHelpOption();
    parser.addVersionOption();
    for (LaunchOptions::Mode mode : LaunchOptions::modesInOrder())
        parser.addOption(
            {LaunchOptions::flag(mode).mid(2), LaunchOptions::help(mode), QStringLiteral("path")});
    parser.parse(app.arguments());
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
    parser.showHelp(0);
}

} // namespace CommandLine
