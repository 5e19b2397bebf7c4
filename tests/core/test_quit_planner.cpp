#include "AppCategory.h"
#include "QuitPlanner.h"
#include "QuitReport.h"

#include <QTest>

namespace {

AppEntry app(const QString &appId, const QString &name, const QStringList &desktopCategories = {},
             quint64 memory = 0, qint32 pid = 100)
{
    return AppEntry::from(ListedApp{pid, name, appId, {}, desktopCategories, memory, {}});
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
        const auto row = [](const char *tag, const QString &appId, const char *name, QuitPreset preset,
                            bool quits, const QStringList &categories = {}, bool kept = false,
                            bool inUse = false) {
            QTest::newRow(tag) << appId << QString::fromUtf8(name) << categories << int(preset) << kept
                               << inUse << quits;
        };
        const QuitPreset everything = QuitPreset::Everything, work = QuitPreset::Work,
                         call = QuitPreset::Call;
        // Ids from both systems, messengers in both tables.
        row("telegram, other system's id, work", "ru.keepcoder.Telegram", "Telegram", work, true);
        row("telegram, other system's id, call", "ru.keepcoder.Telegram", "Telegram", call, false);
        // Web apps: every one counts as a call app; some are distractions by name.
        row("web app call", chromeWebApp, "Meet", call, false);
        row("web app work", chromeWebApp, "Meet", work, false);
        row("netflix web app work", chromeWebApp, "Netflix", work, true);
        row("edge twitch work", "msedge-cinhimbnkkaeohfgghhklpknlkffjgod-Profile_1", "Twitch", work, true);
        row("other system's web app call", "com.google.Chrome.app.abc", "Meet", call, false);
        row("not a web app", "chrome-remote-desktop", "Remote", call, true);
        row("sub-game work", "org.gnome.Mines", "Mines", work, true, {"Game", "LogicGame"});
        row("video player work", "org.videolan.VLC", "VLC", work, true, {"AudioVideo", "Player", "Video"});
        row("video editor work", "org.kde.kdenlive", "Kdenlive", work, false,
            {"AudioVideo", "Video", "AudioVideoEditing"});
        row("music player work", "org.gnome.Rhythmbox3", "Rhythmbox", work, true,
            {"AudioVideo", "Audio", "Player"});
        row("chat work", "org.kde.konversation", "Konversation", work, true,
            {"Network", "IRCClient", "Chat"});
        row("editor work", "org.gnome.TextEditor", "Text Editor", work, false, {"Utility", "TextEditor"});
        // No id: keyed by name, never a call app.
        row("no id call", "", "Tool", call, true);
        row("no id game work", "", "Tool", work, true, {"Game"});
        row("kept everything", "org.gnome.TextEditor", "Text Editor", everything, false, {}, true);
        row("kept no id", "", "Tool", everything, false, {}, true);
        row("in use call", "org.gnome.Cheese", "Cheese", call, false, {}, false, true);
        row("in use everything", "org.gnome.Cheese", "Cheese", everything, true, {}, false, true);
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
