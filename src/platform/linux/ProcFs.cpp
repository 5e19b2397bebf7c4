#include "ProcFs.h"

#include <QFile>

#include <cstdlib>

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
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // /proc files report size 0: read until the end.
    return file.readAll();
}

QList<QByteArray> statFields(pid_t pid)
{
    const QByteArray text = readFile(QStringLiteral("%1/%2/stat").arg(root()).arg(pid));
    const qsizetype close = text.lastIndexOf(')');
    if (close < 0)
        return {};
    return text.mid(close + 1).simplified().split(' ');
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

std::optional<quint64> footprintBytes(pid_t pid)
{
    const QString base = QStringLiteral("%1/%2/").arg(root()).arg(pid);
    const QByteArray rollup = readFile(base + QStringLiteral("smaps_rollup"));
    if (const auto anon = statusValue(rollup, "Pss_Anon")) {
        const quint64 kb = *anon + statusValue(rollup, "Pss_Shmem").value_or(0)
                           + statusValue(rollup, "SwapPss").value_or(0);
        return kb * 1024;
    }
    const QByteArray status = readFile(base + QStringLiteral("status"));
    const auto anon = statusValue(status, "RssAnon");
    if (!anon)
        return std::nullopt;
    return (*anon + statusValue(status, "RssShmem").value_or(0) + statusValue(status, "VmSwap").value_or(0)) * 1024;
}

std::optional<quint64> residentBytes(pid_t pid)
{
    const auto kb = statusValue(readFile(QStringLiteral("%1/%2/status").arg(root()).arg(pid)), "VmRSS");
    return kb ? std::optional<quint64>(*kb * 1024) : std::nullopt;
}

} // namespace ProcFs
