#include "ThumbnailMaker.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QMimeDatabase>
#include <QPainter>
#include <QTextOption>

namespace ThumbnailMaker {

namespace {

// A thumbnail decodes into far less; anything that would need more is refused.
constexpr int allocationLimitMb = 64;
constexpr qint64 textPreviewBytes = 2048;

QString readable(const QByteArray &path)
{
    return QFile::decodeName(path);
}

QImage scaledDown(const QImage &image)
{
    if (image.isNull() || (image.width() <= maxPixels && image.height() <= maxPixels))
        return image;
    return image.scaled(maxPixels, maxPixels, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

QImage fromCache(const QByteArray &path, const QString &cacheHome)
{
    const QFileInfo file(readable(path));
    if (!file.exists())
        return {};
    const QString name = cachedThumbnailName(path);
    for (const char *size : {"normal", "large", "x-large", "xx-large"}) {
        QImageReader reader(cacheHome + QStringLiteral("/thumbnails/") + QLatin1String(size) +
                            QLatin1Char('/') + name);
        reader.setAllocationLimit(allocationLimitMb);
        if (!reader.canRead())
            continue;
        // Only a thumbnail of the file as it is now counts. The reader's own
        // text lookup splits keys at colons; the image's does not.
        const QImage image = reader.read();
        if (!image.isNull() && image.text(QStringLiteral("Thumb::MTime")) ==
                                   QString::number(file.lastModified().toSecsSinceEpoch()))
            return scaledDown(image);
    }
    return {};
}

QImage picture(const QByteArray &path)
{
    QImageReader reader(readable(path));
    reader.setAllocationLimit(allocationLimitMb);
    reader.setAutoTransform(true);
    if (!reader.canRead())
        return {};
    QSize size = reader.size();
    if (size.isValid()) {
        // The reader's size is before rotation; the box is square, so it does not matter.
        size.scale(std::min(size.width(), maxPixels), std::min(size.height(), maxPixels),
                   Qt::KeepAspectRatio);
        reader.setScaledSize(size);
    }
    return scaledDown(reader.read());
}

QImage textPreview(const QByteArray &path)
{
    QFile file(readable(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString text = QString::fromUtf8(file.read(textPreviewBytes));
    text.replace(QLatin1Char('\t'), QStringLiteral("    "));
    const int width = maxPixels * 85 / 100;
    QImage page(width, maxPixels, QImage::Format_ARGB32_Premultiplied);
    page.fill(Qt::white);
    QPainter painter(&page);
    painter.setPen(QColor(50, 50, 50));
    QFont font = painter.font();
    font.setPixelSize(9);
    painter.setFont(font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    painter.drawText(QRectF(page.rect()).adjusted(7, 6, -6, -6), text, option);
    painter.end();
    return page;
}

} // namespace

QString cachedThumbnailName(const QByteArray &path)
{
    const QByteArray uri = "file://" + path.toPercentEncoding("/");
    return QString::fromLatin1(QCryptographicHash::hash(uri, QCryptographicHash::Md5).toHex()) +
           QStringLiteral(".png");
}

QImage make(const QByteArray &path, const QString &cacheHome)
{
    if (QImage cached = fromCache(path, cacheHome); !cached.isNull())
        return cached;
    const QMimeType type = QMimeDatabase().mimeTypeForFile(readable(path), QMimeDatabase::MatchExtension);
    if (type.name().startsWith(QLatin1String("image/")))
        return picture(path);
    if (type.inherits(QStringLiteral("text/plain")))
        return textPreview(path);
    return {};
}

} // namespace ThumbnailMaker
