#include "Thumbnails.h"

#include "ThumbnailMaker.h"

#include <QFile>
#include <QIcon>
#include <QMimeDatabase>
#include <QPainter>
#include <QPainterPath>
#include <QStandardPaths>

Thumbnails::Thumbnails(QObject *parent)
    : QObject(parent)
    , m_cacheHome(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation))
{
    m_worker.setMaxThreadCount(1);
    m_worker.setObjectName(QStringLiteral("tarnwick.shelf.thumbs"));
}

Thumbnails::~Thumbnails()
{
    m_worker.clear();
    m_worker.waitForDone();
}

const QImage *Thumbnails::cached(const QUuid &id) const
{
    return m_cache.object(id);
}

void Thumbnails::request(const QUuid &id, const QByteArray &path, qreal pixelRatio)
{
    if (m_pending.contains(id) || m_cache.contains(id))
        return;
    m_pending.insert(id);
    m_worker.start([this, id, path, pixelRatio, cacheHome = m_cacheHome] {
        const QImage image = forScreen(ThumbnailMaker::make(path, cacheHome), pixelRatio);
        // The destructor waits for this job, so `this` is still there.
        QMetaObject::invokeMethod(
            this,
            [this, id, image] {
                m_pending.remove(id);
                if (image.isNull())
                    return;
                m_cache.insert(id, new QImage(image));
                Q_EMIT ready(id);
            },
            Qt::QueuedConnection);
    });
}

QImage Thumbnails::placeholder(const QByteArray &path)
{
    const QString name = QFile::decodeName(path);
    const QString extension = name.mid(name.lastIndexOf(QLatin1Char('.')) + 1).toLower();
    const auto known = m_placeholders.constFind(extension);
    if (known != m_placeholders.constEnd())
        return *known;
    const QMimeType type = QMimeDatabase().mimeTypeForFile(name, QMimeDatabase::MatchExtension);
    QIcon icon = QIcon::fromTheme(type.iconName());
    if (icon.isNull())
        icon = QIcon::fromTheme(type.genericIconName(), QIcon::fromTheme(QStringLiteral("text-x-generic")));
    const QImage image = icon.isNull() ? page(extension) : icon.pixmap(side, side, QIcon::Normal).toImage();
    m_placeholders.insert(extension, image);
    return image;
}

QImage Thumbnails::forScreen(QImage image, qreal pixelRatio)
{
    // Fitted once to the pixels it is shown at, in the format the screen
    // blends fastest: a scroll through the grid then only copies it.
    if (image.isNull())
        return image;
    const int pixels = qRound(side * pixelRatio);
    if (image.width() > pixels || image.height() > pixels)
        image = image.scaled(pixels, pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    image.convertTo(QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(pixelRatio);
    return image;
}

QImage Thumbnails::page(const QString &extension)
{
    // Without an icon theme: a sheet with a folded corner, named by the extension.
    const qreal ratio = 2;
    QImage image(QSize(side, side) * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF sheet(9, 2, 38, 52);
    const qreal fold = 11;
    QPainterPath outline;
    outline.moveTo(sheet.topLeft());
    outline.lineTo(sheet.right() - fold, sheet.top());
    outline.lineTo(sheet.right(), sheet.top() + fold);
    outline.lineTo(sheet.bottomRight());
    outline.lineTo(sheet.bottomLeft());
    outline.closeSubpath();
    painter.fillPath(outline, QColor(236, 236, 240));
    QPainterPath corner;
    corner.moveTo(sheet.right() - fold, sheet.top());
    corner.lineTo(sheet.right() - fold, sheet.top() + fold);
    corner.lineTo(sheet.right(), sheet.top() + fold);
    corner.closeSubpath();
    painter.fillPath(corner, QColor(190, 190, 198));
    QFont font = painter.font();
    font.setPixelSize(9);
    font.setWeight(QFont::Bold);
    painter.setFont(font);
    painter.setPen(QColor(90, 90, 100));
    painter.drawText(
        sheet.adjusted(2, 0, -2, -6), Qt::AlignHCenter | Qt::AlignBottom,
        QFontMetrics(font).elidedText(extension.toUpper(), Qt::ElideRight, int(sheet.width()) - 4));
    painter.end();
    return image;
}
