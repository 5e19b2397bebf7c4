#include "ProcFs.h"

#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <limits>
#include <unistd.h>

namespace ProcFs {

QString root()
{
    static const QString value = [] {
        const QByteArray env = qgetenv("TARNWICK_PROC_ROOT");
        return env.isEmpty() ? QStringLiteral("/proc") : QString::fromLocal8Bit(env);
    }();
    return value;
}

QByteArray readFile(const QString &path)
{
    // Plain system calls: a listing reads thousands of these small files, and
    // QFile's checks around each open cost more than the read itself.
    const int fd = open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    // /proc files report size 0: read until the end.
    QByteArray text;
    char chunk[4096];
    for (;;) {
        const ssize_t got = read(fd, chunk, sizeof chunk);
        if (got > 0) {
            text.append(chunk, got);
        } else if (got == 0 || errno != EINTR) {
            break;
        }
    }
    close(fd);
    return text;
}

QString linkTarget(const QString &path)
{
    char target[4096];
    const ssize_t length = readlink(QFile::encodeName(path).constData(), target, sizeof target);
    return length > 0 && length < ssize_t(sizeof target) ? QFile::decodeName(QByteArray(target, length))
                                                         : QString();
}

QList<QByteArray> statFields(pid_t pid, const QString &procRoot)
{
    const QByteArray text = readFile(QStringLiteral("%1/%2/stat").arg(procRoot).arg(pid));
    const qsizetype close = text.lastIndexOf(')');
    if (close < 0)
        return {};
    return text.mid(close + 1).simplified().split(' ');
}

std::optional<pid_t> parent(pid_t pid, const QString &procRoot)
{
    const QList<QByteArray> fields = statFields(pid, procRoot);
    bool ok = false;
    const int value = fields.size() > 1 ? fields.at(1).toInt(&ok) : 0;
    return ok && value >= 0 ? std::optional<pid_t>(value) : std::nullopt;
}

std::optional<quint64> startTime(pid_t pid, const QString &procRoot)
{
    const QList<QByteArray> fields = statFields(pid, procRoot);
    bool ok = false;
    const quint64 value = fields.size() > 19 ? fields.at(19).toULongLong(&ok) : 0;
    return ok ? std::optional<quint64>(value) : std::nullopt;
}

QString command(pid_t pid, const QString &procRoot)
{
    QByteArray text = readFile(QStringLiteral("%1/%2/comm").arg(procRoot).arg(pid));
    if (text.endsWith('\n'))
        text.chop(1);
    return QString::fromUtf8(text);
}

QList<pid_t> pids(const QString &procRoot)
{
    QList<pid_t> found;
    DIR *dir = opendir(QFile::encodeName(procRoot).constData());
    if (!dir)
        return found;
    while (const dirent *entry = readdir(dir)) {
        char *end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        if (*end == '\0' && pid > 0 && pid <= std::numeric_limits<pid_t>::max())
            found.append(pid_t(pid));
    }
    closedir(dir);
    return found;
}

std::optional<quint64> statusValue(const QByteArray &text, const char *key)
{
    const QByteArray needle = QByteArray(key) + ':';
    for (const QByteArray &line : text.split('\n')) {
        if (!line.startsWith(needle))
            continue;
        bool ok = false;
        const quint64 number = line.mid(needle.size()).trimmed().split(' ').constFirst().toULongLong(&ok);
        return ok ? std::optional<quint64>(number) : std::nullopt;
    }
    return std::nullopt;
}

std::optional<quint64> footprintBytes(pid_t pid, const QString &procRoot)
{
    const QString base = QStringLiteral("%1/%2/").arg(procRoot).arg(pid);
    const QByteArray rollup = readFile(base + QStringLiteral("smaps_rollup"));
    if (const auto anon = statusValue(rollup, "Pss_Anon")) {
        const quint64 kb =
            *anon + statusValue(rollup, "Pss_Shmem").value_or(0) + statusValue(rollup, "SwapPss").value_or(0);
        return kb * 1024;
    }
    const QByteArray status = readFile(base + QStringLiteral("status"));
    const auto anon = statusValue(status, "RssAnon");
    if (!anon)
        return std::nullopt;
    return (*anon + statusValue(status, "RssShmem").value_or(0) + statusValue(status, "VmSwap").value_or(0)) *
           1024;
}

std::optional<quint64> residentBytes(pid_t pid)
{
    const auto kb = statusValue(readFile(QStringLiteral("%1/%2/status").arg(root()).arg(pid)), "VmRSS");
    return kb ? std::optional<quint64>(*kb * 1024) : std::nullopt;
}

} // namespace ProcFs
