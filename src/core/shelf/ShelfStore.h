#pragma once

#include "Clock.h"
#include "ShelfBatch.h"
#include "ShelfItem.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QThreadPool>
#include <QTimer>

#include <chrono>
#include <memory>
#include <optional>

class BackgroundFileWriter;
class ShelfFileSystem;

// The shelf: files the user dropped, remembered by path and bookmark, never
// copied, kept in "shelf.json". Only content without a file of its own (a
// picture or text dragged from an application) becomes an own copy in a
// folder of the shelf's, where it expires after 7 days and all of them stay
// under a size cap.
//
// Every call is on the main thread. Bookmarks, searches for files that were
// renamed or moved, and copying or moving all run on one worker ("io");
// their results come back here and are matched by id, so entries removed
// meanwhile are simply not found. Saves are coalesced and written through
// the checked writer.
//
// A "shelf.json" that cannot be read whole is kept aside as
// "shelf.json.damaged" (or a free variant) and never overwritten; the
// entries of it that could be read stay on the shelf.
class ShelfStore : public QObject {
    Q_OBJECT
public:
    static constexpr int maxItems = 10000;
    static constexpr quint64 ownCopiesCap = 200'000'000;
    static constexpr qint64 ownCopiesMaxAgeSeconds = 604800;
    static constexpr int bookmarkBatch = 300;
    static constexpr std::chrono::milliseconds saveDelay{300};

    // `places`: the folders where a file that left its own folder is most
    // likely to be found again (the user's usual folders).
    ShelfStore(QString file, QString ownCopiesFolder, ShelfFileSystem &files, QList<QByteArray> places,
               Clock clock = systemClock(), QObject *parent = nullptr);
    ~ShelfStore() override;

    const QList<ShelfItem> &items() const { return m_items; }
    const QSet<QUuid> &missing() const { return m_missing; }
    int row(const QUuid &id) const; // -1 when not on the shelf
    QString filePath() const { return m_file; }
    QString ownCopiesFolder() const { return m_ownCopies; }
    // Where a damaged file was kept, if one was found at load.
    QString keptAsidePath() const { return m_keptAside; }

    // Puts files on the shelf, in order; answers how many were added.
    // Skipped: paths that are not absolute, anything that is not a regular
    // file (counted in `notFiles`), files already on the shelf, and all
    // beyond `maxItems`.
    int add(const QList<QByteArray> &paths, int *notFiles = nullptr);
    // Saves content that has no file of its own as an own copy. Nothing when
    // it is `ownCopiesCap` or larger or cannot be written (with a note).
    std::optional<ShelfItem> addOwnCopy(const QByteArray &data, const QString &suggestedName);
    // Removes own copies added more than 7 days before `now`.
    void cleanOwnCopies(const QDateTime &now);
    // Takes entries off the shelf. An own copy's file goes with it; any
    // other file stays where it is.
    void remove(const QSet<QUuid> &ids);
    void clear();
    void removeMissing();

    // Where the entry's file is now, when it is at its path. Otherwise the
    // entry's bookmark is looked for on the worker: a file found elsewhere
    // takes its new path (itemChanged), one not found is marked missing.
    std::optional<QByteArray> locate(const QUuid &id);
    // Lookups started by `locate` and not yet answered.
    bool isLooking() const { return !m_looking.isEmpty(); }
    // Paths of the chosen entries (all when none are given) that are at
    // their place now, in shelf order.
    QList<QByteArray> paths(const std::optional<QSet<QUuid>> &ids = std::nullopt);

    // Copies or moves the chosen entries' files (all when none are given)
    // into `folder` on the worker; `batchFinished` tells the outcome. A file
    // already in the folder counts as done; a name taken there gets a
    // number. False while another batch runs.
    bool copyAll(const QByteArray &folder, const std::optional<QSet<QUuid>> &ids = std::nullopt);
    bool moveAll(const QByteArray &folder, const std::optional<QSet<QUuid>> &ids = std::nullopt);
    bool batchRunning() const { return m_batchRunning; }

    // A path in `folder` for `name` that nothing uses yet: the name itself,
    // else "stem 2.ext", "stem 3.ext", …
    static QByteArray freeName(const QByteArray &name, const QByteArray &folder,
                               const ShelfFileSystem &files);
    quint64 ownCopiesSize() const;

    // The user's usual folders, where a file that left its own folder is
    // looked for: desktop, downloads, documents, pictures, music, videos,
    // then the rest of home.
    static QList<QByteArray> usualPlaces();

    // Writes a pending save now and waits for every write and worker job.
    void flush();

Q_SIGNALS:
    // Row-level changes, for models over the shelf.
    void rowsAboutToBeInserted(int first, int last);
    void rowsInserted();
    void rowsAboutToBeRemoved(int first, int last);
    void rowsRemoved();
    // The entry's path or its missing state changed.
    void itemChanged(int row);
    void countChanged(int count);
    // Every lookup `locate` started has been answered.
    void lookupsSettled();
    void batchFinished(const ShelfBatch &result, const QByteArray &folder);
    // A failure the user should hear of, worded.
    void note(const QString &text);

private:
    struct Found;
    void load();
    void keepAside(const QString &reason);
    void append(QList<ShelfItem> items);
    void setMissing(int row, bool missing);
    std::optional<QByteArray> locateRow(int row);
    void lookUp(const QUuid &id, const QByteArray &bookmark);
    void applyFound(int row, const Found &found);
    void bookmarkNext();
    bool runBatch(ShelfBatch::Kind kind, const QByteArray &folder, const std::optional<QSet<QUuid>> &ids);
    void trimOwnCopies();
    void save();
    void write();

    QString m_file;
    QString m_ownCopies;
    QString m_keptAside;
    ShelfFileSystem &m_files;
    QList<QByteArray> m_places;
    Clock m_clock;
    QList<ShelfItem> m_items;
    // Row of each id; rebuilt at the next lookup after rows were removed.
    mutable QHash<QUuid, int> m_rows;
    mutable bool m_rowsStale = true;
    QSet<QUuid> m_missing;
    QSet<QUuid> m_looking;
    QSet<QUuid> m_unbookmarkable; // tried this run; tried again at the next launch
    bool m_bookmarking = false;
    bool m_batchRunning = false;
    std::unique_ptr<BackgroundFileWriter> m_writer; // none: memory only
    QTimer m_saveTurn;
    QThreadPool m_io;
};
