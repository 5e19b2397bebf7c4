// The maker's applications: which catalogue entries show, which installed
// entry stands for each, and the doors siblings declare in their desktop
// entries, whose every value is another program's claim.
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

Keys doorKeys(const QString &title = QStringLiteral("Latchkey"),
              const QString &scheme = QStringLiteral("latchkey"))
{
    return {{QStringLiteral("Version"), QStringLiteral("1")},
            {QStringLiteral("Title"), title},
            {QStringLiteral("Scheme"), scheme}};
}

Keys withScheme(const QString &scheme)
{
    return doorKeys(QStringLiteral("Latchkey"), scheme);
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

        Keys noSymbol = doorKeys();
        QTest::newRow("no symbol: the plain app symbol") << noSymbol << "app";
        Keys symbol = doorKeys();
        symbol.insert(QStringLiteral("Symbol"), QStringLiteral("dialog-password"));
        QTest::newRow("an icon name") << symbol << "dialog-password";
        QTest::newRow("24 characters") << doorKeys(QString(24, QLatin1Char('x'))) << "app";
        QTest::newRow("24 characters outside the basic plane")
            << doorKeys(QString::fromUtf8("🔒").repeated(24)) << "app";

        Keys version2 = doorKeys();
        version2.insert(QStringLiteral("Version"), QStringLiteral("2"));
        QTest::newRow("version 2") << version2 << "";
        Keys noVersion = doorKeys();
        noVersion.remove(QStringLiteral("Version"));
        QTest::newRow("no version") << noVersion << "";
        QTest::newRow("empty title") << doorKeys(QString()) << "";
        QTest::newRow("25 characters") << doorKeys(QString(25, QLatin1Char('x'))) << "";
        QTest::newRow("a line break in the title") << doorKeys(QStringLiteral("Latch\nkey")) << "";
        QTest::newRow("https") << withScheme(QStringLiteral("https")) << "";
        QTest::newRow("upper case") << withScheme(QStringLiteral("Latchkey")) << "";
        QTest::newRow("a network share") << withScheme(QStringLiteral("smb")) << "";
        QTest::newRow("one letter") << withScheme(QStringLiteral("l")) << "";
        QTest::newRow("32 letters") << withScheme(QString(32, QLatin1Char('l'))) << "";
        Keys path = doorKeys();
        path.insert(QStringLiteral("Symbol"), QStringLiteral("/home/x/.ssh/id_rsa"));
        QTest::newRow("a file for a symbol") << path << "";
    }
    void doorRules()
    {
        QFETCH(Keys, keys);
        QFETCH(QString, symbol);
        if (symbol.isEmpty())
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression(QStringLiteral("dev.orvane.X "
                                                                   "declares a hub door that is "
                                                                   "refused")));
        const std::optional<HubDoor> door = Doors::door(QStringLiteral("dev.orvane.X"), keys);
        QCOMPARE(door.has_value(), !symbol.isEmpty());
        if (door) {
            QCOMPARE(door->appId, "dev.orvane.X");
            QCOMPARE(door->symbol, symbol);
            QCOMPARE(door->scheme, keys.value(QStringLiteral("Scheme")));
        }
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
        QFETCH(QStringList, ids);
        QStringList loaded;
        for (const OrvaneApp &app : Ecosystem::load(json))
            loaded << app.id;
        QCOMPARE(loaded, ids);
    }

    void builtInCatalogueLoads()
    {
        const QList<OrvaneApp> apps = Ecosystem::catalogue();
        QVERIFY(apps.size() >= 2);
        for (const OrvaneApp &app : apps)
            QVERIFY2(app.released && !app.appIds.isEmpty(), qPrintable(app.id));
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
                           installed(QStringLiteral("x.Two"), doorKeys(QString())),
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
        QStringList recommended;
        for (const OrvaneApp &app : siblings.recommendations({QStringLiteral("three")}))
            recommended << app.id;
        QCOMPARE(recommended, QStringList{"four"});
        QVERIFY(!siblings.isRunning(catalogue.first()));
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
