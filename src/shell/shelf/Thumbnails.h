#pragma once

#include <QCache>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QThreadPool>
#include <QUuid>

// The shelf's pictures while the hub is open: made one at a time on a worker,
// kept in memory for this opening only (at most `cacheSize`), never written
// anywhere. Files without a picture show their type's icon.
class Thumbnails : public QObject {
    Q_OBJECT
public:
    static constexpr int cacheSize = 200;
    static constexpr int side = 56; // shown size, in device-independent pixels

    explicit Thumbnails(QObject *parent = nullptr);
    // Drops the queued work and waits for the picture being made.
    ~Thumbnails() override;

    // The picture for `id`, when made.
    const QImage *cached(const QUuid &id) const;
    // Makes the picture of the file at `path` unless it is made or on its way,
    // for a screen of `pixelRatio` device pixels per pixel.
    void request(const QUuid &id, const QByteArray &path, qreal pixelRatio);
    // The icon of the file's type, once per extension.
    QImage placeholder(const QByteArray &path);

Q_SIGNALS:
    void ready(const QUuid &id);

private:
    static QImage page(const QString &extension);
    static QImage forScreen(QImage image, qreal pixelRatio);

    QCache<QUuid, QImage> m_cache{cacheSize};
    QSet<QUuid> m_pending;
    QHash<QString, QImage> m_placeholders;
    QString m_cacheHome;
    QThreadPool m_worker;
};
