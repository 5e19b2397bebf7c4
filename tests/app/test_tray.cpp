// The real tarnwick binary on the rig's desktop: its icon reaches the tray,
// SIGTERM ends it cleanly, and a second launch leaves the first one alone.
#include "RequiredService.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr int startTimeoutMs = 20000;
constexpr int endTimeoutMs = 10000;

template <typename Reply> using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply> ReplyPtr<Reply> owned(Reply *reply) {
    return ReplyPtr<Reply>(reply, &std::free);
}

// The X server seen through a connection of the test's own, so the test
// needs no GUI of its own.
class XServer {
public:
    XServer()
        : m_connection(xcb_connect(nullptr, &m_screen)) {}
    ~XServer() { xcb_disconnect(m_connection); }
    XServer(const XServer &) = delete;
    XServer &operator=(const XServer &) = delete;

    bool isOpen() const { return xcb_connection_has_error(m_connection) == 0; }

    bool hasTray() {
        const QByteArray selection = "_NET_SYSTEM_TRAY_S" + QByteArray::number(m_screen);
        const auto reply = owned(xcb_get_selection_owner_reply(
            m_connection, xcb_get_selection_owner(m_connection, atom(selection)), nullptr));
        return reply && reply->owner != XCB_NONE;
    }

    // Windows of the process that sit inside the tray and show more than one
    // colour, that is, icons the tray embedded and the process painted.
    int paintedTrayIcons(qint64 pid) {
        int found = 0;
        countTrayIcons(root(), false, pid, found);
        return found;
    }

private:
    xcb_atom_t atom(const QByteArray &name) {
        const auto reply = owned(xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, quint16(name.size()), name.constData()), nullptr));
        return reply ? reply->atom : xcb_atom_t(XCB_NONE);
    }

    xcb_window_t root() {
        xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
        for (int i = 0; i < m_screen; ++i)
            xcb_screen_next(&screens);
        return screens.data->root;
    }

    QByteArray property(xcb_window_t window, xcb_atom_t name, xcb_atom_t type) {
        const auto reply = owned(xcb_get_property_reply(
            m_connection, xcb_get_property(m_connection, 0, window, name, type, 0, 256), nullptr));
        if (!reply)
            return {};
        return QByteArray(static_cast<const char *>(xcb_get_property_value(reply.get())),
                          xcb_get_property_value_length(reply.get()));
    }

    // WM_CLASS holds "instance\0class\0"; trayer's windows say "trayer" or "Trayer".
    bool belongsToTray(xcb_window_t window) {
        const QList<QByteArray> names = property(window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING).split('\0');
        return names.size() >= 2 && names.at(1).compare("trayer", Qt::CaseInsensitive) == 0;
    }

    qint64 windowPid(xcb_window_t window) {
        const QByteArray value = property(window, atom("_NET_WM_PID"), XCB_ATOM_CARDINAL);
        quint32 pid = 0;
        if (value.size() != sizeof pid)
            return 0;
        std::memcpy(&pid, value.constData(), sizeof pid);
        return pid;
    }

    bool isViewable(xcb_window_t window) {
        const auto reply = owned(xcb_get_window_attributes_reply(
            m_connection, xcb_get_window_attributes(m_connection, window), nullptr));
        return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
    }

    // The rig's Xvfb runs at depth 24 with 32 bits a pixel.
    bool showsSeveralColours(xcb_window_t window) {
        const auto geometry =
            owned(xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr));
        if (!geometry)
            return false;
        const auto image =
            owned(xcb_get_image_reply(m_connection,
                                      xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0,
                                                    geometry->width, geometry->height, ~0u),
                                      nullptr));
        if (!image || image->depth != 24)
            return false;
        const int count = xcb_get_image_data_length(image.get()) / 4;
        const uint8_t *data = xcb_get_image_data(image.get());
        const auto pixel = [data](int i) {
            quint32 value = 0;
            std::memcpy(&value, data + 4 * i, 4);
            return value & 0xffffffu;
        };
        for (int i = 1; i < count; ++i) {
            if (pixel(i) != pixel(0))
                return true;
        }
        return false;
    }

    void countTrayIcons(xcb_window_t window, bool insideTray, qint64 pid, int &found) {
        insideTray = insideTray || belongsToTray(window);
        if (insideTray && windowPid(window) == pid && isViewable(window) && showsSeveralColours(window))
            ++found;
        const auto tree =
            owned(xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, window), nullptr));
        if (!tree)
            return;
        const xcb_window_t *children = xcb_query_tree_children(tree.get());
        for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i)
            countTrayIcons(children[i], insideTray, pid, found);
    }

    int m_screen = 0;
    xcb_connection_t *m_connection;
};

} // namespace

// Waits until the launch's icon is painted in the tray; a launch that ends
// on the way fails at once.
#define AWAIT_TRAY_ICON(process)                                                                             \
    do {                                                                                                     \
        QTRY_VERIFY_WITH_TIMEOUT((process).state() == QProcess::NotRunning ||                                \
                                     m_x.paintedTrayIcons((process).processId()) > 0,                        \
                                 startTimeoutMs);                                                            \
        QCOMPARE((process).state(), QProcess::Running);                                                      \
        QCOMPARE(m_x.paintedTrayIcons((process).processId()), 1);                                            \
    } while (false)

class TestTray : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        // It shows a tray icon and photographs the screen: never on the
        // desktop of whoever runs the tests.
        REQUIRE_SERVICE(qgetenv("TARNWICK_RIG") == "1",
                        "the desktop rig (run through scripts/desktop-rig.sh)");
        REQUIRE_SERVICE(m_x.isOpen(), "an X display");
        REQUIRE_SERVICE(m_x.hasTray(), "a system tray");
        REQUIRE_SERVICE(!QStandardPaths::findExecutable(QStringLiteral("import")).isEmpty(),
                        "import (ImageMagick)");
        m_binary = QFileInfo(qEnvironmentVariable("TARNWICK_BINARY")).canonicalFilePath();
        QVERIFY2(QFileInfo(m_binary).isExecutable(), "TARNWICK_BINARY names no program");
    }

    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        QVERIFY(QDir().mkdir(m_dir->filePath(QStringLiteral("run"))));
        QVERIFY(QFile::setPermissions(m_dir->filePath(QStringLiteral("run")),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        m_env = QProcessEnvironment::systemEnvironment();
        m_env.remove(QStringLiteral("TARNWICK_SIMULATED"));
        m_env.insert(QStringLiteral("TARNWICK_DEFAULTS"), m_dir->filePath(QStringLiteral("settings.json")));
        m_env.insert(QStringLiteral("TARNWICK_DATA"), m_dir->filePath(QStringLiteral("data")));
        // The single-instance socket lives here: launches of one test meet,
        // other tests' launches do not.
        m_env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir->filePath(QStringLiteral("run")));
    }

    void cleanup() {
        for (const auto &process : m_launches) {
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished(endTimeoutMs);
            }
        }
        m_launches.clear();
        m_dir.reset();
    }

    void iconReachesTheTrayAndSigtermEndsCleanly() {
        QProcess &tarnwick = launch();
        AWAIT_TRAY_ICON(tarnwick);

        const QString shot = QCoreApplication::applicationDirPath() + QStringLiteral("/test_tray-screen.png");
        QFile::remove(shot);
        QCOMPARE(QProcess::execute(QStringLiteral("import"),
                                   {QStringLiteral("-window"), QStringLiteral("root"), shot}),
                 0);
        QVERIFY(QFileInfo(shot).size() > 0);
        qInfo("screenshot: %s", qPrintable(shot));

        tarnwick.terminate();
        QTRY_COMPARE_WITH_TIMEOUT(tarnwick.state(), QProcess::NotRunning, endTimeoutMs);
        QCOMPARE(tarnwick.exitStatus(), QProcess::NormalExit);
        QCOMPARE(tarnwick.exitCode(), 0);
        QCOMPARE(m_x.paintedTrayIcons(tarnwick.processId()), 0);
    }

    void secondLaunchEndsAndLeavesTheFirstRunning() {
        QProcess &first = launch();
        AWAIT_TRAY_ICON(first);

        QProcess &second = launch();
        QTRY_COMPARE_WITH_TIMEOUT(second.state(), QProcess::NotRunning, endTimeoutMs);
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);

        QCOMPARE(first.state(), QProcess::Running);
        QCOMPARE(runningInstances(), QList<qint64>{first.processId()});
        QCOMPARE(m_x.paintedTrayIcons(first.processId()), 1);
    }

    // A crash leaves the socket file behind; it must not keep Tarnwick from
    // starting again.
    void launchAfterACrashStarts() {
        QProcess &crashed = launch();
        AWAIT_TRAY_ICON(crashed);
        crashed.kill();
        QTRY_COMPARE_WITH_TIMEOUT(crashed.state(), QProcess::NotRunning, endTimeoutMs);

        QProcess &next = launch();
        AWAIT_TRAY_ICON(next);
        QCOMPARE(runningInstances(), QList<qint64>{next.processId()});
    }

private:
    QProcess &launch() {
        auto process = std::make_unique<QProcess>();
        process->setProcessEnvironment(m_env);
        process->setProcessChannelMode(QProcess::ForwardedChannels);
        process->start(m_binary, {});
        m_launches.push_back(std::move(process));
        return *m_launches.back();
    }

    // Processes running the binary with this test's data folder.
    QList<qint64> runningInstances() const {
        const QByteArray marker = QStringLiteral("TARNWICK_DATA=%1")
                                      .arg(m_env.value(QStringLiteral("TARNWICK_DATA")))
                                      .toLocal8Bit();
        QList<qint64> pids;
        const QStringList entries =
            QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        for (const QString &entry : entries) {
            bool isPid = false;
            const qint64 pid = entry.toLongLong(&isPid);
            if (!isPid || QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(pid)) != m_binary)
                continue;
            QFile environment(QStringLiteral("/proc/%1/environ").arg(pid));
            if (environment.open(QIODevice::ReadOnly) && environment.readAll().split('\0').contains(marker))
                pids.append(pid);
        }
        return pids;
    }

    XServer m_x;
    QString m_binary;
    std::unique_ptr<QTemporaryDir> m_dir;
    QProcessEnvironment m_env;
    std::vector<std::unique_ptr<QProcess>> m_launches;
};

QTEST_GUILESS_MAIN(TestTray)
#include "test_tray.moc"
