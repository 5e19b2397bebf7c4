#pragma once

// The resident memory of this process, for benchmarks that open and close
// things and check that the memory comes back.

#include <QByteArrayList>
#include <QFile>

#include <unistd.h>

namespace BenchMemory {

// In KiB; -1 when it cannot be read.
inline qint64 residentKb()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toLongLong() * sysconf(_SC_PAGESIZE) / 1024 : -1;
}

} // namespace BenchMemory
