#pragma once

#include <QByteArray>
#include <QString>

// What every fuzz target shares: a quiet Qt application and a scratch folder
// for parsers that read files.
namespace FuzzSupport {

// Once per process, before the first input: logging off (damaged input is
// logged on every run and would drown the fuzzer's own output).
void initialize();
// A folder of this process's own, removed at exit.
QString scratchFolder();
// Writes `bytes` to `name` inside the scratch folder (making its folders) and
// returns the path; aborts when that fails, as the run would test nothing.
QString writeScratch(const QString &name, const QByteArray &bytes);
// The input split at each line holding only "@@", for targets that read several files.
QList<QByteArray> parts(const uint8_t *data, size_t size, int count);

} // namespace FuzzSupport
