#include "AudioCaptureSource.h"
#include "SensorUser.h"
#include "SimProcessDirectory.h"

#include <QTest>

namespace {

const SensorUser browser{300, QStringLiteral("Browser"), QStringLiteral("org.browser")};
const SensorUser recorder{800, QStringLiteral("Recorder"), QStringLiteral("org.gnome.Recorder")};
const SensorUser nobody{};

} // namespace

class TestSensorUser : public QObject {
    Q_OBJECT

    SimProcessDirectory m_processes;

private Q_SLOTS:
    void initTestCase()
    {
        m_processes.addApp({100, QStringLiteral("Zoom"), QStringLiteral("us.zoom.xos"), false});
        m_processes.addApp({browser.pid, browser.name, browser.appId, false});
        // Helpers: one without a record of its own, one whose record is background-only.
        m_processes.addProcess(301, QStringLiteral("browser-gpu"), 300, 300);
        m_processes.addProcess(302, QStringLiteral("browser-audio"), 300, 300);
        m_processes.addApp({302, QStringLiteral("Audio Service"), QString(), true});
        m_processes.addApp({400, QStringLiteral("Dictation"), QStringLiteral("org.dictation"), true});
        // Responsible for by an app that has gone; and an app record without a name.
        m_processes.addProcess(500, QStringLiteral("arecord"), 1, 499);
        m_processes.addProcess(600, QStringLiteral("obs"));
        m_processes.addApp({600, QString(), QStringLiteral("com.obsproject.Studio"), false});
        m_processes.addProcess(0, QStringLiteral("swapper"));
        m_processes.addApp({recorder.pid, recorder.name, recorder.appId, false});
        m_processes.addProcess(3, QStringLiteral("host-process"));
    }

    void resolve_data()
    {
        // A capture stream's app id, when it has one, names a sandboxed client.
        QTest::addColumn<qint32>("pid");
        QTest::addColumn<QString>("appId");
        QTest::addColumn<SensorUser>("expected");
        QTest::newRow("an app is itself")
            << 100 << QString() << SensorUser{100, QStringLiteral("Zoom"), QStringLiteral("us.zoom.xos")};
        QTest::newRow("a helper is its app") << 301 << QString() << browser;
        QTest::newRow("a background-only helper is its app") << 302 << QString() << browser;
        QTest::newRow("background-only, responsible for itself")
            << 400 << QString()
            << SensorUser{400, QStringLiteral("Dictation"), QStringLiteral("org.dictation")};
        QTest::newRow("its app has gone: the process name")
            << 500 << QString() << SensorUser{500, QStringLiteral("arecord"), QString()};
        QTest::newRow("a nameless app: the process name")
            << 600 << QString() << SensorUser{600, QStringLiteral("obs"), QString()};
        QTest::newRow("pid 0 is nobody") << 0 << QString() << nobody;
        QTest::newRow("a negative pid is nobody") << -7 << QString() << nobody;
        QTest::newRow("a process that cannot be named is nobody") << 700 << QString() << nobody;
        QTest::newRow("sandboxed: the app of that id") << 3 << recorder.appId << recorder;
        QTest::newRow("sandboxed, app not running: the id, never the pid's process")
            << 3 << QStringLiteral("org.gone")
            << SensorUser{3, QStringLiteral("org.gone"), QStringLiteral("org.gone")};
    }
    void resolve()
    {
        QFETCH(qint32, pid);
        QFETCH(QString, appId);
        QFETCH(SensorUser, expected);
        const std::optional<SensorUser> user =
            appId.isEmpty() ? SensorUser::resolve(pid, m_processes)
                            : SensorUser::resolve(AudioCapture{1, pid, appId, {}}, m_processes);
        QCOMPARE(user.value_or(nobody), expected);
        // A capture without an app id is named by its pid.
        if (appId.isEmpty())
            QCOMPARE(SensorUser::resolve(AudioCapture{1, pid, QString(), {}}, m_processes), user);
    }
};

QTEST_GUILESS_MAIN(TestSensorUser)
#include "test_sensor_user.moc"
