#include "LinuxFileToken.h"

#include <QDataStream>
#include <QIODevice>

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdlib>
#include <memory>

namespace {

constexpr quint32 magic = 0x54574231;    // "TWB1"
constexpr unsigned maxHandleBytes = 128; // MAX_HANDLE_SZ

} // namespace

std::optional<LinuxFileToken> LinuxFileToken::of(const QByteArray &path)
{
    struct stat st {};
    if (::stat(path.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    LinuxFileToken token;
    token.device = quint64(st.st_dev);
    token.inode = quint64(st.st_ino);
    token.path = path;
    std::unique_ptr<file_handle, decltype(&std::free)> fh(
        static_cast<file_handle *>(std::malloc(sizeof(file_handle) + maxHandleBytes)), &std::free);
    int mountId = 0;
    if (fh)
        fh->handle_bytes = maxHandleBytes;
    if (fh && ::name_to_handle_at(AT_FDCWD, path.constData(), fh.get(), &mountId, 0) == 0) {
        token.handleType = fh->handle_type;
        token.handle = QByteArray(reinterpret_cast<const char *>(fh->f_handle), int(fh->handle_bytes));
    }
    return token;
}

std::optional<LinuxFileToken> LinuxFileToken::decode(const QByteArray &bytes)
{
    QDataStream in(bytes);
    quint32 mark = 0;
    LinuxFileToken token;
    qint32 type = 0;
    in >> mark >> token.device >> token.inode >> type >> token.handle >> token.path;
    if (in.status() != QDataStream::Ok || mark != magic || token.path.isEmpty())
        return std::nullopt;
    token.handleType = type;
    return token;
}

QByteArray LinuxFileToken::encode() const
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << magic << device << inode << qint32(handleType) << handle << path;
    return bytes;
}

bool LinuxFileToken::sameFileAs(const LinuxFileToken &other) const
{
    return device == other.device && inode == other.inode && !handle.isEmpty() &&
           handleType == other.handleType && handle == other.handle;
}
