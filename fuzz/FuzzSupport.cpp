#include "FuzzSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QTemporaryDir>

#include <cstdlib>

namespace FuzzSupport {

namespace {

QTemporaryDir &scratch()
{
    static QTemporaryDir dir;
    return dir;
}

} // namespace

void initialize()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    if (!scratch().isValid())
        std::abort();
}

QString scratchFolder()
{
    return scratch().path();
}

QString writeScratch(const QString &name, const QByteArray &bytes)
{
    const QString path = scratch().filePath(name);
    QFile file(path);
    if (!QDir().mkpath(QFileInfo(path).path()) || !file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size())
        std::abort();
    return path;
}

QList<QByteArray> parts(const uint8_t *data, size_t size, int count)
{
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    QList<QByteArray> pieces;
    qsizetype from = 0;
    while (pieces.size() < count - 1) {
        const qsizetype at = input.indexOf("\n@@\n", from);
        if (at < 0)
            break;
        pieces.append(input.mid(from, at - from));
        from = at + 4;
    }
    pieces.append(input.mid(from));
    while (pieces.size() < count)
        pieces.append(QByteArray());
    return pieces;
}

} // namespace FuzzSupport
