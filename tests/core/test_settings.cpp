#include "DefaultsStore.h"
#include "Prefs.h"
#include "Samples.h"
#include "Settings.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The setting stored under key, as JSON; given a value, set to it first.
QJsonValue byKey(Settings &s, const QString &key, const std::optional<QJsonValue> &set = {})
{
    QJsonValue found = QJsonValue::Undefined;
    const auto visit = [&](auto &setting) {
        if (setting.key() != key)
            return;
        if (set)
            setting.set(set->toVariant().template value<std::decay_t<decltype(setting.value())>>());
        found = QJsonValue::fromVariant(QVariant::fromValue(setting.value()));
    };
    std::apply([&](auto &...each) { (visit(each), ...); },
               std::tie(s.cameraOff, s.micOff, s.micSound, s.allowList, s.autoQuitWhenOff, s.haloForCamera,
                        s.haloForMic, s.announce, s.openOnHover, s.showRecommendations,
                        s.dismissedRecommendations, s.quitPreset, s.quitKeep, s.autostartDecided,
                        s.tutorialSeen));
    return found;
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
    // The stored keys are the file format: spelled out here, never taken from the code.
    void eachSettingHasItsKeyAndDefault_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QJsonValue>("fallback");
        QTest::addColumn<QJsonValue>("other");
        const QJsonArray none;
        const auto row = [](const char *key, const QJsonValue &fallback, const QJsonValue &other) {
            QTest::newRow(key) << QString::fromLatin1(key) << fallback << other;
        };
        row("CameraOff", false, true);
        row("MicOff", false, true);
        row("MicSound", QStringLiteral("silence"), QStringLiteral("whiteNoise"));
        row("AllowList", none, QJsonArray{QStringLiteral("org.a"), QStringLiteral("org.b")});
        row("AutoQuitWhenOff", false, true);
        row("HaloCamera", true, false);
        row("HaloMic", true, false);
        row("Announce", true, false);
        row("OpenOnHover", true, false);
        row("ShowRecommendations", true, false);
        row("DismissedRecommendations", none, QJsonArray{QStringLiteral("y"), QStringLiteral("z")});
        row("QuitPreset", QStringLiteral("everything"), QStringLiteral("call"));
        row("QuitKeep", none, QJsonArray{QStringLiteral("org.k")});
        row("LoginItemDecided", false, true);
        row("TutorialSeen", false, true);
    }
    void eachSettingHasItsKeyAndDefault()
    {
        QFETCH(QString, key);
        QFETCH(QJsonValue, fallback);
        QFETCH(QJsonValue, other);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("settings.json"));
        {
            DefaultsStore store(path);
            Settings settings(store);
            QCOMPARE(byKey(settings, key), fallback);
            QVERIFY(!QFile::exists(path)); // reading writes nothing
            QCOMPARE(byKey(settings, key, other), other);
            QCOMPARE(fileObject(path).value(key), other);
        }
        DefaultsStore store(path);
        Settings settings(store);
        QCOMPARE(byKey(settings, key), other);
    }

    void mistypedOrUnknownValuesReadAsTheDefault()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("settings.json"));
        const QByteArray content(R"({"MicSound": "loud", "HaloCamera": "no", "HaloMic": 0, "Announce": ["x"],
                                     "CameraOff": 1, "AutoQuitWhenOff": "true", "AllowList": ["org.a", 2],
                                     "DismissedRecommendations": "one"})");
        QVERIFY(writeFileBytes(path, content));
        DefaultsStore store(path);
        Settings settings(store);
        DefaultsStore fresh;
        Settings defaults(fresh);
        for (const QString &key : QJsonDocument::fromJson(content).object().keys())
            QCOMPARE(byKey(settings, key), byKey(defaults, key));
        QCOMPARE(fileBytes(path), content);
        QVERIFY(store.keptAsidePath().isEmpty());
        QVERIFY(!settings.micSound.set(QStringLiteral("loud"))); // a choice it does not know is refused
    }

    void onlyARealChangeIsStoredAndSignalled()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("settings.json"));
        DefaultsStore store(path);
        Settings settings(store);
        QSignalSpy halo(&settings.haloForCamera, &SettingBase::changed);
        QSignalSpy dismissed(&settings.dismissedRecommendations, &SettingBase::changed);
        QVERIFY(!settings.haloForCamera.set(true));
        QVERIFY(!QFile::exists(path));
        QVERIFY(settings.haloForCamera.set(false));
        QVERIFY(settings.dismissedRecommendations.set({QStringLiteral("z"), QStringLiteral("y")}));
        // The same members in another order, or repeated, are the same list.
        QVERIFY(!settings.dismissedRecommendations.set(
            {QStringLiteral("y"), QStringLiteral("z"), QStringLiteral("y")}));
        QCOMPARE(halo.count(), 1);
        QCOMPARE(dismissed.count(), 1);
        QCOMPARE(settings.dismissedRecommendations.value(), QStringList({"y", "z"}));
    }

    // Each key's round trip is above; here what the store adds.
    void keysOfOtherVersionsSurviveAndAFailedWriteKeepsTheValue()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("settings.json"));
        QVERIFY(writeFileBytes(path, R"({"Unknown": 5})"));
        DefaultsStore(path).setStringList(QStringLiteral("AllowList"),
                                          {QStringLiteral("b.app"), QStringLiteral("a.app")});
        DefaultsStore again(path);
        QCOMPARE(again.stringListValue(QStringLiteral("AllowList")), QStringList({"a.app", "b.app"}));
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
        // A name that could escape the config folder falls back to the standard store.
        QCOMPARE(defaultsFile(QStringLiteral("../evil")),
                 QStringLiteral("/h/.config/dev.orvane.Tarnwick/settings.json"));
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
