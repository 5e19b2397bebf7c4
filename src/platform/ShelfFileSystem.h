#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// What the shelf asks of the file system. Paths are raw bytes: a file name
// on Linux need not be UTF-8, and the shelf must still find, copy and move
// it. Every operation may block (a slow or network disk) and is safe to call
// from a worker thread.
class ShelfFileSystem {
public:
    virtual ~ShelfFileSystem() = default;

    // A regular file is there (a folder, socket or device is not one).
    virtual bool isFile(const QByteArray &path) const = 0;
    // Anything at all is there, a dangling link included.
    virtual bool exists(const QByteArray &path) const = 0;
    virtual std::optional<quint64> size(const QByteArray &path) const = 0;
    // Empty on success, otherwise why not. Neither replaces an existing file.
    virtual QString copy(const QByteArray &from, const QByteArray &to) const = 0;
    virtual QString move(const QByteArray &from, const QByteArray &to) const = 0;
    virtual bool remove(const QByteArray &path) const = 0;

    // An opaque token that identifies the file at `path` itself, not its
    // name; empty when none can be made.
    virtual QByteArray bookmark(const QByteArray &path) const = 0;
    // Where the file of `bookmark` is now: at its last path, or else found
    // by identity in its old folder and then in `places`, searched to a
    // bounded depth and size. A different file that happens to reuse the
    // old one's inode is not it.
    virtual std::optional<QByteArray> find(const QByteArray &bookmark,
                                           const QList<QByteArray> &places) const = 0;
};
