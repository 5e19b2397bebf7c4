// The microphone guard on a real audio server of the test's own: what apps
// and pactl do to the levels, sources that come and go, and a server restart.
// A second connection watches, so what is checked is what the server holds.
#include "DefaultsStore.h"
#include "MicGuard.h"
#include "PrivatePulseServer.h"
#include "PulseConnection.h"
#include "PulseInputDeviceControl.h"
#include "RequiredService.h"

#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QString oddDescription = QStringLiteral("It's \"the\" desk\nmic");

// A connection and the inputs it sees.
struct View {
    PulseConnection connection;
    PulseInputDeviceControl inputs{connection};
    explicit View(const QString &address)
        : connection(address)
    {
        inputs.start();
    }
    std::optional<InputDevice> device(const QString &uid) const
    {
        for (const InputDevice &d : inputs.devices()) {
            if (d.uid == uid)
                return d;
        }
        return std::nullopt;
    }
    bool allSilent() const
    {
        const QList<InputDevice> all = inputs.devices();
        return !all.isEmpty()
               && std::all_of(all.cbegin(), all.cend(), [](const InputDevice &d) { return MicGuard::isSilent(d); });
    }
};

// A guard on a connection of its own, switched on once it has seen the inputs.
struct Guarded {
    DefaultsStore defaults;
    View app;
    MicGuard guard{defaults, app.inputs};
    QSignalSpy reapplied{&guard, &MicGuard::reapplied};

    Guarded(const QString &address, const QString &settingsFile)
        : defaults(settingsFile)
        , app(address)
    {
    }
    bool turnOn()
    {
        if (!QTest::qWaitFor([this] { return app.inputs.isAvailable(); }, 5000))
            return false;
        guard.turnOn();
        return true;
    }
    QJsonObject saved() const { return defaults.value(QStringLiteral("MicGuardSaved")).toObject(); }
};

} // namespace

class TestMicGuardPulse : public QObject {
    Q_OBJECT

    std::unique_ptr<PrivatePulseServer> m_server;
    QTemporaryDir m_dir;

    bool pactl(const QStringList &arguments) { return m_server->pactl(arguments).has_value(); }
    std::optional<int> loadSource(const QString &name, const QStringList &extra = {})
    {
        const std::optional<QByteArray> out = m_server->pactl(
            QStringList{QStringLiteral("load-module"), QStringLiteral("module-null-source"),
                        QStringLiteral("source_name=") + name}
            + extra);
        return out ? std::optional<int>(out->trimmed().toInt()) : std::nullopt;
    }

private Q_SLOTS:
    void init()
    {
        m_server = std::make_unique<PrivatePulseServer>();
        const QString error = m_server->start();
        REQUIRE_SERVICE(error.isEmpty(), QStringLiteral("an audio server (%1)").arg(error));
        // 60 %, two channels at different levels, a muted one, and one with a
        // name no shell would survive. rig_source stays at 100 %.
        QVERIFY(loadSource(QStringLiteral("sixty"), {QStringLiteral("description=Desk"), QStringLiteral("channels=1")}));
        QVERIFY(pactl({QStringLiteral("set-source-volume"), QStringLiteral("sixty"), QStringLiteral("39322")}));
        QVERIFY(loadSource(QStringLiteral("two"), {QStringLiteral("channels=2")}));
        QVERIFY(pactl({QStringLiteral("set-source-volume"), QStringLiteral("two"), QStringLiteral("50000"),
                       QStringLiteral("30000")}));
        QVERIFY(loadSource(QStringLiteral("muted")));
        QVERIFY(pactl({QStringLiteral("set-source-mute"), QStringLiteral("muted"), QStringLiteral("1")}));
        QString quoted = oddDescription;
        quoted.replace(QLatin1Char('"'), QStringLiteral("\\\""));
        QVERIFY(loadSource(QStringLiteral("odd"), {QStringLiteral("description=\"%1\"").arg(quoted)}));
    }
    void cleanup() { m_server.reset(); }

    void silencesKeepsSilentAndGivesBackExactly()
    {
        View watcher(m_server->address());
        QTRY_VERIFY(watcher.device(QStringLiteral("odd")).has_value());
        const QList<InputDevice> before = watcher.inputs.devices();
        QCOMPARE(before.size(), 5); // the output's monitor is not an input
        QCOMPARE(watcher.device(QStringLiteral("sixty"))->volumes, QList<quint32>({39322}));
        QCOMPARE(watcher.device(QStringLiteral("two"))->volumes, QList<quint32>({50000, 30000}));
        QCOMPARE(watcher.device(QStringLiteral("odd"))->name, oddDescription);

        Guarded g(m_server->address(), m_dir.filePath(QStringLiteral("settings.json")));
        QVERIFY(g.turnOn());
        QTRY_VERIFY(watcher.allSilent());
        const QJsonObject saved = g.saved();
        QCOMPARE(saved.size(), 5);
        QCOMPARE(saved.value(QStringLiteral("sixty")).toObject().value(QStringLiteral("volumes")).toVariant(),
                 QVariant(QVariantList{1, 39322}));

        // Another app turns one up: silenced again, and named.
        QVERIFY(pactl({QStringLiteral("set-source-mute"), QStringLiteral("odd"), QStringLiteral("0")}));
        QVERIFY(pactl({QStringLiteral("set-source-volume"), QStringLiteral("odd"), QStringLiteral("30000")}));
        QVERIFY(g.reapplied.wait(5000));
        QCOMPARE(g.reapplied.first().first().toString(), oddDescription);
        QTRY_VERIFY(watcher.allSilent());

        // Unmuted with every volume at zero: still silent, left alone. The
        // guard hears changes in order, so once it has answered a later one
        // it has seen this one.
        QVERIFY(pactl({QStringLiteral("set-source-mute"), QStringLiteral("two"), QStringLiteral("0")}));
        QVERIFY(pactl({QStringLiteral("set-source-mute"), QStringLiteral("sixty"), QStringLiteral("0")}));
        QVERIFY(pactl({QStringLiteral("set-source-volume"), QStringLiteral("sixty"), QStringLiteral("100")}));
        QTRY_COMPARE(g.reapplied.count(), 2);
        QCOMPARE(g.reapplied.last().first().toString(), QStringLiteral("Desk"));
        QCOMPARE(watcher.device(QStringLiteral("two"))->mute, std::optional<bool>(false));
        QCOMPARE(watcher.device(QStringLiteral("two"))->volumes, QList<quint32>({0, 0}));

        g.guard.turnOff();
        QTRY_COMPARE(watcher.inputs.devices(), before);
        QTRY_VERIFY(!g.defaults.contains(QStringLiteral("MicGuardSaved")));
        QCOMPARE(g.reapplied.count(), 2);
    }

    void sourcesComingAndGoing()
    {
        View watcher(m_server->address());
        Guarded g(m_server->address(), m_dir.filePath(QStringLiteral("coming.json")));
        QVERIFY(g.turnOn());
        QTRY_VERIFY(watcher.allSilent());

        QVERIFY(loadSource(QStringLiteral("late")));
        QTRY_VERIFY(watcher.device(QStringLiteral("late")).has_value());
        QTRY_VERIFY(watcher.allSilent());
        QVERIFY(g.saved().contains(QStringLiteral("late")));

        // Unplugged while on, still away when the switch goes back on: its
        // record waits, and it gets its level back the moment it returns.
        const std::optional<QByteArray> modules = m_server->pactl({QStringLiteral("list"), QStringLiteral("short"),
                                                                   QStringLiteral("modules")});
        QVERIFY(modules);
        QString sixtyModule;
        for (const QByteArray &line : modules->split('\n')) {
            if (line.contains("source_name=sixty"))
                sixtyModule = QString::fromUtf8(line.split('\t').first());
        }
        QVERIFY(pactl({QStringLiteral("unload-module"), sixtyModule}));
        QTRY_VERIFY(!watcher.device(QStringLiteral("sixty")));
        g.guard.turnOff();
        QTRY_VERIFY(!MicGuard::isSilent(*watcher.device(QStringLiteral("late"))));
        QCOMPARE(g.saved().keys(), QStringList({QStringLiteral("sixty")}));
        QVERIFY(loadSource(QStringLiteral("sixty"), {QStringLiteral("description=Desk"), QStringLiteral("channels=1")}));
        QTRY_COMPARE(watcher.device(QStringLiteral("sixty")).value_or(InputDevice()).volumes, QList<quint32>({39322}));
        QTRY_VERIFY(!g.defaults.contains(QStringLiteral("MicGuardSaved")));
        QCOMPARE(g.reapplied.count(), 0);
    }

    void aRestartedServerIsSilencedAgain()
    {
        Guarded g(m_server->address(), m_dir.filePath(QStringLiteral("restart.json")));
        QVERIFY(g.turnOn());
        QTRY_VERIFY(g.app.allSilent());

        m_server->stop();
        QTRY_VERIFY(!g.app.inputs.isAvailable());
        QCOMPARE(m_server->start(), QString());
        // Back with rig_source at full volume: silenced as soon as it is seen.
        View watcher(m_server->address());
        QTRY_VERIFY_WITH_TIMEOUT(g.app.inputs.isAvailable(), 15000);
        QTRY_VERIFY(watcher.device(QStringLiteral("rig_source")).has_value());
        QTRY_VERIFY(watcher.allSilent());
        // And given back as it was before the restart, from the first record.
        g.guard.turnOff();
        QTRY_COMPARE(watcher.device(QStringLiteral("rig_source"))->volumes,
                     QList<quint32>({InputDevice::volumeNorm, InputDevice::volumeNorm}));
        QCOMPARE(watcher.device(QStringLiteral("rig_source"))->mute, std::optional<bool>(false));
    }

    void onPipeWiresPulseServer()
    {
        // Its answers to writes can come after later reads: the same cycle holds.
        PrivatePulseServer server(PrivatePulseServer::Kind::PipeWire);
        const QString error = server.start();
        REQUIRE_SERVICE(error.isEmpty(), QStringLiteral("PipeWire (%1)").arg(error));
        QVERIFY(server.pactl({QStringLiteral("set-source-volume"), QStringLiteral("rig_source"), QStringLiteral("39322"),
                              QStringLiteral("20000")}));
        View watcher(server.address());
        QTRY_VERIFY_WITH_TIMEOUT(watcher.device(QStringLiteral("rig_source")).has_value(), 10000);
        QTRY_COMPARE(watcher.device(QStringLiteral("rig_source"))->volumes, QList<quint32>({39322, 20000}));
        const QList<InputDevice> before = watcher.inputs.devices();

        Guarded g(server.address(), m_dir.filePath(QStringLiteral("pipewire.json")));
        QVERIFY(g.turnOn());
        QTRY_VERIFY(watcher.allSilent());
        QVERIFY(server.pactl({QStringLiteral("set-source-mute"), QStringLiteral("rig_source"), QStringLiteral("0")}));
        QVERIFY(server.pactl({QStringLiteral("set-source-volume"), QStringLiteral("rig_source"), QStringLiteral("50000")}));
        QVERIFY(g.reapplied.wait(5000));
        QTRY_VERIFY(watcher.allSilent());
        g.guard.turnOff();
        QTRY_COMPARE(watcher.inputs.devices(), before);
        QTRY_VERIFY(!g.defaults.contains(QStringLiteral("MicGuardSaved")));
        QCOMPARE(g.reapplied.count(), 1);
    }
};

QTEST_GUILESS_MAIN(TestMicGuardPulse)
#include "test_mic_guard_pulse.moc"
