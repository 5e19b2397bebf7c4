#include "DefaultsStore.h"
#include "Prefs.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QProcessEnvironment environment(std::initializer_list<std::pair<const char *, QString>> values)
{
    QProcessEnvironment env;
    for (const auto &[key, value] : values)
        env.insert(QLatin1String(key), value);
    return env;
}

} // namespace

class TestSettings : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void valuesSurviveAReload()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("nested/folder/settings.json"));
        {
            DefaultsStore store(path);
            store.setValue(QStringLiteral("CameraOff"), true);
            store.setStringList(QStringLiteral("AllowList"), {QStringLiteral("b.app"), QStringLiteral("a.app")});
        }
        DefaultsStore again(path);
        QCOMPARE(again.boolValue(QStringLiteral("CameraOff")), true);
        // Stored sorted, as written.
        QCOMPARE(again.stringListValue(QStringLiteral("AllowList")),
                 QStringList({QStringLiteral("a.app"), QStringLiteral("b.app")}));
    }

    void wrongTypesReadAsTheFallback()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("settings.json"));
        writeFile(path, R"({"CameraOff": "yes", "MicSound": 3, "AllowList": ["a", 2], "Announce": ["x"],
                            "DismissedRecommendations": "one"})");
        DefaultsStore store(path);
        QCOMPARE(store.boolValue(QStringLiteral("CameraOff"), false), false);
        QCOMPARE(store.boolValue(QStringLiteral("Announce"), true), true);
        QCOMPARE(store.stringValue(QStringLiteral("MicSound"), QStringLiteral("silence")), QStringLiteral("silence"));
        QVERIFY(store.stringListValue(QStringLiteral("AllowList")).isEmpty());
        QVERIFY(store.stringListValue(QStringLiteral("DismissedRecommendations")).isEmpty());
        QVERIFY(store.keptAsidePath().isEmpty()); // readable file: nothing moved
    }

    void damagedFileIsKeptAsideNeverOverwritten_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("truncated") << QByteArray(R"({"CameraOff": tr)");
        QTest::newRow("not an object") << QByteArray(R"(["CameraOff"])");
        QTest::newRow("binary") << QByteArray("\x00\xff\xfe garbage", 12);
    }
    void damagedFileIsKeptAsideNeverOverwritten()
    {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("settings.json"));
        writeFile(path, content);
        // An earlier damaged copy must survive too.
        writeFile(path + QStringLiteral(".damaged"), "older");

        DefaultsStore store(path);
        QVERIFY(!store.keptAsidePath().isEmpty());
        QCOMPARE(readAll(store.keptAsidePath()), content);
        QCOMPARE(readAll(path + QStringLiteral(".damaged")), QByteArray("older"));
        QCOMPARE(store.boolValue(QStringLiteral("CameraOff"), false), false);

        store.setValue(QStringLiteral("CameraOff"), true);
        QCOMPARE(QJsonDocument::fromJson(readAll(path)).object().value(QStringLiteral("CameraOff")).toBool(), true);
        QCOMPARE(readAll(store.keptAsidePath()), content);
    }

    void unreadableFileIsKeptAside()
    {
        if (geteuid() == 0)
            QSKIP("root reads every file; the damaged-file cases cover the keep-aside path");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("settings.json"));
        writeFile(path, R"({"CameraOff": true})");
        QFile::setPermissions(path, QFileDevice::WriteOwner);
        DefaultsStore store(path);
        QVERIFY(!store.keptAsidePath().isEmpty());
    }

    void unwritableFolderKeepsChangesInMemory()
    {
        DefaultsStore store(QStringLiteral("/proc/tarnwick-cannot-exist/settings.json"));
        store.setValue(QStringLiteral("HaloMic"), false);
        store.setValue(QStringLiteral("HaloMic"), false);
        QCOMPARE(store.boolValue(QStringLiteral("HaloMic"), true), false);
    }

    void prefsFollowXdgAndTheAppId()
    {
        const Prefs prefs(environment({{"HOME", QStringLiteral("/home/u")},
                                       {"XDG_CONFIG_HOME", QStringLiteral("/cfg")},
                                       {"XDG_DATA_HOME", QStringLiteral("relative/ignored")}}),
                          AppInfo{QStringLiteral("dev.orvane.Tarnwick"), {}, {}, false, false});
        QCOMPARE(prefs.defaultsFile(), QStringLiteral("/cfg/dev.orvane.Tarnwick/settings.json"));
        QCOMPARE(prefs.dataFolder(), QStringLiteral("/home/u/.local/share/dev.orvane.Tarnwick"));
        QCOMPARE(prefs.cacheFolder(), QStringLiteral("/home/u/.cache/dev.orvane.Tarnwick"));
        QCOMPARE(prefs.autostartFolder(), QStringLiteral("/cfg/autostart"));

        const Prefs noId(environment({{"HOME", QStringLiteral("/h")}}), AppInfo{});
        QCOMPARE(noId.dataFolder(), QStringLiteral("/h/.local/share/dev.orvane.Tarnwick"));
    }

    void prefsHonourTheOverrides()
    {
        const AppInfo info{QStringLiteral("dev.orvane.Tarnwick"), {}, {}, false, false};
        const Prefs data(environment({{"HOME", QStringLiteral("/h")}, {"TARNWICK_DATA", QStringLiteral("/tmp/tw")}}), info);
        QCOMPARE(data.dataFolder(), QStringLiteral("/tmp/tw"));
        QCOMPARE(data.cacheFolder(), QStringLiteral("/tmp/tw/Caches"));

        const Prefs suite(environment({{"HOME", QStringLiteral("/h")}, {"TARNWICK_DEFAULTS", QStringLiteral("check")}}), info);
        QCOMPARE(suite.defaultsFile(), QStringLiteral("/h/.config/check/settings.json"));
        const Prefs file(environment({{"TARNWICK_DEFAULTS", QStringLiteral("/tmp/x/s.json")}}), info);
        QCOMPARE(file.defaultsFile(), QStringLiteral("/tmp/x/s.json"));
        // A name that could escape the config folder falls back to the standard store.
        const Prefs bad(environment({{"HOME", QStringLiteral("/h")}, {"TARNWICK_DEFAULTS", QStringLiteral("../evil")}}), info);
        QCOMPARE(bad.defaultsFile(), QStringLiteral("/h/.config/dev.orvane.Tarnwick/settings.json"));
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
