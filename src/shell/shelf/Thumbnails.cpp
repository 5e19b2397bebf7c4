#include "Thumbnails.h"

#include "ThumbnailMaker.h"

#include <QFile>
#include <QIcon>
#include <QMimeDatabase>
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

void Thumbnails::request(const QUuid &id, const QByteArray &path)
{
    if (m_pending.contains(id) || m_cache.contains(id))
        return;
    m_pending.insert(id);
    m_worker.start([this, id, path, cacheHome = m_cacheHome] {
        const QImage image = ThumbnailMaker::make(path, cacheHome);
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
    const QImage image = icon.pixmap(side, side, QIcon::Normal).toImage();
    m_placeholders.insert(extension, image);
    return image;
}
