#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QLocale>
#include <QString>

class QMimeData;
class ShelfStore;

// Turns what is dropped on the hub into shelf entries: dropped files as
// they are; otherwise one picture (PNG, JPEG or TIFF) or one text, saved as
// an own copy named "Picture …" or "Text …" with the time of the drop.
namespace DropReader {

// Longer texts are cut to this many bytes, and the note says so.
constexpr qsizetype maxTextBytes = 10'000'000;

struct OwnContent {
    QByteArray data;
    QString name;
};

struct Contents {
    QList<QByteArray> paths; // from file URLs, as the bytes they name
    QList<OwnContent> content;
    bool textCut = false;
};

struct Dropped {
    int added = 0;
    int notFiles = 0; // folders, devices and the like, left out
    bool textCut = false;

    // The hub's note after the drop; empty when there is nothing to say.
    QString note() const;
};

// The media types the hub and the trigger take, most specific first.
QStringList types();
Contents read(const QMimeData &mime, const QDateTime &now, const QLocale &locale = QLocale());
Dropped drop(const QMimeData &mime, ShelfStore &store, const QDateTime &now);

} // namespace DropReader
