#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>
#include <sys/types.h>

// Readers for /proc. Every one copes with a process that vanished or cannot be
// read by answering nothing; the root can be moved for tests.
namespace ProcFs {

QString root(); // "/proc" unless TARNWICK_PROC_ROOT says otherwise
QByteArray readFile(const QString &path);
// What a symbolic link says, as written (/proc's links are not always paths).
QString linkTarget(const QString &path);

// Fields of /proc/PID/stat after the command name; field 3 ("state") is [0].
// Parsed after the last ')' because the name may hold spaces and parentheses.
QList<QByteArray> statFields(pid_t pid, const QString &procRoot = root());
// From the stat fields: the parent (field 4) and the start time after boot in
// clock ticks (field 22), which orders processes by age.
std::optional<pid_t> parent(pid_t pid, const QString &procRoot = root());
std::optional<quint64> startTime(pid_t pid, const QString &procRoot = root());
// /proc/PID/comm without its line end; odd bytes become U+FFFD.
QString command(pid_t pid, const QString &procRoot = root());
// Every process directory's pid, in no particular order.
QList<pid_t> pids(const QString &procRoot = root());
// A "Key:  value kB" line of /proc/PID/status or smaps_rollup, in the unit written.
std::optional<quint64> statusValue(const QByteArray &text, const char *key);
// Memory that is the process's own: Pss_Anon + Pss_Shmem + SwapPss, falling
// back to RssAnon + RssShmem + VmSwap on kernels without smaps_rollup.
std::optional<quint64> footprintBytes(pid_t pid, const QString &procRoot = root());
std::optional<quint64> residentBytes(pid_t pid);

} // namespace ProcFs
