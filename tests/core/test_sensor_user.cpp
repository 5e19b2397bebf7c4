#include "AudioCaptureSource.h"
#include "SensorUser.h"
#include "SimProcessDirectory.h"

#include <QTest>

namespace {

const SensorUser browser{300, QStringLiteral("Browser"), QStringLiteral("org.browser"),
                         QStringLiteral("/opt/browser/icon.svg")};
const SensorUser recorder{800, QStringLiteral("Recorder"), QStringLiteral("org.gnome.Recorder")};
const SensorUser nobody{};

} // namespace

Q_DECLARE_METATYPE(AudioCapture)

class TestSensorUser : public QObject {
    Q_OBJECT

    SimProcessDirectory m_processes;

private Q_SLOTS:
    void initTestCase()
    {
        m_processes.addApp({100, QStringLiteral("Zoom"), QStringLiteral("us.zoom.xos"), false});
        m_processes.addApp({browser.pid, browser.name, browser.appId, false, browser.icon});
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
        m_processes.addProcess(610, QStringLiteral("two\nlines"));
    }

    void resolve_data()
    {
        QTest::addColumn<qint32>("pid");
        QTest::addColumn<SensorUser>("expected");
        QTest::newRow("an app is itself")
            << 100 << SensorUser{100, QStringLiteral("Zoom"), QStringLiteral("us.zoom.xos")};
        QTest::newRow("a helper is its app") << 301 << browser;
        QTest::newRow("a background-only helper is its app") << 302 << browser;
        QTest::newRow("background-only, responsible for itself")
            << 400 << SensorUser{400, QStringLiteral("Dictation"), QStringLiteral("org.dictation")};
        QTest::newRow("its app has gone: the process name")
            << 500 << SensorUser{500, QStringLiteral("arecord"), QString()};
        QTest::newRow("a nameless app: the process name")
            << 600 << SensorUser{600, QStringLiteral("obs"), QString()};
        QTest::newRow("names are cleaned") << 610 << SensorUser{610, QStringLiteral("two lines"), QString()};
        QTest::newRow("pid 0 is nobody") << 0 << nobody;
        QTest::newRow("a process that cannot be named is nobody") << 700 << nobody;
    }
    void resolve()
    {
        QFETCH(qint32, pid);
        QTEST(SensorUser::resolve(pid, m_processes).value_or(nobody), "expected");
    }

    void resolveCapture_data()
    {
        QTest::addColumn<AudioCapture>("capture");
        QTest::addColumn<SensorUser>("expected");
        const auto capture = [](qint32 pid, const QString &binary,
                                const QString &client = QStringLiteral("rec"), qint32 hostPid = 0,
                                const QString &appId = {}) {
            return AudioCapture{{pid, hostPid, appId, client, binary}, 1};
        };
        const SensorUser rec{0, QStringLiteral("rec"), QString()};
        QTest::newRow("a claim its process bears out")
            << capture(500, QStringLiteral("/usr/bin/arecord"))
            << SensorUser{500, QStringLiteral("arecord"), QString()};
        QTest::newRow("no claim, no client name: the program")
            << capture(0, QStringLiteral("/bin/arecord"), QString())
            << SensorUser{0, QStringLiteral("arecord"), QString()};
        QTest::newRow("nothing readable") << capture(0, QString(), QStringLiteral("\n\x01\u202e"))
                                          << SensorUser{0, QStringLiteral("Unnamed app"), QString()};
        QTest::newRow("the server's peer pid over the claim")
            << capture(3, QStringLiteral("host-process"), QStringLiteral("rec"), 100)
            << SensorUser{100, QStringLiteral("Zoom"), QStringLiteral("us.zoom.xos")};
        QTest::newRow("sandboxed: the app of that id")
            << capture(3, QStringLiteral("host-process"), QStringLiteral("rec"), 0, recorder.appId)
            << recorder;
        QTest::newRow("sandboxed, app not running: the id, never the pid's process")
            << capture(3, QStringLiteral("host-process"), QStringLiteral("rec"), 0,
                       QStringLiteral("org.gone"))
            << SensorUser{0, QStringLiteral("org.gone"), QStringLiteral("org.gone")};
    }
    void resolveCapture()
    {
        QFETCH(AudioCapture, capture);
        QTEST(SensorUser::resolve(capture, m_processes), "expected");
    }
};

QTEST_GUILESS_MAIN(TestSensorUser)
#include "test_sensor_user.moc"
