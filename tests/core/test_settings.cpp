#include "DefaultsStore.h"
#include "Prefs.h"
#include "Samples.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

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
    void everyChangeIsWrittenAndReadBack()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("nested/folder/settings.json"));
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QVERIFY(writeFileBytes(path, R"({"Unknown": 5})"));
        {
            DefaultsStore store(path);
            store.setValue(QStringLiteral("CameraOff"), true);
            QCOMPARE(fileObject(path).value(QStringLiteral("CameraOff")).toBool(), true); // written at once
            store.setStringList(QStringLiteral("AllowList"),
                                {QStringLiteral("b.app"), QStringLiteral("a.app")});
        }
        DefaultsStore again(path);
        QCOMPARE(again.boolValue(QStringLiteral("CameraOff")), true);
        QCOMPARE(again.stringListValue(QStringLiteral("AllowList")),
                 QStringList({QStringLiteral("a.app"), QStringLiteral("b.app")}));
        // Keys of later or other versions survive a rewrite.
        QCOMPARE(again.value(QStringLiteral("Unknown")).toInt(), 5);

        DefaultsStore unwritable(QStringLiteral("/proc/tarnwick-cannot-exist/settings.json"));
        unwritable.setValue(QStringLiteral("HaloMic"), false);
        QCOMPARE(unwritable.boolValue(QStringLiteral("HaloMic"), true), false);
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
        QVERIFY(writeFileBytes(path, content));
        QVERIFY(writeFileBytes(path + QStringLiteral(".damaged"), "older")); // earlier damage survives too

        DefaultsStore store(path);
        QCOMPARE(store.keptAsidePath(), path + QStringLiteral(".damaged-2"));
        QCOMPARE(store.boolValue(QStringLiteral("CameraOff"), false), false);
        store.setValue(QStringLiteral("CameraOff"), true);
        QCOMPARE(fileObject(path).value(QStringLiteral("CameraOff")).toBool(), true);
        QCOMPARE(fileBytes(store.keptAsidePath()), content);
        QCOMPARE(fileBytes(path + QStringLiteral(".damaged")), QByteArray("older"));
    }

    void anUnreadablePathIsKeptAside()
    {
        // A folder where the file should be cannot be read, even by root.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("settings.json"));
        QVERIFY(QDir().mkpath(path + QStringLiteral("/inside")));
        DefaultsStore store(path);
        QVERIFY(QFileInfo(store.keptAsidePath() + QStringLiteral("/inside")).isDir());
        store.setValue(QStringLiteral("CameraOff"), true);
        QCOMPARE(fileObject(path).value(QStringLiteral("CameraOff")).toBool(), true);
    }

    void prefsFollowXdgAndTheOverrides()
    {
        const Prefs prefs(environment({{"HOME", QStringLiteral("/home/u")},
                                       {"XDG_CONFIG_HOME", QStringLiteral("/cfg")},
                                       {"XDG_DATA_HOME", QStringLiteral("relative/ignored")}}),
                          AppInfo{});
        QCOMPARE(prefs.defaultsFile(), QStringLiteral("/cfg/dev.orvane.Tarnwick/settings.json"));
        QCOMPARE(prefs.dataFolder(), QStringLiteral("/home/u/.local/share/dev.orvane.Tarnwick"));
        QCOMPARE(prefs.autostartFolder(), QStringLiteral("/cfg/autostart"));
        const auto defaultsFile = [](const QString &value) {
            const auto env = environment({{"HOME", QStringLiteral("/h")}, {"TARNWICK_DEFAULTS", value}});
            return Prefs(env, build()).defaultsFile();
        };
        QCOMPARE(defaultsFile(QStringLiteral("check")), QStringLiteral("/h/.config/check/settings.json"));
        QCOMPARE(defaultsFile(QStringLiteral("/tmp/x/s.json")), QStringLiteral("/tmp/x/s.json"));
        // A name that could escape the config folder falls back to the standard store.
        QCOMPARE(defaultsFile(QStringLiteral("../evil")),
                 QStringLiteral("/h/.config/dev.orvane.Tarnwick/settings.json"));
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
