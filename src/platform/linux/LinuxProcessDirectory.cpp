#include "LinuxProcessDirectory.h"

#include "ProcFs.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <csignal>

namespace {

// Ancestors looked at before giving up, as for memory owners.
constexpr int longestParentChain = 12;

QString fileName(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

bool isAppUnit(const QString &unit)
{
    return unit.startsWith(QLatin1String("app-")) &&
           (unit.endsWith(QLatin1String(".scope")) || unit.endsWith(QLatin1String(".service")));
}

QString unescapeUnit(QString text)
{
    return text.replace(QLatin1String("\\x2d"), QLatin1String("-"));
}

} // namespace

LinuxProcessDirectory::LinuxProcessDirectory(QString procRoot, QStringList applicationFolders,
                                             QString cgroupRoot)
    : m_procRoot(std::move(procRoot))
    , m_cgroupRoot(std::move(cgroupRoot))
    , m_entries(std::move(applicationFolders))
{}

QStringList LinuxProcessDirectory::appIdsOfUnit(const QString &unit)
{
    if (!isAppUnit(unit))
        return {};
    QString body = unit.mid(4);
    if (body.endsWith(QLatin1String(".scope"))) {
        body.chop(6);
        body = body.left(body.lastIndexOf(QLatin1Char('-'))); // the random part
    } else {
        body.chop(8);
        body = body.section(QLatin1Char('@'), 0, 0);
    }
    if (body.isEmpty())
        return {};
    // "<launcher>-<id>" or "<id>": dashes inside the id are escaped as \x2d.
    QStringList candidates;
    const qsizetype dash = body.indexOf(QLatin1Char('-'));
    if (dash > 0)
        candidates.append(unescapeUnit(body.mid(dash + 1)));
    candidates.append(unescapeUnit(body));
    candidates.removeAll(QString());
    // Reverse-DNS ids (two dots at least) are the most telling; the others
    // are still desktop-file ids.
    std::stable_partition(candidates.begin(), candidates.end(),
                          [](const QString &id) { return id.count(QLatin1Char('.')) >= 2; });
    return candidates;
}

QString LinuxProcessDirectory::cgroupOf(qint32 pid) const
{
    // The unified hierarchy's line is "0::<path>".
    const QByteArray text = ProcFs::readFile(QStringLiteral("%1/%2/cgroup").arg(m_procRoot).arg(pid));
    for (const QByteArray &line : text.split('\n')) {
        if (line.startsWith("0::"))
            return QString::fromUtf8(line.mid(3));
    }
    return {};
}

QString LinuxProcessDirectory::flatpakIdOf(qint32 pid) const
{
    const QByteArray text =
        ProcFs::readFile(QStringLiteral("%1/%2/root/.flatpak-info").arg(m_procRoot).arg(pid));
    bool inApplication = false;
    for (const QByteArray &raw : text.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith('['))
            inApplication = line == "[Application]";
        else if (inApplication && line.startsWith("name="))
            return QString::fromUtf8(line.mid(5).trimmed());
    }
    return {};
}

std::optional<DesktopEntry> LinuxProcessDirectory::entryOf(qint32 pid) const
{
    for (const QString &id : appIdsOfUnit(fileName(cgroupOf(pid)))) {
        if (auto entry = m_entries.byId(id))
            return entry;
    }
    const QString flatpakId = flatpakIdOf(pid);
    if (!flatpakId.isEmpty()) {
        if (auto entry = m_entries.byId(flatpakId))
            return entry;
    }
    const QString comm = processName(pid);
    QStringList programs = programsOf(pid);
    if (!comm.isEmpty())
        programs.append(comm);
    if (auto entry = m_entries.byProgram(programs))
        return entry;
    return comm.isEmpty() ? std::nullopt : m_entries.byWindowClass(comm);
}

std::optional<DesktopEntry> LinuxProcessDirectory::entryOf(qint32 pid, EntryMemo &memo) const
{
    const auto known = memo.entries.constFind(pid);
    if (known != memo.entries.cend())
        return *known;
    return *memo.entries.insert(pid, entryOf(pid));
}

QStringList LinuxProcessDirectory::programsOf(qint32 pid) const
{
    const QString base = QStringLiteral("%1/%2/").arg(m_procRoot).arg(pid);
    QStringList programs{fileName(ProcFs::linkTarget(base + QStringLiteral("exe")))};
    programs.append(fileName(
        QString::fromUtf8(ProcFs::readFile(base + QStringLiteral("cmdline")).split('\0').constFirst())));
    programs.removeAll(QString());
    return programs;
}

bool LinuxProcessDirectory::runsProgram(qint32 pid, const QString &program) const
{
    const QString name = fileName(program);
    if (pid < 1 || name.isEmpty())
        return false;
    if (programsOf(pid).contains(name))
        return true;
    const QString comm = processName(pid);
    constexpr qsizetype commBytes = 15;
    return !comm.isEmpty() && comm.toUtf8() == name.toUtf8().left(commBytes);
}

std::optional<RunningApp> LinuxProcessDirectory::describe(qint32 pid, EntryMemo &memo) const
{
    if (pid < 1 || !isRunning(pid))
        return std::nullopt;
    RunningApp app;
    app.pid = pid;
    if (const std::optional<DesktopEntry> entry = entryOf(pid, memo)) {
        app.name = entry->name;
        app.appId = entry->id;
        app.icon = entry->icon;
        app.categories = entry->categories;
    } else {
        app.name = processName(pid);
        app.appId = flatpakIdOf(pid);
        app.backgroundOnly = true;
    }
    return app;
}

std::optional<RunningApp> LinuxProcessDirectory::runningApp(qint32 pid) const
{
    EntryMemo memo;
    std::optional<RunningApp> app = describe(pid, memo);
    // A helper of an application is not the application itself.
    if (app && !app->backgroundOnly)
        app->backgroundOnly = responsible(pid, memo) != pid;
    return app;
}

std::optional<RunningApp> LinuxProcessDirectory::windowApp(qint32 pid, const QString &windowClass,
                                                           EntryMemo &memo) const
{
    std::optional<RunningApp> app = describe(pid, memo);
    // The window's class is what StartupWMClass names; it outranks a guess from the process.
    const std::optional<DesktopEntry> entry =
        windowClass.isEmpty() ? std::nullopt : m_entries.byWindowClass(windowClass);
    if (app && entry) {
        app->name = entry->name;
        app->appId = entry->id;
        app->categories = entry->categories;
        app->icon = entry->icon;
    }
    return app;
}

std::optional<RunningApp> LinuxProcessDirectory::runningAppById(const QString &appId) const
{
    if (appId.isEmpty())
        return std::nullopt;
    // Processes inside the app's sandbox come first: its unit also holds
    // the sandboxing tool, which started before the app.
    QList<qint32> sandboxed;
    QList<qint32> members;
    for (const qint32 pid : ProcFs::pids(m_procRoot)) {
        if (flatpakIdOf(pid) == appId) {
            if (sandboxPid(pid) != 1)
                sandboxed.append(pid);
        } else if (appIdsOfUnit(fileName(cgroupOf(pid))).contains(appId)) {
            members.append(pid);
        }
    }
    const qint32 oldest = oldestIn(sandboxed.isEmpty() ? members : sandboxed);
    if (oldest == 0)
        return std::nullopt;
    const qint32 main = responsible(oldest);
    RunningApp app;
    app.pid = main;
    app.appId = appId;
    const std::optional<DesktopEntry> entry = m_entries.byId(appId);
    app.name = entry ? entry->name : processName(main);
    app.icon = entry ? entry->icon : QString();
    return app;
}

qint32 LinuxProcessDirectory::oldestIn(const QList<qint32> &pids) const
{
    qint32 oldest = 0;
    quint64 oldestStart = 0;
    for (const qint32 pid : pids) {
        const std::optional<quint64> start = ProcFs::startTime(pid, m_procRoot);
        if (start && (oldest == 0 || *start < oldestStart || (*start == oldestStart && pid < oldest))) {
            oldest = pid;
            oldestStart = *start;
        }
    }
    return oldest;
}

QList<qint32> LinuxProcessDirectory::appUnitMembers(qint32 pid) const
{
    const QString cgroup = cgroupOf(pid);
    if (!isAppUnit(fileName(cgroup)))
        return {};
    // The unit's own member list; when it cannot be read, every process's cgroup.
    QList<qint32> members;
    const QByteArray procs = ProcFs::readFile(m_cgroupRoot + cgroup + QStringLiteral("/cgroup.procs"));
    for (const QByteArray &line : procs.split('\n')) {
        bool ok = false;
        const qint32 member = line.trimmed().toInt(&ok);
        if (ok && member > 0)
            members.append(member);
    }
    if (members.isEmpty()) {
        for (const qint32 other : ProcFs::pids(m_procRoot)) {
            if (cgroupOf(other) == cgroup)
                members.append(other);
        }
    }
    return members;
}

qint32 LinuxProcessDirectory::sandboxPid(qint32 pid) const
{
    // "NSpid:" lists the pid in each nested namespace, the innermost last.
    const QByteArray status = ProcFs::readFile(QStringLiteral("%1/%2/status").arg(m_procRoot).arg(pid));
    for (const QByteArray &line : status.split('\n')) {
        if (line.startsWith("NSpid:"))
            return line.mid(6).simplified().split(' ').constLast().toInt();
    }
    return 0;
}

std::optional<qint32> LinuxProcessDirectory::firstInSandbox(qint32 pid) const
{
    if (flatpakIdOf(pid).isEmpty())
        return std::nullopt;
    // The sandbox's init (pid 1 inside it) is the sandboxing tool; the first
    // process below it is the application.
    const auto namespaceOf = [this](qint32 p) {
        return ProcFs::linkTarget(QStringLiteral("%1/%2/ns/pid").arg(m_procRoot).arg(p));
    };
    const QString sandbox = namespaceOf(pid);
    qint32 top = pid;
    for (int i = 0; i < longestParentChain; ++i) {
        const std::optional<qint32> up = parent(top);
        if (!up || *up <= 1 || namespaceOf(*up) != sandbox || sandboxPid(*up) <= 1)
            break;
        top = *up;
    }
    return top;
}

qint32 LinuxProcessDirectory::topOfEntryChain(qint32 pid, EntryMemo &memo) const
{
    qint32 current = pid;
    std::optional<DesktopEntry> entry = entryOf(current, memo);
    for (int i = 0; i < longestParentChain && !entry; ++i) {
        const std::optional<qint32> up = parent(current, memo);
        if (!up || *up <= 1)
            return pid;
        current = *up;
        entry = entryOf(current, memo);
    }
    if (!entry)
        return pid;
    // A program's own children (renderers, content processes) run the same
    // program: the application is the topmost of them.
    for (int i = 0; i < longestParentChain; ++i) {
        const std::optional<qint32> up = parent(current, memo);
        if (!up || *up <= 1 || entryOf(*up, memo) != entry)
            break;
        current = *up;
    }
    return current;
}

qint32 LinuxProcessDirectory::responsible(qint32 pid) const
{
    EntryMemo memo;
    return responsible(pid, memo);
}

qint32 LinuxProcessDirectory::responsible(qint32 pid, EntryMemo &memo) const
{
    if (pid < 1)
        return pid;
    // A sandbox is narrower than the unit it runs in, whose first process
    // is the sandboxing tool.
    if (const std::optional<qint32> first = firstInSandbox(pid))
        return *first;
    const qint32 first = oldestIn(appUnitMembers(pid));
    return first > 0 ? first : topOfEntryChain(pid, memo);
}

std::optional<qint32> LinuxProcessDirectory::parent(qint32 pid) const
{
    const std::optional<pid_t> up = ProcFs::parent(pid, m_procRoot);
    return up ? std::optional<qint32>(*up) : std::nullopt;
}

std::optional<qint32> LinuxProcessDirectory::parent(qint32 pid, EntryMemo &memo) const
{
    const auto known = memo.parents.constFind(pid);
    if (known != memo.parents.cend())
        return *known;
    return *memo.parents.insert(pid, parent(pid));
}

QList<qint32> LinuxProcessDirectory::allPIDs() const
{
    QList<qint32> pids;
    for (const pid_t pid : ProcFs::pids(m_procRoot))
        pids.append(pid);
    return pids;
}

QString LinuxProcessDirectory::processName(qint32 pid) const
{
    return ProcFs::command(pid, m_procRoot);
}

std::optional<quint64> LinuxProcessDirectory::startTime(qint32 pid) const
{
    return pid < 1 ? std::nullopt : ProcFs::startTime(pid, m_procRoot);
}

bool LinuxProcessDirectory::isRunning(qint32 pid) const
{
    if (pid < 1)
        return false;
    // A test's stand-in folder has no processes to signal.
    if (m_procRoot != QLatin1String("/proc"))
        return QFileInfo::exists(QStringLiteral("%1/%2").arg(m_procRoot).arg(pid));
    return kill(pid, 0) == 0 || errno == EPERM;
}
