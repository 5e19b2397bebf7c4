#pragma once

#include <QByteArray>

#include <optional>

// What identifies a file on Linux whatever its name: its device and inode,
// and the kernel's export handle of it, which carries the inode's generation,
// so a new file that reuses a deleted file's inode does not match. The last
// known path rides along. Made without privileges (name_to_handle_at); it is
// only compared, never opened by handle (that needs root).
struct LinuxFileToken {
    quint64 device = 0;
    quint64 inode = 0;
    int handleType = 0;
    QByteArray handle; // empty when the file system gives none
    QByteArray path;

    static std::optional<LinuxFileToken> of(const QByteArray &path);
    static std::optional<LinuxFileToken> decode(const QByteArray &bytes);
    QByteArray encode() const;

    // The same file: same device and inode, and the same handle when both
    // have one. Without a handle only the device and inode can be compared,
    // which a reused inode would pass, so a token without one never matches
    // a file found elsewhere (see `sameFileAs`).
    bool sameFileAs(const LinuxFileToken &other) const;
};
