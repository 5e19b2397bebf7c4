#include "Doors.h"
#include "Ecosystem.h"
#include "SiblingApps.h"
#include "SimInstalledApps.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QUrlQuery>

using Keys = QHash<QString, QString>;

namespace {

// A sound door declaration with some keys changed; a null value takes the key away.
Keys doorKeys(std::initializer_list<std::pair<const char *, QString>> changes = {})
{
    Keys keys{{QStringLiteral("Version"), QStringLiteral("1")},
              {QStringLiteral("Title"), QStringLiteral("Latchkey")},
              {QStringLiteral("Scheme"), QStringLiteral("latchkey")}};
    for (const auto &[key, value] : changes) {
        keys.remove(QLatin1String(key));
        if (!value.isNull())
            keys.insert(QLatin1String(key), value);
    }
    return keys;
}

InstalledApp installed(const QString &appId, const Keys &door = {})
{
    return {appId, appId, {}, QStringLiteral("/apps/%1.desktop").arg(appId), {QStringLiteral("run")}, door};
}

QByteArray entry(const char *id, const char *ids, bool released)
{
    return QStringLiteral("{\"id\": \"%1\", \"name\": \"N %1\", \"tagline\": \"t\", \"bundleIDs\": %2, "
                          "\"site\": \"https://orvane.dev/%1\", \"released\": %3}")
        .arg(QLatin1String(id), QLatin1String(ids), released ? QLatin1String("true") : QLatin1String("false"))
        .toUtf8();
}

} // namespace

class TestApps : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void doorRules_data()
    {
        QTest::addColumn<Keys>("keys");
        QTest::addColumn<QString>("symbol"); // empty: no door

        const auto row = [](const char *tag, const Keys &keys, const char *symbol) {
            QTest::newRow(tag) << keys << QString::fromUtf8(symbol);
        };
        row("no symbol: the plain app symbol", doorKeys(), "app");
        row("an icon name", doorKeys({{"Symbol", "dialog-password"}}), "dialog-password");
        row("24 characters outside the basic plane",
            doorKeys({{"Title", QString::fromUtf8("🔒").repeated(24)}}), "app");
        row("version 2", doorKeys({{"Version", "2"}}), "");
        row("empty title", doorKeys({{"Title", ""}}), "");
        row("25 characters", doorKeys({{"Title", QString(25, QLatin1Char('x'))}}), "");
        row("a line break in the title", doorKeys({{"Title", "Latch\nkey"}}), "");
        row("https", doorKeys({{"Scheme", "https"}}), "");
        row("upper case", doorKeys({{"Scheme", "Latchkey"}}), "");
        row("one letter", doorKeys({{"Scheme", "l"}}), "");
        row("32 letters", doorKeys({{"Scheme", QString(32, QLatin1Char('l'))}}), "");
        row("a file for a symbol", doorKeys({{"Symbol", "/home/x/.ssh/id_rsa"}}), "");
    }
    void doorRules()
    {
        QFETCH(Keys, keys);
        QFETCH(QString, symbol);
        if (symbol.isEmpty())
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression(QStringLiteral("X declares a hub door that is refused")));
        const std::optional<HubDoor> door = Doors::door(QStringLiteral("dev.orvane.X"), keys);
        QCOMPARE(door ? door->symbol : QString(), symbol);
    }

    void noKeysIsNoDoorAndNoComplaint()
    {
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
        QVERIFY(!Doors::door(QStringLiteral("org.example.App"), {}));
    }

    void presentAddress()
    {
        const HubDoor door{QStringLiteral("dev.orvane.Latchkey"), QStringLiteral("Latchkey"),
                           QStringLiteral("app"), QStringLiteral("latchkey")};
        const Cutout notch(Cutout::Kind::Notch, QRectF(614.6, 0, 185.4, 32.5), 8);
        const std::optional<QUrl> url = Doors::presentUrl(door, notch, 1);
        QVERIFY(url);
        QCOMPARE(url->toString(), "latchkey://tarnwick/present?v=1&x=615&y=0&w=185&h=33&shape=notch&display=1"
                                  "&appearance=dark");

        const Cutout island(Cutout::Kind::Island, QRectF(-1280.5, 11, 126, 37), 18);
        QCOMPARE(QUrlQuery(*Doors::presentUrl(door, island, 0)).query(),
                 "v=1&x=-1281&y=11&w=126&h=37&shape=island&display=0&appearance=dark");

        QVERIFY(!Doors::presentUrl(door, Cutout(Cutout::Kind::Notch, QRectF(qQNaN(), 0, 10, 10), 0), 0));
        HubDoor web = door;
        web.scheme = QStringLiteral("https");
        QVERIFY(!Doors::presentUrl(web, notch, 0));
    }

    void catalogue_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QStringList>("ids");

        QTest::newRow("unreleased entries never show")
            << "[" + entry("a", "[\"x.A\"]", true) + "," + entry("b", "[\"x.B\"]", false) + "," +
                   entry("c", "[\"x.C\"]", true) + "]"
            << QStringList{"a", "c"};
        QTest::newRow("not a list") << entry("a", "[\"x.A\"]", true) << QStringList();
        QTest::newRow("an entry that does not decode")
            << "[" + entry("a", "[\"x.A\"]", true) + ", {\"id\": \"b\"}]" << QStringList();
        QTest::newRow("an id that is not text")
            << "[" + entry("a", "[\"x.A\", 7]", true) + "]" << QStringList();
        QTest::newRow("a site that is no web page")
            << QByteArray("[{\"id\": \"a\", \"name\": \"A\", \"tagline\": \"t\", \"bundleIDs\": [], "
                          "\"site\": \"javascript:alert(1)\", \"released\": true}]")
            << QStringList();
        QTest::newRow("damaged") << QByteArray("[{\"id\": ") << QStringList();
    }
    void catalogue()
    {
        QFETCH(QByteArray, json);
        QStringList loaded;
        for (const OrvaneApp &app : Ecosystem::load(json))
            loaded << app.id;
        QTEST(loaded, "ids");
    }

    // Each entry stands for the first of its ids that is installed; what is
    // not installed is recommended unless dismissed; only installed
    // catalogue entries open doors.
    void matchingAndDoors()
    {
        const QList<OrvaneApp> catalogue =
            Ecosystem::load("[" + entry("one", "[\"x.One\", \"x.One.Beta\"]", true) + "," +
                            entry("two", "[\"x.Two\"]", true) + "," + entry("three", "[\"x.Three\"]", true) +
                            "," + entry("four", "[\"x.Four\"]", true) + "]");
        auto apps = std::make_shared<SimInstalledApps>();
        apps->installed = {installed(QStringLiteral("x.One.Beta"), doorKeys()),
                           installed(QStringLiteral("x.One")),
                           installed(QStringLiteral("x.Two"), doorKeys({{"Title", ""}})),
                           installed(QStringLiteral("org.example.Stranger"), doorKeys())};
        SiblingApps siblings(catalogue, apps);
        QVERIFY(!siblings.isKnown());
        QCOMPARE(siblings.recommendations({}).size(), 0 + 4); // nothing known is installed yet
        QSignalSpy found(&siblings, &SiblingApps::found);
        siblings.refresh();
        QVERIFY(found.wait());

        QStringList shown;
        for (const SiblingApps::Sibling &sibling : siblings.installed())
            shown << sibling.app.id + QLatin1Char('=') + sibling.installed->appId;
        QCOMPARE(shown, (QStringList{"one=x.One", "two=x.Two"}));
        QCOMPARE(siblings.recommendations({QStringLiteral("three")}).size(), 1); // which: test_apps_view
        siblings.setRunning({QStringLiteral("org.example.Editor"), QStringLiteral("x.One.Beta")});
        QCOMPARE(found.size(), 2);
        QVERIFY(siblings.isRunning(catalogue.first()));
        QVERIFY(!siblings.isRunning(catalogue.at(1)));

        // x.One is preferred over its beta, whose door is therefore not asked;
        // x.Two's damaged door is refused.
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("x.Two declares a hub door")));
        QVERIFY(siblings.doors().isEmpty());
        apps->installed.removeAt(1);
        siblings.refresh();
        QVERIFY(found.wait());
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("x.Two declares a hub door")));
        const QList<HubDoor> doors = siblings.doors();
        QCOMPARE(doors.size(), 1);
        QCOMPARE(doors.first().appId, "x.One.Beta");
    }
};

QTEST_GUILESS_MAIN(TestApps)
#include "test_apps.moc"
