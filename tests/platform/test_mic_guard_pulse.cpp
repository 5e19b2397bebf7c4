// The microphone guard on a real audio server of the test's own: what apps and pactl do to the levels, and
// the server going away. Inputs coming and going while on are the core test's. A second connection watches,
// so what is checked is what the server holds.
#include "DefaultsStore.h"
#include "MicGuard.h"
#include "PrivatePulseServer.h"
#include "PulseConnection.h"
#include "PulseInputDeviceControl.h"
#include "RequiredService.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>

#include <memory>

#include <csignal>

namespace {

const QString oddDescription = "It's \"the\" desk\nmic";

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
        for (const InputDevice &d : inputs.devices())
            if (d.uid == uid)
                return d;
        return std::nullopt;
    }
    bool allSilent() const
    {
        const QList<InputDevice> all = inputs.devices();
        return !all.isEmpty() && std::all_of(all.cbegin(), all.cend(), MicGuard::isSilent);
    }
};

// A guard on a connection of its own, switched on once it has seen the inputs, and a watcher on another.
struct Guarded {
    View watcher;
    DefaultsStore defaults;
    View app;
    MicGuard guard{defaults, app.inputs};
    QSignalSpy reapplied{&guard, &MicGuard::reapplied};

    explicit Guarded(const QString &address)
        : watcher(address)
        , app(address)
    {}
    bool turnOn()
    {
        const bool ready = QTest::qWaitFor(
            [this] { return app.inputs.isAvailable() && !watcher.inputs.devices().isEmpty(); }, 5000);
        if (ready)
            guard.turnOn();
        return ready;
    }
    QJsonObject saved() const { return defaults.value("MicGuardSaved").toObject(); }
};

} // namespace

class TestMicGuardPulse : public QObject {
    Q_OBJECT

    std::unique_ptr<PrivatePulseServer> m_server;

private Q_SLOTS:
    void init()
    {
        m_server = std::make_unique<PrivatePulseServer>();
        const QString error = m_server->start();
        REQUIRE_SERVICE(error.isEmpty(), QStringLiteral("an audio server (%1)").arg(error));
        // 60 %, two channels at different levels, a muted one, and one with a
        // name no shell would survive. rig_source stays at 100 %.
        QVERIFY(m_server->addSource("sixty", {"channels=1"}));
        QVERIFY(m_server->pactl({"set-source-volume", "sixty", "39322"}));
        QVERIFY(m_server->addSource("two", {"channels=2"}));
        QVERIFY(m_server->pactl({"set-source-volume", "two", "50000", "30000"}));
        QVERIFY(m_server->addSource("muted"));
        QVERIFY(m_server->pactl({"set-source-mute", "muted", "1"}));
        QString quoted = oddDescription;
        QVERIFY(m_server->addSource(
            "odd", {QStringLiteral("description=\"%1\"").arg(quoted.replace(QLatin1Char('"'), "\\\""))}));
    }

    void silencesKeepsSilentAndGivesBackExactly()
    {
        Guarded g(m_server->address());
        View &watcher = g.watcher;
        QTRY_VERIFY(watcher.device("odd").has_value());
        const QList<InputDevice> before = watcher.inputs.devices();
        QCOMPARE(before.size(), 5); // the output's monitor is not an input
        QVERIFY(g.turnOn());
        QTRY_VERIFY(watcher.allSilent());

        // Another app turns one up: silenced again, and named.
        QVERIFY(m_server->pactl({"set-source-mute", "odd", "0"}));
        QVERIFY(m_server->pactl({"set-source-volume", "odd", "30000"}));
        QVERIFY(g.reapplied.wait(5000));
        // Named on one line: the description is the device maker's choice.
        QCOMPARE(g.reapplied.first().first().toString(),
                 QString(oddDescription).replace(QLatin1Char('\n'), QLatin1Char(' ')));
        QTRY_VERIFY(watcher.allSilent());

        g.guard.turnOff();
        QTRY_COMPARE(watcher.inputs.devices(), before);
        QTRY_VERIFY(!g.defaults.contains("MicGuardSaved"));
        QCOMPARE(g.reapplied.count(), 1);

        // An input unplugged leaves the list (what the guard then does is the core test's).
        const QString modules = QString::fromUtf8(m_server->pactl({"list", "short", "modules"}).value_or(""));
        const QString sixty = modules.split('\n').filter("source_name=sixty").value(0).section('\t', 0, 0);
        QVERIFY(m_server->pactl({"unload-module", sixty}));
        QTRY_VERIFY(!watcher.device("sixty"));
    }

    // The server restarts while on: rig_source, back at full volume, is silenced as soon as it is seen, and
    // the first record is kept. Then the server stops answering while the levels are given back, and dies:
    // once back (at its start level), asked again, and the record goes once taken.
    void serverRestartsAndDiesMidRestore()
    {
        QVERIFY(m_server->pactl({"set-source-volume", "rig_source", "39322", "20000"}));
        Guarded g(m_server->address());
        const auto rigSource = [&g] { return g.watcher.device("rig_source").value_or(InputDevice()); };
        QTRY_COMPARE(rigSource().volumes, QList<quint32>({39322, 20000}));
        QVERIFY(g.turnOn());
        QTRY_VERIFY(g.watcher.allSilent());

        m_server->stop();
        QTRY_VERIFY(!g.app.inputs.isAvailable() && !g.watcher.inputs.isAvailable());
        QCOMPARE(m_server->start(), QString());
        QTRY_VERIFY_WITH_TIMEOUT(g.watcher.device("rig_source").has_value(), 15000);
        QTRY_VERIFY(g.watcher.allSilent());

        const qsizetype reapplied = g.reapplied.count();
        const auto pid = pid_t(m_server->serverPid());
        QVERIFY(::kill(pid, SIGSTOP) == 0);
        g.guard.turnOff();
        QVERIFY(::kill(pid, SIGKILL) == 0);
        QTRY_VERIFY(!g.app.inputs.isAvailable());
        m_server->stop();
        QVERIFY(g.saved().contains("rig_source"));

        QCOMPARE(m_server->start(), QString());
        QTRY_COMPARE_WITH_TIMEOUT(rigSource().volumes, QList<quint32>({39322, 20000}), 15000);
        QCOMPARE(rigSource().mute, std::optional<bool>(false));
        QTRY_VERIFY(!g.saved().contains("rig_source"));
        QCOMPARE(g.reapplied.count(), reapplied);
    }

    void anOutOfRangeLevelIsKeptAsideNotRetried()
    {
        Guarded g(m_server->address());
        QTRY_VERIFY(g.app.device("odd").has_value());
        // Above what the server takes, with a mute the server would take.
        const QJsonObject record{{"mute", 1}, {"volumes", QJsonArray{1, qint64(0x90000000)}}};
        g.defaults.setValue("MicGuardSaved", QJsonObject{{"sixty", record}});
        QSignalSpy changes(&g.app.inputs, &InputDeviceControl::devicesChanged);
        QSignalSpy refused(&g.guard, &MicGuard::restoreRefused);
        g.guard.restoreLeftovers();

        // Once the guard's connection has seen a later change, a retry loop would be well under way.
        QVERIFY(m_server->pactl({"set-source-volume", "two", "1000", "1000"}));
        QTRY_COMPARE(g.app.device(QStringLiteral("two")).value_or(InputDevice()).volumes,
                     QList<quint32>({1000, 1000}));
        QVERIFY2(changes.count() <= 2, qPrintable(QString::number(changes.count())));
        QCOMPARE(g.watcher.device(QStringLiteral("sixty"))->volumes, QList<quint32>({39322}));
        QCOMPARE(g.watcher.device(QStringLiteral("sixty"))->mute, std::optional<bool>(false));
        QVERIFY(!g.defaults.contains("MicGuardSaved"));
        QCOMPARE(g.defaults.value(QStringLiteral("MicGuardSaved.damaged")).toObject(),
                 QJsonObject({{QStringLiteral("sixty"), record}}));
        QCOMPARE(refused.count(), 0); // nothing was asked of the server
    }
};

QTEST_GUILESS_MAIN(TestMicGuardPulse)
#include "test_mic_guard_pulse.moc"
