#include "SimShelfFileSystem.h"

#include <QFile>
#include <QFileInfo>

namespace {

QString name(const QByteArray &path)
{
    return QString::fromUtf8(path);
}

} // namespace

bool SimShelfFileSystem::isFile(const QByteArray &path) const
{
    return QFileInfo(name(path)).isFile();
}

bool SimShelfFileSystem::exists(const QByteArray &path) const
{
    const QFileInfo info(name(path));
    return info.exists() || info.isSymLink();
}

std::optional<quint64> SimShelfFileSystem::size(const QByteArray &path) const
{
    const QFileInfo info(name(path));
    return info.exists() ? std::optional<quint64>(quint64(info.size())) : std::nullopt;
}

QString SimShelfFileSystem::copy(const QByteArray &from, const QByteArray &to) const
{
    QFile file(name(from));
    return file.copy(name(to)) ? QString() : file.errorString();
}

QString SimShelfFileSystem::move(const QByteArray &from, const QByteArray &to) const
{
    QFile file(name(from));
    return file.rename(name(to)) ? QString() : file.errorString();
}

bool SimShelfFileSystem::remove(const QByteArray &path) const
{
    return QFile::remove(name(path));
}

QByteArray SimShelfFileSystem::bookmark(const QByteArray &path) const
{
    return isFile(path) ? path : QByteArray();
}

std::optional<QByteArray> SimShelfFileSystem::find(const QByteArray &bookmark,
                                                   const QList<QByteArray> &) const
{
    return isFile(bookmark) ? std::optional<QByteArray>(bookmark) : std::nullopt;
}
