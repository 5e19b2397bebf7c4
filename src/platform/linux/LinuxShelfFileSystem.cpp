#include "LinuxShelfFileSystem.h"

#include "LinuxFileToken.h"

#include <cerrno>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString errorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

class Fd {
public:
    explicit Fd(int fd)
        : m_fd(fd)
    {}
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return m_fd; }
    // Closing can report a late write error (NFS, a full disk).
    bool close() { return ::close(std::exchange(m_fd, -1)) == 0; }

private:
    int m_fd;
};

bool writeAll(int fd, const char *data, ssize_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

// Copies the contents; false with errno set on failure.
bool copyContents(int from, int to)
{
    for (;;) {
        const ssize_t n = ::copy_file_range(from, nullptr, to, nullptr, 1 << 30, 0);
        if (n == 0)
            return true;
        if (n > 0)
            continue;
        if (errno == EINTR)
            continue;
        // Across some file systems the kernel declines; copy by hand.
        if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
            return false;
        break;
    }
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(from, buffer, sizeof buffer);
        if (n == 0)
            return true;
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 || !writeAll(to, buffer, n))
            return false;
    }
}

QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArrayLiteral("/") : path.left(slash);
}

struct Search {
    const LinuxFileToken &token;
    int budget;

    std::optional<QByteArray> in(const QByteArray &folder, int depth)
    {
        DIR *dir = ::opendir(folder.constData());
        if (!dir)
            return std::nullopt;
        QList<QByteArray> subfolders;
        std::optional<QByteArray> found;
        while (!found && budget > 0) {
            const dirent *entry = ::readdir(dir);
            if (!entry)
                break;
            --budget;
            const QByteArray name(entry->d_name);
            if (name == "." || name == "..")
                continue;
            const QByteArray path = (folder.endsWith('/') ? folder : folder + '/') + name;
            // The inode in the entry spares a system call for all the others.
            if (quint64(entry->d_ino) == token.inode) {
                const std::optional<LinuxFileToken> candidate = LinuxFileToken::of(path);
                if (candidate && token.sameFileAs(*candidate))
                    found = path;
            } else if (entry->d_type == DT_DIR && depth > 1 && !name.startsWith('.')) {
                subfolders.append(path);
            }
        }
        ::closedir(dir);
        for (qsizetype i = 0; !found && i < subfolders.size() && budget > 0; ++i)
            found = in(subfolders.at(i), depth - 1);
        return found;
    }
};

} // namespace

bool LinuxShelfFileSystem::isFile(const QByteArray &path) const
{
    struct stat st {};
    return ::stat(path.constData(), &st) == 0 && S_ISREG(st.st_mode);
}

bool LinuxShelfFileSystem::exists(const QByteArray &path) const
{
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0;
}

std::optional<quint64> LinuxShelfFileSystem::size(const QByteArray &path) const
{
    struct stat st {};
    if (::stat(path.constData(), &st) != 0)
        return std::nullopt;
    return quint64(st.st_size);
}

QString LinuxShelfFileSystem::copy(const QByteArray &from, const QByteArray &to) const
{
    Fd source(::open(from.constData(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (source.get() < 0 || ::fstat(source.get(), &st) != 0)
        return errorText(errno);
    if (!S_ISREG(st.st_mode))
        return errorText(EINVAL);
    Fd target(::open(to.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 0777));
    if (target.get() < 0)
        return errorText(errno);
    if (!copyContents(source.get(), target.get()) || !target.close()) {
        const int error = errno;
        ::unlink(to.constData()); // no half copy left behind
        return errorText(error);
    }
    return {};
}

QString LinuxShelfFileSystem::move(const QByteArray &from, const QByteArray &to) const
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return {};
    if (errno != EXDEV)
        return errorText(errno);
    // Another file system: copy, and take the original away only once the copy is whole.
    const QString problem = copy(from, to);
    if (!problem.isEmpty())
        return problem;
    if (::unlink(from.constData()) != 0) {
        const int error = errno;
        ::unlink(to.constData());
        return errorText(error);
    }
    return {};
}

bool LinuxShelfFileSystem::remove(const QByteArray &path) const
{
    return ::unlink(path.constData()) == 0;
}

QByteArray LinuxShelfFileSystem::bookmark(const QByteArray &path) const
{
    const std::optional<LinuxFileToken> token = LinuxFileToken::of(path);
    return token ? token->encode() : QByteArray();
}

std::optional<QByteArray> LinuxShelfFileSystem::find(const QByteArray &bookmark,
                                                     const QList<QByteArray> &places) const
{
    const std::optional<LinuxFileToken> token = LinuxFileToken::decode(bookmark);
    if (!token)
        return std::nullopt;
    if (isFile(token->path))
        return token->path;
    // Without a handle a reused inode could not be told apart.
    if (token->handle.isEmpty())
        return std::nullopt;
    Search search{*token, searchBudget};
    if (std::optional<QByteArray> found = search.in(folderOf(token->path), oldFolderDepth))
        return found;
    for (const QByteArray &place : places) {
        if (std::optional<QByteArray> found = search.in(place, placeDepth))
            return found;
    }
    return std::nullopt;
}
