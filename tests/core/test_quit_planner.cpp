#include "AppCategory.h"
#include "QuitPlanner.h"
#include "QuitReport.h"

#include <QTest>

namespace {

AppEntry app(const QString &appId, const QString &name, const QStringList &desktopCategories = {},
             quint64 memory = 0, qint32 pid = 100)
{
    ListedApp listed;
    listed.pid = pid;
    listed.appId = appId;
    listed.name = name;
    listed.categories = desktopCategories;
    listed.memory = memory;
    return AppEntry::from(listed);
}

const QString chromeWebApp = QStringLiteral("chrome-cinhimbnkkaeohfgghhklpknlkffjgod-Default");

} // namespace

class TestQuitPlanner : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void plan_data()
    {
        QTest::addColumn<QString>("appId");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("categories");
        QTest::addColumn<int>("preset");
        QTest::addColumn<bool>("kept");
        QTest::addColumn<bool>("inUse");
        QTest::addColumn<bool>("quits");
        const int everything = int(QuitPreset::Everything);
        const int work = int(QuitPreset::Work);
        const int call = int(QuitPreset::Call);
        const QStringList none;
        // Ids from both systems, messengers in both tables.
        QTest::newRow("telegram-spec work") << "ru.keepcoder.Telegram"
                                            << "Telegram" << none << work << false << false << true;
        QTest::newRow("telegram-spec call") << "ru.keepcoder.Telegram"
                                            << "Telegram" << none << call << false << false << false;
        QTest::newRow("telegram-linux work") << "org.telegram.desktop"
                                             << "Telegram" << none << work << false << false << true;
        QTest::newRow("discord-flatpak call") << "com.discordapp.Discord"
                                              << "Discord" << none << call << false << false << false;
        QTest::newRow("discord-deb work") << "discord"
                                          << "Discord" << none << work << false << false << true;
        QTest::newRow("signal call") << "org.signal.Signal"
                                     << "Signal" << none << call << false << false << false;
        QTest::newRow("zoom-flatpak call") << "us.zoom.Zoom"
                                           << "Zoom" << none << call << false << false << false;
        QTest::newRow("zoom work") << "us.zoom.Zoom"
                                   << "Zoom" << none << work << false << false << false;
        QTest::newRow("slack call") << "com.slack.Slack"
                                    << "Slack" << none << call << false << false << false;
        QTest::newRow("spotify work") << "com.spotify.Client"
                                      << "Spotify" << none << work << false << false << true;
        QTest::newRow("spotify call") << "spotify"
                                      << "Spotify" << none << call << false << false << true;
        QTest::newRow("steam work") << "steam"
                                    << "Steam" << none << work << false << false << true;
        QTest::newRow("heroic work") << "com.heroicgameslauncher.hgl"
                                     << "Heroic" << none << work << false << false << true;
        // Web apps: every one counts as a call app; some are distractions by name.
        QTest::newRow("web app call") << chromeWebApp << "Meet" << none << call << false << false << false;
        QTest::newRow("web app everything")
            << chromeWebApp << "Meet" << none << everything << false << false << true;
        QTest::newRow("web app work") << chromeWebApp << "Meet" << none << work << false << false << false;
        QTest::newRow("netflix web app work")
            << chromeWebApp << "Netflix" << none << work << false << false << true;
        QTest::newRow("edge twitch work") << "msedge-cinhimbnkkaeohfgghhklpknlkffjgod-Profile_1"
                                          << "Twitch" << none << work << false << false << true;
        QTest::newRow("spec web app call") << "com.google.Chrome.app.abc"
                                           << "Meet" << none << call << false << false << false;
        QTest::newRow("not a web app") << "chrome-remote-desktop"
                                       << "Remote" << none << call << false << false << true;
        // Categories.
        QTest::newRow("sub-game work")
            << "org.gnome.Mines"
            << "Mines" << QStringList{"Game", "LogicGame"} << work << false << false << true;
        QTest::newRow("video player work")
            << "org.videolan.VLC"
            << "VLC" << QStringList{"AudioVideo", "Player", "Video"} << work << false << false << true;
        QTest::newRow("video editor work")
            << "org.kde.kdenlive"
            << "Kdenlive" << QStringList{"AudioVideo", "Video", "AudioVideoEditing"} << work << false << false
            << false;
        QTest::newRow("music player work")
            << "org.gnome.Rhythmbox3"
            << "Rhythmbox" << QStringList{"AudioVideo", "Audio", "Player"} << work << false << false << true;
        QTest::newRow("chat work") << "org.kde.konversation"
                                   << "Konversation" << QStringList{"Network", "IRCClient", "Chat"} << work
                                   << false << false << true;
        QTest::newRow("editor work") << "org.gnome.TextEditor"
                                     << "Text Editor" << QStringList{"Utility", "TextEditor"} << work << false
                                     << false << false;
        // No id: keyed by name, never a call app.
        QTest::newRow("no id call") << ""
                                    << "Tool" << none << call << false << false << true;
        QTest::newRow("no id game work") << ""
                                         << "Tool" << QStringList{"Game"} << work << false << false << true;
        // The keep set and the apps in use.
        QTest::newRow("kept everything") << "org.gnome.TextEditor"
                                         << "Text Editor" << none << everything << true << false << false;
        QTest::newRow("kept no id") << ""
                                    << "Tool" << none << everything << true << false << false;
        QTest::newRow("in use call") << "org.gnome.Cheese"
                                     << "Cheese" << none << call << false << true << false;
        QTest::newRow("in use everything") << "org.gnome.Cheese"
                                           << "Cheese" << none << everything << false << true << true;
    }

    void plan()
    {
        QFETCH(QString, appId);
        QFETCH(QString, name);
        QFETCH(QStringList, categories);
        QFETCH(int, preset);
        QFETCH(bool, kept);
        QFETCH(bool, inUse);
        QFETCH(bool, quits);
        const AppEntry entry = app(appId, name, categories, 1000);
        const QSet<QString> keep = kept ? QSet<QString>{entry.key()} : QSet<QString>{};
        const QSet<qint32> users = inUse ? QSet<qint32>{entry.pid} : QSet<qint32>{};
        const QuitPlan result = QuitPlanner::plan({entry}, QuitPreset(preset), keep, users);
        QCOMPARE(result.toQuit.size(), quits ? 1 : 0);
        QCOMPARE(result.kept.size(), quits ? 0 : 1);
        QCOMPARE(result.bytes(), quits ? 1000u : 0u);
    }

    void orderAndTotals()
    {
        QList<AppEntry> apps{app("a", "beta", {}, 0, 1), app("b", "Alpha", {}, 0, 2),
                             app("c", "Gamma", {}, 5, 3), app("steam", "Steam", {}, 7, 4)};
        sortByMemory(apps);
        QCOMPARE(apps.at(0).name, QStringLiteral("Steam"));
        QCOMPARE(apps.at(1).name, QStringLiteral("Gamma"));
        QCOMPARE(apps.at(2).name, QStringLiteral("Alpha")); // equal memory: by name, case aside
        const QuitPlan work = QuitPlanner::plan(apps, QuitPreset::Work, {}, {});
        QCOMPARE(work.toQuit.size(), 1);
        QCOMPARE(work.bytes(), 7u);
        QCOMPARE(work.kept.constFirst().name, QStringLiteral("Gamma")); // kept in input order
        QVERIFY(QuitPlanner::plan({}, QuitPreset::Everything, {}, {}) == QuitPlan{});
    }

    void headline()
    {
        QuitReport report;
        QCOMPARE(report.headline(), QStringLiteral("Nothing to close"));
        report.stillOpen = {app("a", "A")};
        QCOMPARE(report.headline(), QStringLiteral("Nothing closed yet"));
        report.closed = {app("b", "B"), app("c", "C")};
        QCOMPARE(report.headline(), QStringLiteral("Closed 2 apps"));
        report.closed = {app("b", "B", {}, quint64(3) << 30)};
        QCOMPARE(report.headline(), QStringLiteral("Closed 1 app, freed 3.0 GB"));
    }
};

QTEST_GUILESS_MAIN(TestQuitPlanner)
#include "test_quit_planner.moc"
