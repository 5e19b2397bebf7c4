#pragma once

#include "ShelfFileSystem.h"

// The shelf's file system on Linux: plain system calls on byte paths, so
// names that are not UTF-8 work. Bookmarks are LinuxFileTokens; a file is
// looked for by identity in a bounded walk (hidden folders and symbolic
// links are not followed), so a search never runs away in a large home.
class LinuxShelfFileSystem : public ShelfFileSystem {
public:
    // How deep and how far a search goes: enough for a file moved into a
    // nearby folder, bounded for a home holding millions of files.
    static constexpr int oldFolderDepth = 2;
    static constexpr int placeDepth = 3;
    static constexpr int searchBudget = 20000; // folder entries looked at, all places together

    bool isFile(const QByteArray &path) const override;
    bool exists(const QByteArray &path) const override;
    std::optional<quint64> size(const QByteArray &path) const override;
    QString copy(const QByteArray &from, const QByteArray &to) const override;
    QString move(const QByteArray &from, const QByteArray &to) const override;
    bool remove(const QByteArray &path) const override;
    QByteArray bookmark(const QByteArray &path) const override;
    std::optional<QByteArray> find(const QByteArray &bookmark,
                                   const QList<QByteArray> &places) const override;
};
