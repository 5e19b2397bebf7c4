#pragma once

#include <QMetaType>
#include <QString>
#include <QStringList>

// What "Move All" or "Copy All" did: files copied or moved (or already in
// the folder), and the names of those that failed, in shelf order.
struct ShelfBatch {
    enum class Kind { Copy, Move };

    Kind kind = Kind::Copy;
    int done = 0;
    QStringList failed;

    // What the hub says afterwards; `folderName` is the target's own name.
    QString note(const QString &folderName) const;

    bool operator==(const ShelfBatch &other) const = default;
};

Q_DECLARE_METATYPE(ShelfBatch)
