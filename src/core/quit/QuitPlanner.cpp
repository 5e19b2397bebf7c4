#include "QuitPlanner.h"

#include "AppCategory.h"

#include <QRegularExpression>

namespace {

// Each app by the ids it has on the other system and on Linux (desktop-file
// ids of the distributions' and vendors' packages, Flatpak ids).
const QSet<QString> &callApps()
{
    static const QSet<QString> ids{
        // Zoom
        QStringLiteral("us.zoom.xos"), QStringLiteral("us.zoom.Zoom"), QStringLiteral("Zoom"),
        QStringLiteral("zoom"),
        // Teams
        QStringLiteral("com.microsoft.teams2"), QStringLiteral("com.microsoft.teams"),
        QStringLiteral("teams"), QStringLiteral("teams-for-linux"),
        QStringLiteral("com.github.IsmaelMartinez.teams_for_linux"), QStringLiteral("com.apple.FaceTime"),
        // Slack
        QStringLiteral("com.tinyspeck.slackmacgap"), QStringLiteral("com.slack.Slack"),
        QStringLiteral("slack"),
        // Webex
        QStringLiteral("com.cisco.webexmeetingsapp"), QStringLiteral("Cisco-Systems.Spark"),
        QStringLiteral("webex"),
        // Skype
        QStringLiteral("com.skype.skype"), QStringLiteral("com.skype.Client"),
        QStringLiteral("skypeforlinux"),
        // Discord
        QStringLiteral("com.hnc.Discord"), QStringLiteral("com.discordapp.Discord"),
        QStringLiteral("discord"), QStringLiteral("com.google.meet"), QStringLiteral("com.ringcentral.glip"),
        QStringLiteral("com.goto.meeting"), QStringLiteral("com.logmein.GoToMeeting"),
        QStringLiteral("co.teamwork.around"), QStringLiteral("com.whereby.app"),
        // WhatsApp
        QStringLiteral("net.whatsapp.WhatsApp"), QStringLiteral("com.github.eneshecan.WhatsAppForLinux"),
        QStringLiteral("whatsapp-for-linux"), QStringLiteral("io.github.mimbrero.WhatsAppDesktop"),
        // Telegram
        QStringLiteral("ru.keepcoder.Telegram"), QStringLiteral("org.telegram.desktop"),
        QStringLiteral("telegramdesktop"), QStringLiteral("com.apple.MobileSMS"),
        // Signal, Element
        QStringLiteral("org.signal.Signal"), QStringLiteral("signal-desktop"), QStringLiteral("im.riot.Riot"),
        QStringLiteral("element-desktop")};
    return ids;
}

const QSet<QString> &distractionApps()
{
    static const QSet<QString> ids{
        // Telegram, WhatsApp, Discord, Signal, Element
        QStringLiteral("ru.keepcoder.Telegram"), QStringLiteral("org.telegram.desktop"),
        QStringLiteral("telegramdesktop"), QStringLiteral("net.whatsapp.WhatsApp"),
        QStringLiteral("desktop.WhatsApp"), QStringLiteral("com.github.eneshecan.WhatsAppForLinux"),
        QStringLiteral("whatsapp-for-linux"), QStringLiteral("io.github.mimbrero.WhatsAppDesktop"),
        QStringLiteral("com.hnc.Discord"), QStringLiteral("com.discordapp.Discord"),
        QStringLiteral("discord"), QStringLiteral("org.signal.Signal"), QStringLiteral("signal-desktop"),
        QStringLiteral("im.riot.Riot"), QStringLiteral("element-desktop"),
        // Spotify
        QStringLiteral("com.spotify.client"), QStringLiteral("com.spotify.Client"), QStringLiteral("spotify"),
        // Steam, Lutris, Heroic, Epic, Battle.net
        QStringLiteral("com.valvesoftware.steam"), QStringLiteral("com.valvesoftware.Steam"),
        QStringLiteral("steam"), QStringLiteral("net.lutris.Lutris"), QStringLiteral("lutris"),
        QStringLiteral("com.heroicgameslauncher.hgl"), QStringLiteral("heroic"),
        QStringLiteral("com.epicgames.EpicGamesLauncher"), QStringLiteral("com.blizzard.bnetlauncher"),
        QStringLiteral("com.apple.MobileSMS"), QStringLiteral("com.apple.Music"),
        QStringLiteral("com.apple.TV"), QStringLiteral("com.apple.podcasts"),
        QStringLiteral("com.apple.news"), QStringLiteral("com.facebook.archon"),
        QStringLiteral("com.facebook.archon.developerID"), QStringLiteral("com.netflix.Netflix"),
        QStringLiteral("tv.twitch.studio"), QStringLiteral("com.apple.Photos"),
        QStringLiteral("com.apple.gamecenter"), QStringLiteral("com.apple.games")};
    return ids;
}

// Web apps have an id derived from their address, so they are known by name.
const QSet<QString> &distractionWebApps()
{
    static const QSet<QString> names{QStringLiteral("netflix"), QStringLiteral("twitch")};
    return names;
}

const QSet<QString> &distractionCategories()
{
    static const QSet<QString> categories{AppCategory::games,  AppCategory::video, AppCategory::music,
                                          AppCategory::social, AppCategory::news,  AppCategory::sports};
    return categories;
}

} // namespace

quint64 QuitPlan::bytes() const
{
    quint64 sum = 0;
    for (const AppEntry &app : toQuit)
        sum += app.memory;
    return sum;
}

namespace QuitPlanner {

bool isWebApp(const QString &appId)
{
    // Chrome's and Edge's app ids are 32 letters a to p.
    static const QRegularExpression linuxWebApp(QStringLiteral("^(chrome|msedge)-[a-p]{32}-[^-]+$"));
    return appId.startsWith(QLatin1String("com.google.Chrome.app.")) ||
           appId.startsWith(QLatin1String("com.microsoft.edgemac.app.")) ||
           linuxWebApp.match(appId).hasMatch();
}

bool isDistraction(const AppEntry &app)
{
    if (!app.appId.isEmpty()) {
        if (distractionApps().contains(app.appId))
            return true;
        if (isWebApp(app.appId) && distractionWebApps().contains(app.name.toLower()))
            return true;
    }
    return distractionCategories().contains(app.category);
}

bool isCallApp(const AppEntry &app)
{
    return !app.appId.isEmpty() && (callApps().contains(app.appId) || isWebApp(app.appId));
}

QuitPlan plan(const QList<AppEntry> &apps, QuitPreset preset, const QSet<QString> &keep,
              const QSet<qint32> &inUse)
{
    QuitPlan result;
    for (const AppEntry &app : apps) {
        bool quit = false;
        if (keep.contains(app.key()))
            quit = false;
        else if (preset == QuitPreset::Everything)
            quit = true;
        else if (preset == QuitPreset::Work)
            quit = isDistraction(app);
        else
            quit = !isCallApp(app) && !inUse.contains(app.pid);
        (quit ? result.toQuit : result.kept).append(app);
    }
    return result;
}

} // namespace QuitPlanner
