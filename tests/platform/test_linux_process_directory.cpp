// Processes and their applications: a stand-in /proc, cgroup tree and
// applications folder for the arrangements a desktop produces, and the real
// /proc for this test process itself.

#include "LinuxProcessDirectory.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <unistd.h>

namespace {

struct FakeProcess {
    qint32 pid;
    QByteArray comm;
    qint32 parent;
    quint64 start;
    QString exe = {};
    QString cgroup = QStringLiteral("/user.slice/user-1000.slice/session-2.scope");
    QByteArray nspid = {}; // the pids in each namespace, outermost first
    QString pidNamespace = {};
};

const QString sandbox = QStringLiteral("pid:[4026532999]");

} // namespace

class TestLinuxProcessDirectory : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString proc() const { return m_dir->filePath(QStringLiteral("proc")); }
    QString apps() const { return m_dir->filePath(QStringLiteral("applications")); }
    QString cgroups() const { return m_dir->filePath(QStringLiteral("cgroup")); }

    void write(const QString &path, const QByteArray &text)
    {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }

    void add(const FakeProcess &p)
    {
        const QString base = QStringLiteral("%1/%2/").arg(proc()).arg(p.pid);
        write(base + QStringLiteral("comm"), p.comm + '\n');
        write(base + QStringLiteral("stat"),
              QStringLiteral("%1 (%2) S %3 0 0 0 0 0 0 0 0 0 0 0 0 0 20 0 1 0 %4 0 0\n")
                  .arg(p.pid)
                  .arg(QString::fromUtf8(p.comm))
                  .arg(p.parent)
                  .arg(p.start)
                  .toUtf8());
        write(base + QStringLiteral("cgroup"), "0::" + p.cgroup.toUtf8() + '\n');
        write(base + QStringLiteral("cmdline"), p.exe.toUtf8() + '\0' + "--flag" + '\0');
        if (!p.exe.isEmpty())
            QFile::link(p.exe, base + QStringLiteral("exe"));
        if (p.nspid.isEmpty())
            return;
        write(base + QStringLiteral("status"), "Name:\t" + p.comm + "\nNSpid:\t" + p.nspid + "\n");
        QDir().mkpath(base + QStringLiteral("ns"));
        QFile::link(p.pidNamespace, base + QStringLiteral("ns/pid"));
        if (p.pidNamespace == sandbox)
            write(base + QStringLiteral("root/.flatpak-info"), "[Application]\nname=org.example.Chat\n");
    }

    void addEntry(const QString &relativePath, const QByteArray &body)
    {
        write(apps() + QLatin1Char('/') + relativePath, "[Desktop Entry]\nType=Application\n" + body);
    }

    LinuxProcessDirectory directory() const { return LinuxProcessDirectory(proc(), {apps()}, cgroups()); }

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QStringLiteral("de_DE"))); }
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void appIdsOfSystemdUnits_data()
    {
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QStringList>("ids");
        QTest::newRow("launcher and reverse-DNS id")
            << "app-gnome-org.gnome.Cheese-4242.scope"
            << QStringList{"org.gnome.Cheese", "gnome-org.gnome.Cheese"};
        QTest::newRow("no launcher") << "app-org.kde.konsole-f2a2c1d4.scope"
                                     << QStringList{"org.kde.konsole"};
        QTest::newRow("flatpak") << "app-flatpak-org.mozilla.firefox-12345.scope"
                                 << QStringList{"org.mozilla.firefox", "flatpak-org.mozilla.firefox"};
        QTest::newRow("plain id with an escaped dash")
            << "app-gnome-firefox\\x2desr-999.scope" << QStringList{"firefox-esr", "gnome-firefox-esr"};
        QTest::newRow("autostart service")
            << "app-org.example.Tool@autostart.service" << QStringList{"org.example.Tool"};
        QTest::newRow("launched service")
            << "app-gnome-xterm@12.service" << QStringList{"xterm", "gnome-xterm"};
        QTest::newRow("a session") << "session-2.scope" << QStringList{};
        QTest::newRow("the slice") << "app.slice" << QStringList{};
        QTest::newRow("no id") << "app-.scope" << QStringList{};
    }

    void appIdsOfSystemdUnits()
    {
        QFETCH(QString, unit);
        QFETCH(QStringList, ids);
        QCOMPARE(LinuxProcessDirectory::appIdsOfUnit(unit), ids);
    }

    void desktopEntriesAreReadAsWritten()
    {
        const QLocale german(QStringLiteral("de_DE"));
        const auto entry =
            DesktopEntryIndex::parse("# comment\n[Desktop Entry]\nType=Application\nName=Cheese\n"
                                     "Name[de]=K\xc3\xa4se\nExec=env GDK_BACKEND=x11 "
                                     "\"/opt/My Apps/cheese\" %U\nStartupWMClass=Cheese\n"
                                     "[Desktop Action new]\nName=New\nExec=other\n",
                                     QStringLiteral("org.gnome.Cheese"), german);
        QVERIFY(entry);
        QCOMPARE(entry->name, QStringLiteral("Käse"));
        QCOMPARE(entry->program, QStringLiteral("cheese"));
        QCOMPARE(entry->wmClass, QStringLiteral("Cheese"));
        QCOMPARE(DesktopEntryIndex::parse("[Desktop Entry]\nType=Application\nName=X\nName[de_DE]=Y\n", "x",
                                          german)
                     ->name,
                 QStringLiteral("Y"));
        // Not applications, or removed ones.
        QVERIFY(!DesktopEntryIndex::parse("[Desktop Entry]\nType=Link\nName=Web\n", "web", german));
        QVERIFY(!DesktopEntryIndex::parse("[Desktop Entry]\nType=Application\nName=A\nHidden=true\n", "a",
                                          german));
        QVERIFY(!DesktopEntryIndex::parse("[Desktop Entry]\nType=Application\n", "nameless", german));
        QVERIFY(!DesktopEntryIndex::parse("\xff\xfe garbage \0\n[", "junk", german));
        QCOMPARE(DesktopEntryIndex::execProgram(QStringLiteral("\"/usr/bin/a \\\"b\\\"\" --x")),
                 QStringLiteral("a \"b\""));
        QCOMPARE(DesktopEntryIndex::execProgram(QStringLiteral("env A=1 B=2")), QString());
    }

    void iconsAreTakenAsTheThemeLooksThemUp_data()
    {
        QTest::addColumn<QString>("icon");
        QTest::addColumn<QString>("name");
        QTest::newRow("theme name") << "org.gnome.Cheese"
                                    << "org.gnome.Cheese";
        QTest::newRow("absolute path") << "/opt/app//share/app.png"
                                       << "/opt/app/share/app.png";
        QTest::newRow("name with an extension") << "zoom.png"
                                                << "zoom";
        QTest::newRow("relative path") << "icons/app.png"
                                       << "";
        QTest::newRow("none") << ""
                              << "";
    }
    void iconsAreTakenAsTheThemeLooksThemUp()
    {
        QFETCH(QString, icon);
        QFETCH(QString, name);
        QCOMPARE(DesktopEntryIndex::iconName(icon), name);
    }

    void helpersOfAnAppUnitBelongToItsFirstProcess()
    {
        const QString unit = QStringLiteral("/user.slice/user-1000.slice/user@1000.service/app.slice/"
                                            "app-gnome-org.gnome.Cheese-4242.scope");
        add({200, "cheese", 150, 5000, QStringLiteral("/usr/bin/cheese"), unit});
        add({201, "gst-plugin-scan", 200, 6000, QStringLiteral("/usr/libexec/gst-plugin-scanner"), unit});
        write(cgroups() + unit + QStringLiteral("/cgroup.procs"), "201\n200\n");
        addEntry(QStringLiteral("org.gnome.Cheese.desktop"),
                 "Name=Cheese\nName[de]=K\xc3\xa4se\nExec=cheese\nIcon=org.gnome.Cheese\n");
        // A unit whose member list cannot be read: its members are searched for.
        const QString service =
            QStringLiteral("/user.slice/app.slice/app-org.example.Tool@autostart.service");
        add({301, "tool-helper", 300, 7100, {}, service});
        add({300, "tool", 1, 7000, {}, service});

        const LinuxProcessDirectory processes = directory();
        QCOMPARE(processes.responsible(201), 200);
        QCOMPARE(processes.responsible(200), 200);
        QCOMPARE(processes.runningApp(201),
                 (RunningApp{201, QStringLiteral("Käse"), QStringLiteral("org.gnome.Cheese"), true,
                             QStringLiteral("org.gnome.Cheese")}));
        QCOMPARE(processes.runningApp(200),
                 (RunningApp{200, QStringLiteral("Käse"), QStringLiteral("org.gnome.Cheese"), false,
                             QStringLiteral("org.gnome.Cheese")}));
        QCOMPARE(processes.runningAppById(QStringLiteral("org.gnome.Cheese"))->pid, 200);
        QCOMPARE(processes.runningAppById(QStringLiteral("org.gnome.Cheese"))->icon,
                 QStringLiteral("org.gnome.Cheese"));
        QCOMPARE(processes.responsible(301), 300);
        // No desktop entry: the process under its own name.
        QCOMPARE(processes.runningApp(301),
                 (RunningApp{301, QStringLiteral("tool-helper"), QString(), true}));
        QVERIFY(!processes.runningApp(999));
        QVERIFY(!processes.runningAppById(QStringLiteral("org.example.Missing")));
    }

    void sandboxedAppsAreTheSandboxesFirstProcess()
    {
        const QString unit = QStringLiteral("/user.slice/app.slice/app-flatpak-org.example.Chat-777.scope");
        const QString host = QStringLiteral("pid:[4026531836]");
        add({398, "bwrap", 1, 9000, QStringLiteral("/usr/bin/bwrap"), unit, "398", host});
        add({399, "bwrap", 398, 9001, QStringLiteral("/usr/bin/bwrap"), unit, "399\t1", sandbox});
        add({400, "chat", 399, 9002, QStringLiteral("/app/bin/chat"), unit, "400\t2", sandbox});
        add({401, "chat-audio", 400, 9003, QStringLiteral("/app/bin/chat"), unit, "401\t3", sandbox});
        addEntry(QStringLiteral("org.example.Chat.desktop"),
                 "Name=Chat\nExec=/usr/bin/flatpak run org.example.Chat\n");

        const LinuxProcessDirectory processes = directory();
        QCOMPARE(processes.responsible(401), 400);
        QCOMPARE(processes.responsible(400), 400);
        QCOMPARE(processes.runningApp(401)->backgroundOnly, true);
        QCOMPARE(processes.runningApp(400),
                 (RunningApp{400, QStringLiteral("Chat"), QStringLiteral("org.example.Chat"), false}));
        // By id: the app, not the sandboxing tool that started before it.
        QCOMPARE(processes.runningAppById(QStringLiteral("org.example.Chat")),
                 (RunningApp{400, QStringLiteral("Chat"), QStringLiteral("org.example.Chat"), false}));
    }

    void withoutUnitsTheParentChainDecides()
    {
        add({100, "firefox-esr", 50, 100, QStringLiteral("/usr/lib/firefox-esr/firefox-esr")});
        add({110, "Web Content", 100, 200, QStringLiteral("/usr/lib/firefox-esr/firefox-esr")});
        add({50, "openbox", 1, 10, QStringLiteral("/usr/bin/openbox")});
        add({118, "xterm", 50, 300, QStringLiteral("/usr/bin/xterm")});
        add({119, "bash", 118, 301, QStringLiteral("/usr/bin/bash")});
        add({120, "parecord", 119, 302, QStringLiteral("/usr/bin/pacat")});
        add({130, "Slack", 1, 400, QStringLiteral("/usr/lib/slack/slack-bin")});
        add({140, "lonely", 1, 500});
        addEntry(QStringLiteral("firefox-esr.desktop"),
                 "Name=Firefox ESR\nExec=/usr/lib/firefox-esr/firefox-esr %u\n");
        addEntry(QStringLiteral("debian/xterm.desktop"),
                 "Name=XTerm\nTryExec=xterm\nExec=env LANG=C xterm\n");
        addEntry(QStringLiteral("slack.desktop"),
                 "Name=Slack\nExec=/usr/bin/slack %U\nStartupWMClass=Slack\n");
        addEntry(QStringLiteral("shell.desktop"), "Name=Shell\nExec=bash -c something\n");

        const LinuxProcessDirectory processes = directory();
        // Content processes run the browser's own program: the browser answers.
        QCOMPARE(processes.responsible(110), 100);
        QCOMPARE(processes.runningApp(110)->backgroundOnly, true);
        QCOMPARE(processes.runningApp(100),
                 (RunningApp{100, QStringLiteral("Firefox ESR"), QStringLiteral("firefox-esr"), false}));
        // A command in a terminal belongs to the terminal (ids of subfolders
        // carry the folder); a shell is nobody's application.
        QCOMPARE(processes.responsible(120), 118);
        QCOMPARE(processes.runningApp(118)->appId, QStringLiteral("debian-xterm"));
        QCOMPARE(processes.runningApp(119)->appId, QString());
        QCOMPARE(processes.runningApp(130)->name, QStringLiteral("Slack")); // by window class
        QCOMPARE(processes.responsible(140), 140);
        QCOMPARE(processes.parent(120), std::optional<qint32>(119));
        QCOMPARE(processes.allPIDs().size(), 8);

        // An application installed later is found without restarting, within a second.
        QVERIFY(!processes.runningApp(140)->appId.size());
        addEntry(QStringLiteral("lonely.desktop"), "Name=Lonely\nExec=lonely\n");
        QTRY_COMPARE(processes.runningApp(140)->name, QStringLiteral("Lonely"));
    }

    void oddProcessFilesAreSurvived()
    {
        add({600,
             "\xff\xfe"
             "ab",
             1, 1});
        write(proc() + QStringLiteral("/601/stat"), "601 (broken");
        write(proc() + QStringLiteral("/602/cgroup"), "0::/app-gnome-x-1.scope\n");
        write(proc() + QStringLiteral("/notapid/stat"), "x");
        const LinuxProcessDirectory processes = directory();
        QCOMPARE(processes.processName(600), QStringLiteral("\uFFFD\uFFFDab"));
        QVERIFY(!processes.parent(601));
        QCOMPARE(processes.processName(601), QString());
        QCOMPARE(processes.responsible(602), 602);
        QCOMPARE(processes.responsible(601), 601);
        QVERIFY(processes.isRunning(601));
        QVERIFY(!processes.isRunning(603));
    }

    void theRealProcFs()
    {
        const LinuxProcessDirectory processes;
        QCOMPARE(processes.parent(getpid()), std::optional<qint32>(getppid()));
        QCOMPARE(processes.processName(getpid()), QStringLiteral("test_linux_proc")); // comm keeps 15 bytes
        QVERIFY(processes.allPIDs().contains(getpid()) && processes.runningApp(getpid()));
        QProcess child;
        child.start(QStringLiteral("true"), {});
        QVERIFY(child.waitForFinished());
        QVERIFY(!processes.isRunning(qint32(child.processId())) &&
                !processes.runningApp(qint32(child.processId())));
    }
};

QTEST_GUILESS_MAIN(TestLinuxProcessDirectory)
#include "test_linux_process_directory.moc"
