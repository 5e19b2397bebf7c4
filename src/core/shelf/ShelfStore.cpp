#include "ShelfStore.h"

#include "BackgroundFileWriter.h"
#include "CheckedFile.h"
#include "DamagedFile.h"
#include "JsonFile.h"
#include "Log.h"
#include "ShelfFileSystem.h"
#include "Text.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QStandardPaths>

#include <algorithm>

namespace {

QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArrayLiteral("/") : path.left(slash);
}

QByteArray nameOf(const QByteArray &path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

// The entry's file now: at its path, or found by its bookmark.
std::optional<QByteArray> whereIs(const ShelfFileSystem &files, const QByteArray &path,
                                  const QByteArray &bookmark, const QList<QByteArray> &places)
{
    if (files.isFile(path))
        return path;
    if (bookmark.isEmpty())
        return std::nullopt;
    return files.find(bookmark, places);
}

} // namespace

// A lookup's answer from the worker.
struct ShelfStore::Found {
    QUuid id;
    std::optional<QByteArray> path; // none: not found
    QByteArray bookmark;            // of `path`, when it moved
    bool ownCopyLeft = false;       // moved out of the shelf's folder by a batch
};

ShelfStore::ShelfStore(QString file, QString ownCopiesFolder, ShelfFileSystem &files,
                       QList<QByteArray> places, Clock clock, QObject *parent)
    : QObject(parent)
    , m_file(std::move(file))
    , m_ownCopies(std::move(ownCopiesFolder))
    , m_files(files)
    , m_places(std::move(places))
    , m_clock(std::move(clock))
{
    m_io.setMaxThreadCount(1);
    m_io.setObjectName(QStringLiteral("tarnwick.shelf.io"));
    m_saveTurn.setSingleShot(true);
    m_saveTurn.setInterval(saveDelay);
    connect(&m_saveTurn, &QTimer::timeout, this, &ShelfStore::write);
    if (m_file.isEmpty())
        return;
    m_writer = std::make_unique<BackgroundFileWriter>(
        m_file, QStringLiteral("the shelf"), [this](const QString &problem) {
            // From the writer's thread; the writer is flushed before this object goes.
            QMetaObject::invokeMethod(
                this,
                [this, problem] {
                    Q_EMIT note(
                        Text::tr("Tarnwick cannot save the shelf (%1). It is kept until Tarnwick quits; "
                                 "the saved file is left as it was.")
                            .arg(problem));
                },
                Qt::QueuedConnection);
        });
    load();
}

ShelfStore::~ShelfStore()
{
    if (m_saveTurn.isActive())
        write();
    m_io.waitForDone();
}

void ShelfStore::load()
{
    const JsonFile file = JsonFile::read(m_file);
    if (!file.exists)
        return;
    const QJsonValue array = file.document.object().value(QStringLiteral("items"));
    if (!file.problem.isEmpty() || !file.document.isObject() || !array.isArray()) {
        keepAside(file.problem.isEmpty() ? QStringLiteral("does not hold a list of items") : file.problem);
        return;
    }
    QList<ShelfItem> items;
    QSet<QUuid> ids;
    int damaged = 0;
    for (const QJsonValue &value : array.toArray()) {
        const std::optional<ShelfItem> item = ShelfItem::fromJson(value.toObject());
        if (!item || ids.contains(item->id) || items.size() >= maxItems) {
            ++damaged;
            continue;
        }
        ids.insert(item->id);
        items.append(*item);
    }
    m_items = std::move(items);
    if (damaged == 0)
        return;
    // What could be read stays on the shelf; the whole file is kept for the rest.
    keepAside(QStringLiteral("holds %1 damaged or surplus entries").arg(damaged));
    save();
}

void ShelfStore::keepAside(const QString &reason)
{
    m_keptAside = DamagedFile::keepAside(m_file);
    if (!m_keptAside.isEmpty()) {
        qCWarning(lcShelf).noquote().nospace()
            << "shelf file " << m_file << ' ' << reason << "; kept it as " << m_keptAside << " and kept the "
            << m_items.size() << " entries that could be read";
        return;
    }
    // Saving now would destroy what could not be read.
    m_writer.reset();
    qCWarning(lcShelf).noquote().nospace()
        << "shelf file " << m_file << ' ' << reason
        << " and could not be moved aside; this run keeps the shelf in memory only";
}

int ShelfStore::row(const QUuid &id) const
{
    if (m_rowsStale) {
        m_rows.clear();
        m_rows.reserve(m_items.size());
        for (qsizetype i = 0; i < m_items.size(); ++i)
            m_rows.insert(m_items.at(i).id, int(i));
        m_rowsStale = false;
    }
    return m_rows.value(id, -1);
}

int ShelfStore::add(const QList<QByteArray> &paths, int *notFiles)
{
    QSet<QByteArray> known;
    known.reserve(m_items.size() + paths.size());
    for (const ShelfItem &item : std::as_const(m_items))
        known.insert(item.path);
    QList<ShelfItem> accepted;
    int skippedNotFiles = 0;
    const QDateTime now = m_clock();
    for (const QByteArray &given : paths) {
        const QByteArray path = standardisedPath(given);
        if (path.isEmpty() || known.contains(path) || m_items.size() + accepted.size() >= maxItems)
            continue;
        if (!m_files.isFile(path)) {
            ++skippedNotFiles;
            continue;
        }
        known.insert(path);
        accepted.append({QUuid::createUuid(), path, {}, now, false});
    }
    if (notFiles)
        *notFiles = skippedNotFiles;
    if (skippedNotFiles > 0)
        qCInfo(lcShelf) << "left out" << skippedNotFiles << "dropped items that are not files";
    const int count = int(accepted.size());
    if (count == 0)
        return 0;
    append(std::move(accepted));
    bookmarkNext();
    return count;
}

void ShelfStore::append(QList<ShelfItem> items)
{
    const int first = int(m_items.size());
    Q_EMIT rowsAboutToBeInserted(first, first + int(items.size()) - 1);
    if (!m_rowsStale) {
        for (qsizetype i = 0; i < items.size(); ++i)
            m_rows.insert(items.at(i).id, first + int(i));
    }
    m_items.append(std::move(items));
    Q_EMIT rowsInserted();
    Q_EMIT countChanged(int(m_items.size()));
    save();
}

std::optional<ShelfItem> ShelfStore::addOwnCopy(const QByteArray &data, const QString &suggestedName)
{
    cleanOwnCopies(m_clock());
    if (quint64(data.size()) >= ownCopiesCap || m_items.size() >= maxItems)
        return std::nullopt;
    QString name = suggestedName;
    name.replace(QLatin1Char('/'), QLatin1Char('-'));
    if (name.isEmpty())
        name = QStringLiteral("Item");
    const QByteArray path = freeName(name.toUtf8(), QFile::encodeName(m_ownCopies), m_files);
    const QString problem = CheckedFile::write(QFile::decodeName(path), data);
    if (!problem.isEmpty()) {
        qCWarning(lcShelf).noquote().nospace()
            << "cannot save a dropped item as " << path << " (" << problem << ')';
        Q_EMIT note(
            Text::tr("The dropped item couldn’t be saved (%1). Nothing was put on the shelf.").arg(problem));
        return std::nullopt;
    }
    const ShelfItem item{QUuid::createUuid(), path, {}, m_clock(), true};
    append({item});
    trimOwnCopies();
    return item;
}

void ShelfStore::cleanOwnCopies(const QDateTime &now)
{
    QSet<QUuid> expired;
    for (const ShelfItem &item : std::as_const(m_items)) {
        if (item.isOwnCopy && item.addedAt.secsTo(now) > ownCopiesMaxAgeSeconds)
            expired.insert(item.id);
    }
    if (!expired.isEmpty())
        remove(expired);
}

void ShelfStore::trimOwnCopies()
{
    quint64 total = ownCopiesSize();
    if (total <= ownCopiesCap)
        return;
    QList<ShelfItem> own;
    for (const ShelfItem &item : std::as_const(m_items)) {
        if (item.isOwnCopy)
            own.append(item);
    }
    std::stable_sort(own.begin(), own.end(),
                     [](const ShelfItem &a, const ShelfItem &b) { return a.addedAt < b.addedAt; });
    QSet<QUuid> oldest;
    for (const ShelfItem &item : std::as_const(own)) {
        if (total <= ownCopiesCap)
            break;
        oldest.insert(item.id);
        total -= std::min(total, m_files.size(item.path).value_or(0));
    }
    remove(oldest);
}

quint64 ShelfStore::ownCopiesSize() const
{
    quint64 total = 0;
    for (const ShelfItem &item : m_items) {
        if (item.isOwnCopy)
            total += m_files.size(item.path).value_or(0);
    }
    return total;
}

void ShelfStore::remove(const QSet<QUuid> &ids)
{
    bool changed = false;
    // From the end, one run of neighbouring rows at a time.
    for (int last = int(m_items.size()) - 1; last >= 0; --last) {
        if (!ids.contains(m_items.at(last).id))
            continue;
        int first = last;
        while (first > 0 && ids.contains(m_items.at(first - 1).id))
            --first;
        Q_EMIT rowsAboutToBeRemoved(first, last);
        for (int i = first; i <= last; ++i) {
            const ShelfItem &item = m_items.at(i);
            m_missing.remove(item.id);
            if (item.isOwnCopy && !m_files.remove(item.path) && m_files.exists(item.path))
                qCInfo(lcShelf).noquote() << "could not delete the own copy" << item.path;
        }
        m_items.remove(first, last - first + 1);
        m_rowsStale = true;
        Q_EMIT rowsRemoved();
        changed = true;
        last = first;
    }
    if (!changed)
        return;
    Q_EMIT countChanged(int(m_items.size()));
    save();
}

void ShelfStore::clear()
{
    QSet<QUuid> all;
    for (const ShelfItem &item : std::as_const(m_items))
        all.insert(item.id);
    remove(all);
}

void ShelfStore::removeMissing()
{
    remove(m_missing);
}

void ShelfStore::setMissing(int row, bool missing)
{
    const QUuid &id = m_items.at(row).id;
    if (m_missing.contains(id) == missing)
        return;
    if (missing)
        m_missing.insert(id);
    else
        m_missing.remove(id);
    Q_EMIT itemChanged(row);
}

std::optional<QByteArray> ShelfStore::locate(const QUuid &id)
{
    const int at = row(id);
    return at < 0 ? std::nullopt : locateRow(at);
}

std::optional<QByteArray> ShelfStore::locateRow(int row)
{
    const ShelfItem &item = m_items.at(row);
    if (m_files.isFile(item.path)) {
        setMissing(row, false);
        return item.path;
    }
    if (item.bookmark.isEmpty())
        setMissing(row, true);
    else
        lookUp(item.id, item.bookmark);
    return std::nullopt;
}

void ShelfStore::lookUp(const QUuid &id, const QByteArray &bookmark)
{
    if (m_looking.contains(id))
        return;
    m_looking.insert(id);
    m_io.start([this, id, bookmark, places = m_places] {
        Found found{id, m_files.find(bookmark, places), {}};
        if (found.path)
            found.bookmark = m_files.bookmark(*found.path);
        QMetaObject::invokeMethod(
            this,
            [this, found] {
                m_looking.remove(found.id);
                if (const int at = row(found.id); at >= 0)
                    applyFound(at, found);
                if (m_looking.isEmpty())
                    Q_EMIT lookupsSettled();
            },
            Qt::QueuedConnection);
    });
}

void ShelfStore::applyFound(int at, const Found &found)
{
    if (!found.path) {
        setMissing(at, true);
        return;
    }
    ShelfItem &item = m_items[at];
    const bool moved = item.path != *found.path || (found.ownCopyLeft && item.isOwnCopy);
    if (moved) {
        qCInfo(lcShelf).noquote().nospace() << "followed " << item.path << " to " << *found.path;
        item.path = *found.path;
        item.bookmark = found.bookmark;
        if (found.ownCopyLeft)
            item.isOwnCopy = false;
        save();
    }
    const bool wasMissing = m_missing.contains(found.id);
    setMissing(at, false);
    if (moved && !wasMissing)
        Q_EMIT itemChanged(at);
}

QList<QByteArray> ShelfStore::paths(const std::optional<QSet<QUuid>> &ids)
{
    QList<QByteArray> found;
    // Lookups change entries only later, on the worker's answer: the rows stay put.
    for (int at = 0; at < int(m_items.size()); ++at) {
        if (ids && !ids->contains(m_items.at(at).id))
            continue;
        if (std::optional<QByteArray> path = locateRow(at))
            found.append(*path);
    }
    return found;
}

void ShelfStore::bookmarkNext()
{
    if (m_bookmarking)
        return;
    QList<QPair<QUuid, QByteArray>> batch;
    for (const ShelfItem &item : std::as_const(m_items)) {
        if (batch.size() == bookmarkBatch)
            break;
        if (item.bookmark.isEmpty() && !item.isOwnCopy && !m_unbookmarkable.contains(item.id))
            batch.append({item.id, item.path});
    }
    if (batch.isEmpty())
        return;
    m_bookmarking = true;
    m_io.start([this, batch] {
        QList<QPair<QUuid, QByteArray>> made;
        made.reserve(batch.size());
        for (const auto &[id, path] : batch)
            made.append({id, m_files.bookmark(path)});
        QMetaObject::invokeMethod(
            this,
            [this, made] {
                m_bookmarking = false;
                QHash<QUuid, QByteArray> byId;
                for (const auto &[id, bookmark] : made) {
                    if (bookmark.isEmpty())
                        m_unbookmarkable.insert(id);
                    else
                        byId.insert(id, bookmark);
                }
                bool changed = false;
                for (ShelfItem &item : m_items) {
                    const auto it = byId.constFind(item.id);
                    if (it != byId.constEnd() && item.bookmark.isEmpty()) {
                        item.bookmark = *it;
                        changed = true;
                    }
                }
                if (changed)
                    save();
                bookmarkNext();
            },
            Qt::QueuedConnection);
    });
}

bool ShelfStore::copyAll(const QByteArray &folder, const std::optional<QSet<QUuid>> &ids)
{
    return runBatch(ShelfBatch::Kind::Copy, folder, ids);
}

bool ShelfStore::moveAll(const QByteArray &folder, const std::optional<QSet<QUuid>> &ids)
{
    return runBatch(ShelfBatch::Kind::Move, folder, ids);
}

bool ShelfStore::runBatch(ShelfBatch::Kind kind, const QByteArray &folder,
                          const std::optional<QSet<QUuid>> &ids)
{
    if (m_batchRunning)
        return false;
    m_batchRunning = true;
    QList<ShelfItem> chosen;
    for (const ShelfItem &item : std::as_const(m_items)) {
        if (!ids || ids->contains(item.id))
            chosen.append(item);
    }
    const QByteArray target = standardisedPath(folder);
    m_io.start([this, kind, target, chosen, places = m_places] {
        ShelfBatch result{kind, 0, {}};
        QList<Found> outcomes;
        for (const ShelfItem &item : chosen) {
            const std::optional<QByteArray> where = whereIs(m_files, item.path, item.bookmark, places);
            if (!where) {
                result.failed.append(item.name());
                outcomes.append({item.id, std::nullopt, {}});
                continue;
            }
            Found found{item.id, *where, *where == item.path ? item.bookmark : m_files.bookmark(*where)};
            if (folderOf(*where) == target) {
                ++result.done;
                outcomes.append(found);
                continue;
            }
            const QByteArray destination = freeName(nameOf(*where), target, m_files);
            const QString problem = kind == ShelfBatch::Kind::Copy ? m_files.copy(*where, destination)
                                                                   : m_files.move(*where, destination);
            if (!problem.isEmpty()) {
                qCWarning(lcShelf).noquote().nospace()
                    << "cannot " << (kind == ShelfBatch::Kind::Copy ? "copy " : "move ") << *where << " to "
                    << destination << " (" << problem << ')';
                result.failed.append(item.name());
                outcomes.append(found);
                continue;
            }
            ++result.done;
            if (kind == ShelfBatch::Kind::Move)
                found = {item.id, destination, m_files.bookmark(destination), true};
            outcomes.append(found);
        }
        QMetaObject::invokeMethod(
            this,
            [this, result, outcomes, target] {
                m_batchRunning = false;
                for (const Found &found : outcomes) {
                    if (const int at = row(found.id); at >= 0)
                        applyFound(at, found);
                }
                Q_EMIT batchFinished(result, target);
            },
            Qt::QueuedConnection);
    });
    return true;
}

QByteArray ShelfStore::freeName(const QByteArray &name, const QByteArray &folder,
                                const ShelfFileSystem &files)
{
    const QByteArray base = folder.endsWith('/') ? folder : folder + '/';
    if (!files.exists(base + name))
        return base + name;
    const qsizetype dot = name.lastIndexOf('.');
    const bool hasExtension = dot > 0;
    const QByteArray stem = hasExtension ? name.left(dot) : name;
    const QByteArray extension = hasExtension ? name.mid(dot) : QByteArray();
    for (int n = 2;; ++n) {
        const QByteArray candidate = base + stem + ' ' + QByteArray::number(n) + extension;
        if (!files.exists(candidate))
            return candidate;
    }
}

QList<QByteArray> ShelfStore::usualPlaces()
{
    QList<QByteArray> places;
    for (const auto location :
         {QStandardPaths::DesktopLocation, QStandardPaths::DownloadLocation,
          QStandardPaths::DocumentsLocation, QStandardPaths::PicturesLocation, QStandardPaths::MusicLocation,
          QStandardPaths::MoviesLocation, QStandardPaths::HomeLocation}) {
        const QByteArray place = QFile::encodeName(QStandardPaths::writableLocation(location));
        if (!place.isEmpty() && !places.contains(place))
            places.append(place);
    }
    return places;
}

void ShelfStore::save()
{
    // Not restarted by later changes: the file is never more than the delay behind.
    if (m_writer && !m_saveTurn.isActive())
        m_saveTurn.start();
}

void ShelfStore::write()
{
    m_saveTurn.stop();
    if (!m_writer)
        return;
    // A shallow copy: encoding 10 000 entries happens on the writer's thread.
    m_writer->write([items = m_items] {
        QJsonArray array;
        for (const ShelfItem &item : items)
            array.append(item.toJson());
        const QJsonObject root{{QStringLiteral("version"), 1}, {QStringLiteral("items"), array}};
        return QJsonDocument(root).toJson(QJsonDocument::Compact);
    });
}

void ShelfStore::flush()
{
    if (m_saveTurn.isActive())
        write();
    m_io.waitForDone();
    if (m_writer)
        m_writer->flush();
}
