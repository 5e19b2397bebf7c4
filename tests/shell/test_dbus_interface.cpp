// The real tarnwick binary on the rig's session bus: the bus name is where a
// second launch finds the first, the scripting interface follows real
// recordings and moves the switch, announcing each change once, and a name
// taken by another program or a missing bus leaves Tarnwick running, and
// the bus starts it from its service file when it is called while not running.
#include "PrivateSessionBus.h"
#include "PrivateTarnwick.h"
#include "RequiredService.h"
#include "XDisplay.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QTest>

#include <memory>

namespace {
const QString busName = QStringLiteral("dev.orvane.Tarnwick");
const QString objectPath = QStringLiteral("/dev/orvane/Tarnwick");
const QString scripting = QStringLiteral("dev.orvane.Tarnwick1");
constexpr int startTimeoutMs = 20000;

// Users become their names; other values stay as they are.
QVariant plain(const QVariant &value)
{
    if (value.metaType() != QMetaType::fromType<QDBusArgument>())
        return value;
    const auto users = value.value<QDBusArgument>();
    QStringList names;
    users.beginArray();
    while (!users.atEnd()) {
        qint32 pid = 0;
        QString name;
        QString appId;
        users.beginStructure();
        users >> pid >> name >> appId;
        users.endStructure();
        names.append(name);
    }
    users.endArray();
    return names;
}
} // namespace

class TestDBusInterface : public QObject {
    Q_OBJECT

    QDBusConnection m_bus = QDBusConnection::sessionBus();
    XDisplay m_x;
    std::unique_ptr<PrivateTarnwick> m_app;
    QVariantMap m_seen;
    int m_announcements = 0;
    int m_emptyAnnouncements = 0;

    QDBusMessage call(const QString &interface, const QString &method, const QVariantList &arguments)
    {
        QDBusMessage message = QDBusMessage::createMethodCall(busName, objectPath, interface, method);
        message.setArguments(arguments);
        message.setAutoStartService(false);
        return m_bus.call(message);
    }
    qint64 owner() { return m_bus.interface()->servicePid(busName).value(); }
    // Launches it and waits until it answers on the bus, with what it had then.
    QProcess &launchOnBus(bool simulated, bool captured = false)
    {
        if (simulated)
            m_app->environment().insert(QStringLiteral("TARNWICK_SIMULATED"), QStringLiteral("1"));
        QProcess &app = m_app->launch({}, captured);
        [&] { QTRY_COMPARE_WITH_TIMEOUT(owner(), app.processId(), startTimeoutMs); }();
        const QDBusMessage all =
            call(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("GetAll"), {scripting});
        const QVariantMap values = qdbus_cast<QVariantMap>(all.arguments().value(0));
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            m_seen.insert(it.key(), plain(it.value()));
        return app;
    }

public Q_SLOTS:
    void propertiesChanged(const QString &interface, const QVariantMap &changed, const QStringList &)
    {
        QCOMPARE(interface, scripting);
        ++m_announcements;
        bool news = false;
        for (auto it = changed.cbegin(); it != changed.cend(); ++it) {
            news = news || m_seen.value(it.key()) != plain(it.value());
            m_seen.insert(it.key(), plain(it.value()));
        }
        m_emptyAnnouncements += news ? 0 : 1;
    }

private Q_SLOTS:
    void initTestCase()
    {
        REQUIRE_SERVICE(qgetenv("TARNWICK_RIG") == "1",
                        "the desktop rig (run through scripts/desktop-rig.sh)");
        REQUIRE_SERVICE(m_bus.isConnected() && m_x.isOpen(), "a session bus and an X display");
        QVERIFY(m_bus.connect(busName, objectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                              QStringLiteral("PropertiesChanged"), this,
                              SLOT(propertiesChanged(QString, QVariantMap, QStringList))));
    }
    void init()
    {
        m_app = std::make_unique<PrivateTarnwick>();
        m_seen.clear();
        m_announcements = m_emptyAnnouncements = 0;
        // A launch of the test before has let go of the name.
        QTRY_VERIFY(!m_bus.interface()->isServiceRegistered(busName));
    }
    void cleanup()
    {
        m_app.reset();
        m_bus.unregisterService(busName);
        QCOMPARE(m_emptyAnnouncements, 0);
    }

    void activationOpensTheHubAndASecondLaunchEnds()
    {
        QProcess &first = launchOnBus(true);
        QCOMPARE(m_x.windowsTitled("Tarnwick", 700), 0);
        QCOMPARE(
            call(QStringLiteral("org.freedesktop.Application"), QStringLiteral("Activate"), {QVariantMap()})
                .type(),
            QDBusMessage::ReplyMessage);
        QTRY_COMPARE(m_x.windowsTitled("Tarnwick", 700), 1);

        QProcess &second = m_app->launch();
        QVERIFY(second.waitForFinished(startTimeoutMs));
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(m_app->runningPids(), QList<qint64>{first.processId()});
        QCOMPARE(owner(), first.processId());
    }

    // A bus of the test's own whose one service file is the installed one's
    // template, pointing at this build through `env` so the started copy
    // keeps to the test's folders.
    void theBusStartsItFromItsServiceFile()
    {
        PrivateSessionBus bus(PrivateSessionBus::Services::OnlyOwn);
        QCOMPARE(bus.start(), QString());
        QFile templateFile(QStringLiteral(SERVICE_TEMPLATE));
        QVERIFY(templateFile.open(QIODevice::ReadOnly));
        QStringList exec{QStringLiteral("/usr/bin/env"), QStringLiteral("TARNWICK_SIMULATED=1")};
        for (const char *name : {"TARNWICK_DEFAULTS", "TARNWICK_DATA", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"})
            exec.append(QString::fromLatin1(name) + QLatin1Char('=') +
                        m_app->environment().value(QString::fromLatin1(name)));
        exec.append(PrivateTarnwick::binary());
        QFile service(bus.servicesDir() + QLatin1Char('/') + busName + QStringLiteral(".service"));
        QVERIFY(service.open(QIODevice::WriteOnly));
        service.write(QString::fromUtf8(templateFile.readAll())
                          .replace(QStringLiteral("@TARNWICK_APP_ID@"), busName)
                          .replace(QStringLiteral("@TARNWICK_BINARY@"), exec.join(QLatin1Char(' ')))
                          .toUtf8());
        service.close();

        {
            QDBusConnection own = QDBusConnection::connectToBus(bus.address(), QStringLiteral("own"));
            QDBusMessage activate = QDBusMessage::createMethodCall(
                busName, objectPath, QStringLiteral("org.freedesktop.Application"),
                QStringLiteral("Activate"));
            activate.setArguments({QVariantMap()});
            QCOMPARE(own.call(activate, QDBus::Block, startTimeoutMs).type(), QDBusMessage::ReplyMessage);
            QTRY_COMPARE(m_x.windowsTitled("Tarnwick", 700), 1);
            QCOMPARE(m_app->runningPids(), QList<qint64>{own.interface()->servicePid(busName).value()});
        }
        QDBusConnection::disconnectFromBus(QStringLiteral("own"));
        bus.stop();
        QTRY_VERIFY_WITH_TIMEOUT(m_app->runningPids().isEmpty(), startTimeoutMs);
    }

    // The rig's audio server and a stand-in camera node, watched by the real backends.
    void propertiesFollowRealRecordings()
    {
        launchOnBus(false);
        QCOMPARE(m_seen.value(QStringLiteral("MicrophoneOn")), QVariant(false));
        QProcess recorder;
        recorder.start(QStringLiteral("parecord"), {QStringLiteral("--client-name=Field Recorder"),
                                                    m_app->filePath(QStringLiteral("take.wav"))});
        QTRY_COMPARE_WITH_TIMEOUT(m_seen.value(QStringLiteral("MicrophoneUsers")),
                                  QVariant(QStringList{QStringLiteral("parecord")}), startTimeoutMs);
        QCOMPARE(m_seen.value(QStringLiteral("MicrophoneOn")), QVariant(true));
        QCOMPARE(m_seen.value(QStringLiteral("CameraOn")), QVariant(false));
        recorder.terminate();
        QVERIFY(recorder.waitForFinished());
        QTRY_COMPARE_WITH_TIMEOUT(m_seen.value(QStringLiteral("MicrophoneOn")), QVariant(false),
                                  startTimeoutMs);
        QCOMPARE(m_seen.value(QStringLiteral("MicrophoneUsers")), QVariant(QStringList()));
    }

    void methodsMoveTheSwitchAndAnnounceItOnce_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<QString>("property");
        QTest::addColumn<QString>("setting");
        QTest::newRow("camera") << "SetCameraOff"
                                << "CameraOff"
                                << "CameraOff";
        QTest::newRow("microphone") << "SetMicrophoneOff"
                                    << "MicrophoneOff"
                                    << "MicOff";
    }
    void methodsMoveTheSwitchAndAnnounceItOnce()
    {
        QFETCH(QString, method);
        QFETCH(QString, property);
        QFETCH(QString, setting);
        launchOnBus(true);
        QCOMPARE(m_seen.value(property), QVariant(false));
        for (bool off : {true, true, false}) {
            QCOMPARE(call(scripting, method, {off}).type(), QDBusMessage::ReplyMessage);
            QTRY_COMPARE(m_seen.value(property), QVariant(off));
            QTRY_COMPARE(m_app->settings().value(setting).toBool(), off);
        }
        // The repeated call changed nothing and said nothing; the signal precedes the reply.
        QCOMPARE(m_announcements, 2);
    }

    void callsBeyondTheMenusAreRefused_data()
    {
        QTest::addColumn<QString>("interface");
        QTest::addColumn<QString>("method");
        QTest::addColumn<QVariantList>("arguments");
        QTest::addColumn<QString>("error");
        const QString properties = QStringLiteral("org.freedesktop.DBus.Properties");
        QTest::newRow("a state written")
            << properties << "Set"
            << QVariantList{scripting, QStringLiteral("CameraOn"), QVariant::fromValue(QDBusVariant(true))}
            << "org.freedesktop.DBus.Error.PropertyReadOnly";
        QTest::newRow("a switch half written") << properties << "Set"
                                               << QVariantList{scripting, QStringLiteral("MicrophoneOff"),
                                                               QVariant::fromValue(QDBusVariant(true))}
                                               << "org.freedesktop.DBus.Error.PropertyReadOnly";
        QTest::newRow("no section") << scripting << "OpenHub" << QVariantList{QStringLiteral("settings")}
                                    << "org.freedesktop.DBus.Error.InvalidArgs";
        QTest::newRow("a text for a flag")
            << scripting << "SetMicrophoneOff" << QVariantList{QStringLiteral("yes")}
            << "org.freedesktop.DBus.Error.InvalidArgs";
        QTest::newRow("files to open")
            << "org.freedesktop.Application"
            << "Open" << QVariantList{QStringList{QStringLiteral("file:///etc/passwd")}, QVariantMap()}
            << "org.freedesktop.DBus.Error.NotSupported";
        QTest::newRow("quit") << scripting << "Quit" << QVariantList()
                              << "org.freedesktop.DBus.Error.UnknownMethod";
    }
    void callsBeyondTheMenusAreRefused()
    {
        QFETCH(QString, interface);
        QFETCH(QString, method);
        QFETCH(QVariantList, arguments);
        QFETCH(QString, error);
        QProcess &app = launchOnBus(true);
        const QDBusMessage answer = call(interface, method, arguments);
        QCOMPARE(answer.errorName(), error);
        QCOMPARE(m_announcements, 0);
        QCOMPARE(app.state(), QProcess::Running);
    }

    // It runs on and takes the name once the other program lets it go.
    void aNameTakenByAnotherProgramIsWaitedFor()
    {
        QVERIFY(m_bus.registerService(busName));
        QProcess &app = m_app->launch({}, true);
        QByteArray said;
        QTRY_VERIFY_WITH_TIMEOUT((said += app.readAll()).contains("belongs to another program"),
                                 startTimeoutMs);
        QCOMPARE(said.count("session bus"), 1);
        QVERIFY(m_bus.unregisterService(busName));
        QTRY_COMPARE_WITH_TIMEOUT(owner(), app.processId(), startTimeoutMs);
    }

    void withoutABusTheLockStillDecides()
    {
        m_app->environment().insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                                    QStringLiteral("unix:path=") + m_app->filePath(QStringLiteral("no-bus")));
        m_app->environment().insert(QStringLiteral("TARNWICK_SIMULATED"), QStringLiteral("1"));
        QProcess &first = m_app->launch({}, true);
        QByteArray said;
        QTRY_VERIFY_WITH_TIMEOUT((said += first.readAll()).contains("without its D-Bus interface"),
                                 startTimeoutMs);
        QProcess &second = m_app->launch({}, true);
        QVERIFY(second.waitForFinished(startTimeoutMs));
        QCOMPARE(second.exitCode(), 0);
        QVERIFY(second.readAll().contains("without a session bus"));
        QCOMPARE(first.state(), QProcess::Running);
    }
};

QTEST_GUILESS_MAIN(TestDBusInterface)
#include "test_dbus_interface.moc"
