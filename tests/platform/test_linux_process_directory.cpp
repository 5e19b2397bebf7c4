// Processes and their applications: a stand-in /proc, cgroup tree and applications folder for the
// arrangements a desktop produces, and the real /proc for this test process itself.

#include "LinuxProcessDirectory.h"

#include <QDir>
#include <QFile>
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
    QString cgroup = "/user.slice/user-1000.slice/session-2.scope";
    QByteArray nspid = {}; // the pids in each namespace, outermost first
    QString pidNamespace = {};
};

const QString sandbox = "pid:[4026532999]";

} // namespace

class TestLinuxProcessDirectory : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString proc() const { return m_dir->filePath("proc"); }
    QString apps() const { return m_dir->filePath("applications"); }
    QString cgroups() const { return m_dir->filePath("cgroup"); }

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
        write(base + "stat", QByteArray::number(p.pid) + " (" + p.comm + ") S " +
                                 QByteArray::number(p.parent) + " 0 0 0 0 0 0 0 0 0 0 0 0 0 20 0 1 0 " +
                                 QByteArray::number(p.start) + " 0 0\n");
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
    void initTestCase() { QLocale::setDefault(QLocale("de_DE")); }
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    // A launcher's prefix, an escaped dash, services; units of no application.
    void appIdsOfSystemdUnits()
    {
        const QList<std::pair<QString, QStringList>> units{
            {"app-gnome-org.gnome.Cheese-4242.scope", {"org.gnome.Cheese", "gnome-org.gnome.Cheese"}},
            {"app-org.kde.konsole-f2a2c1d4.scope", {"org.kde.konsole"}},
            {"app-gnome-firefox\\x2desr-999.scope", {"firefox-esr", "gnome-firefox-esr"}},
            {"app-org.example.Tool@autostart.service", {"org.example.Tool"}},
            {"session-2.scope", {}},
            {"app-.scope", {}}};
        for (const auto &[unit, ids] : units) {
            const QStringList found = LinuxProcessDirectory::appIdsOfUnit(unit);
            QVERIFY2(found == ids,
                     qPrintable(unit + QStringLiteral(" gives ") + found.join(QLatin1Char(' '))));
        }
    }

    void desktopEntriesAreReadAsWritten()
    {
        const QLocale german("de_DE");
        const auto entry =
            DesktopEntryIndex::parse("# comment\n[Desktop Entry]\nType=Application\nName=Cheese\n"
                                     "Name[de]=K\xc3\xa4se\nExec=env GDK_BACKEND=x11 "
                                     "\"/opt/My Apps/cheese\" %U\nStartupWMClass=Cheese\n"
                                     "[Desktop Action new]\nName=New\nExec=other\n",
                                     QStringLiteral("org.gnome.Cheese"), german);
        QVERIFY(entry);
        QCOMPARE(entry->name, QStringLiteral("Käse"));
        QCOMPARE(entry->program, QStringLiteral("cheese"));
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
        // Icons as the theme looks them up; a relative path names none.
        const QList<std::pair<QString, QString>> icons{{"/opt/app//share/app.png", "/opt/app/share/app.png"},
                                                       {"zoom.png", "zoom"},
                                                       {"icons/app.png", ""}};
        for (const auto &[icon, name] : icons)
            QCOMPARE(DesktopEntryIndex::iconName(icon), name);
    }

    void helpersOfAnAppUnitBelongToItsFirstProcess()
    {
        const QString unit = QStringLiteral("/user.slice/user-1000.slice/user@1000.service/app.slice/"
                                            "app-gnome-org.gnome.Cheese-4242.scope");
        add({200, "cheese", 150, 5000, "/usr/bin/cheese", unit});
        add({201, "gst-plugin-scan", 200, 6000, "/usr/libexec/gst-plugin-scanner", unit});
        write(cgroups() + unit + QStringLiteral("/cgroup.procs"), "201\n200\n");
        addEntry("org.gnome.Cheese.desktop",
                 "Name=Cheese\nName[de]=K\xc3\xa4se\nExec=cheese\nIcon=org.gnome.Cheese\n");
        // A unit whose member list cannot be read: its members are searched for.
        const QString service = "/user.slice/app.slice/app-org.example.Tool@autostart.service";
        add({301, "tool-helper", 300, 7100, {}, service});
        add({300, "tool", 1, 7000, {}, service});

        const LinuxProcessDirectory processes = directory();
        QCOMPARE(processes.responsible(201), 200);
        QCOMPARE(processes.runningApp(201),
                 (RunningApp{201, "Käse", "org.gnome.Cheese", true, "org.gnome.Cheese"}));
        const RunningApp cheese{200, "Käse", "org.gnome.Cheese", false, "org.gnome.Cheese"};
        QCOMPARE(processes.runningApp(200), cheese);
        QCOMPARE(processes.runningAppById(QStringLiteral("org.gnome.Cheese")), cheese);
        QCOMPARE(processes.responsible(301), 300);
        // No desktop entry: the process under its own name.
        QCOMPARE(processes.runningApp(301), (RunningApp{301, "tool-helper", QString(), true}));
        QVERIFY(!processes.runningAppById("org.example.Missing"));
    }

    void sandboxedAppsAreTheSandboxesFirstProcess()
    {
        const QString unit = "/user.slice/app.slice/app-flatpak-org.example.Chat-777.scope";
        const QString host = "pid:[4026531836]";
        add({398, "bwrap", 1, 9000, "/usr/bin/bwrap", unit, "398", host});
        add({399, "bwrap", 398, 9001, "/usr/bin/bwrap", unit, "399\t1", sandbox});
        add({400, "chat", 399, 9002, "/app/bin/chat", unit, "400\t2", sandbox});
        add({401, "chat-audio", 400, 9003, "/app/bin/chat", unit, "401\t3", sandbox});
        addEntry("org.example.Chat.desktop", "Name=Chat\nExec=/usr/bin/flatpak run org.example.Chat\n");

        const LinuxProcessDirectory processes = directory();
        QCOMPARE(processes.responsible(401), 400);
        QCOMPARE(processes.runningApp(401)->backgroundOnly, true);
        const RunningApp chat{400, "Chat", "org.example.Chat", false};
        QCOMPARE(processes.runningApp(400), chat);
        // By id: the app, not the sandboxing tool that started before it.
        QCOMPARE(processes.runningAppById(QStringLiteral("org.example.Chat")), chat);
    }

    void withoutUnitsTheParentChainDecides()
    {
        add({100, "firefox-esr", 50, 100, "/usr/lib/firefox-esr/firefox-esr"});
        add({110, "Web Content", 100, 200, "/usr/lib/firefox-esr/firefox-esr"});
        add({50, "openbox", 1, 10, "/usr/bin/openbox"});
        add({118, "xterm", 50, 300, "/usr/bin/xterm"});
        add({119, "bash", 118, 301, "/usr/bin/bash"});
        add({120, "parecord", 119, 302, "/usr/bin/pacat"});
        add({130, "Slack", 1, 400, "/usr/lib/slack/slack-bin"});
        add({140, "lonely", 1, 500});
        addEntry("firefox-esr.desktop", "Name=Firefox ESR\nExec=/usr/lib/firefox-esr/firefox-esr %u\n");
        addEntry("debian/xterm.desktop", "Name=XTerm\nTryExec=xterm\nExec=env LANG=C xterm\n");
        addEntry("slack.desktop", "Name=Slack\nExec=/usr/bin/slack %U\nStartupWMClass=Slack\n");
        addEntry("shell.desktop", "Name=Shell\nExec=bash -c something\n");

        const LinuxProcessDirectory processes = directory();
        // Content processes run the browser's own program: the browser answers.
        QCOMPARE(processes.responsible(110), 100);
        QCOMPARE(processes.runningApp(110)->backgroundOnly, true);
        QCOMPARE(processes.runningApp(100), (RunningApp{100, "Firefox ESR", "firefox-esr", false}));
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
        addEntry("lonely.desktop", "Name=Lonely\nExec=lonely\n");
        QTRY_COMPARE(processes.runningApp(140)->name, QStringLiteral("Lonely"));
    }

    void oddProcessFilesAreSurvived()
    {
        add({600, "\377\376ab", 1, 1}); // not UTF-8
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
        QCOMPARE(processes.processName(getpid()), QStringLiteral("test_linux_proc")); // comm keeps 15 bytes
        QVERIFY(processes.allPIDs().contains(getpid()) && processes.runningApp(getpid()));
    }
};

QTEST_GUILESS_MAIN(TestLinuxProcessDirectory)
#include "test_linux_process_directory.moc"
