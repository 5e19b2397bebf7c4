#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Makes one small picture of a file, at most `maxPixels` on its longer side,
// on whatever thread calls it. Decoders run on bounded memory: a picture is
// decoded at its reduced size where the format allows and refused above an
// allocation limit, so a huge or broken file yields nothing instead of
// taking the process down.
namespace ThumbnailMaker {

constexpr int maxPixels = 112;

// A null image when the file gets its type's icon instead. The freedesktop
// thumbnail cache under `cacheHome` is read when it holds a current
// picture of the file; it is never written.
QImage make(const QByteArray &path, const QString &cacheHome);

// Where file managers keep thumbnails: "<cache home>/thumbnails/<size>/<md5
// of the file's URI>.png".
QString cachedThumbnailName(const QByteArray &path);

} // namespace ThumbnailMaker
