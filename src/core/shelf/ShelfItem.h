#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QUuid>

#include <optional>

// One file on the shelf. The path is kept as the file system's bytes, so a
// name that is not UTF-8 still leads to its file.
struct ShelfItem {
    QUuid id;
    QByteArray path;     // absolute, standardised
    QByteArray bookmark; // opaque; empty until made, or when it could not be
    QDateTime addedAt;
    bool isOwnCopy = false;

    // The last component, readable (bytes that are not UTF-8 show as �).
    QString name() const;
    QByteArray fileName() const;

    // The stored form: "id" (upper-case canonical), "path", "bookmark"
    // (Base64, left out when empty), "addedAt" (seconds since 2001-01-01 UTC),
    // "isOwnCopy". A path that is not valid UTF-8 also gets "pathBytes"
    // (Base64 of the bytes), which readers prefer over "path".
    QJsonObject toJson() const;
    // Nothing when a required member is missing or of the wrong type.
    static std::optional<ShelfItem> fromJson(const QJsonObject &object);

    bool operator==(const ShelfItem &other) const = default;
};

// "/a/./b//c/../d" → "/a/b/d"; links are not resolved. Empty for a path that
// is not absolute.
QByteArray standardisedPath(const QByteArray &path);
