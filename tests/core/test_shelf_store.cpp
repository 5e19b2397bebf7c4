#include "DropReader.h"
#include "FullFileSystem.h"
#include "LinuxFileToken.h"
#include "LinuxShelfFileSystem.h"
#include "ShelfListModel.h"
#include "ShelfStore.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

namespace {

QByteArray bytes(const QString &path)
{
    return QFile::encodeName(path);
}

// Makes a file from raw bytes, so names that are not UTF-8 can be made too.
QByteArray makeFile(const QByteArray &path, const QByteArray &contents = "x")
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, contents.constData(), size_t(contents.size())) != contents.size())
        qFatal("cannot make %s", path.constData());
    ::close(fd);
    return path;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestShelfStore : public QObject {
    Q_OBJECT
    std::optional<QTemporaryDir> m_dir;
    LinuxShelfFileSystem m_files;
    QDateTime m_now;

    QString file() const { return m_dir->filePath(QStringLiteral("shelf.json")); }
    QString ownCopiesDir() const { return m_dir->filePath(QStringLiteral("cache/Shelf")); }
    QByteArray at(const char *name) const { return bytes(m_dir->path()) + '/' + name; }
    std::unique_ptr<ShelfStore> makeStore(QList<QByteArray> places = {})
    {
        return std::make_unique<ShelfStore>(file(), ownCopiesDir(), m_files, std::move(places),
                                            [this] { return m_now; });
    }
    static void waitForBookmarks(ShelfStore &store)
    {
        QTRY_VERIFY_WITH_TIMEOUT(
            std::all_of(store.items().cbegin(), store.items().cend(),
                        [](const ShelfItem &item) { return item.isOwnCopy || !item.bookmark.isEmpty(); }),
            20000);
    }

private Q_SLOTS:
    void init()
    {
        m_dir.emplace();
        m_now = QDateTime(QDate(2026, 5, 1), QTime(12, 0), Qt::UTC);
    }

    void storedFormReadBack()
    {
        const QByteArray a = makeFile(at("a.txt"));
        const QByteArray b = makeFile(at("b.png"));
        QList<ShelfItem> saved;
        {
            auto store = makeStore();
            QCOMPARE(store->add({a, b}), 2);
            store->addOwnCopy("hello", QStringLiteral("Text.txt"));
            waitForBookmarks(*store); // own copies get none and are not waited for
            store->flush();
            saved = store->items();
        }
        const QByteArray text = fileBytes(file());
        QVERIFY(!text.contains('\n'));
        const QJsonObject root = QJsonDocument::fromJson(text).object();
        QCOMPARE(root.value(QStringLiteral("version")).toInt(), 1);
        const QJsonArray items = root.value(QStringLiteral("items")).toArray();
        const auto stored = [&saved](int i, const QString &path, bool own) {
            return QJsonObject{{"id", saved.at(i).id.toString(QUuid::WithoutBraces).toUpper()},
                               {"path", path},
                               {"addedAt", 799329600.0}, // seconds since 2001
                               {"isOwnCopy", own}};
        };
        QJsonObject first = items.at(0).toObject();
        QCOMPARE(first.take(QStringLiteral("bookmark")).toString().toLatin1(),
                 saved.at(0).bookmark.toBase64());
        QCOMPARE(first, stored(0, QString::fromUtf8(a), false));
        QCOMPARE(items.at(2).toObject(), stored(2, ownCopiesDir() + QStringLiteral("/Text.txt"), true));

        auto again = makeStore();
        QCOMPARE(again->items(), saved);
    }

    void damagedFileKeptAside_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<int>("kept");
        const QByteArray good =
            R"({"id":"6F9619FF-8B86-D011-B42D-00C04FC964FF","path":"/x/a","addedAt":1.5,"isOwnCopy":false})";
        const QByteArray good2 =
            R"({"id":"6F9619FF-8B86-D011-B42D-00C04FC964F0","path":"/x/b","addedAt":2,"isOwnCopy":true})";
        const QByteArray noOwnFlag =
            R"({"id":"6F9619FF-8B86-D011-B42D-00C04FC964F1","path":"/x/c","addedAt":2})";
        QTest::newRow("not JSON") << QByteArray("{\"version\":1,\"ite") << 0;
        QTest::newRow("no list") << QByteArray(R"({"version":1,"items":{}})") << 0;
        QTest::newRow("one bad entry among good")
            << QByteArray("{\"version\":1,\"items\":[" + good + "," + noOwnFlag + ",42," + good2 + "]}") << 2;
        const QByteArray farFuture =
            R"({"id":"6F9619FF-8B86-D011-B42D-00C04FC964F2","path":"/x/d","addedAt":1e300,"isOwnCopy":true})";
        QTest::newRow("a date beyond any calendar")
            << QByteArray("{\"version\":1,\"items\":[" + good + "," + farFuture + "]}") << 1;
    }

    void damagedFileKeptAside()
    {
        QFETCH(QByteArray, contents);
        QFETCH(int, kept);
        makeFile(bytes(file()), contents);
        {
            auto store = makeStore();
            QCOMPARE(store->keptAsidePath(), file() + QStringLiteral(".damaged"));
            store->flush();
        }
        QCOMPARE(fileBytes(file() + QStringLiteral(".damaged")), contents);
        // The entries that could be read are saved again, the rest only aside.
        QCOMPARE(QFileInfo::exists(file()), kept > 0);
        const QJsonObject saved = QJsonDocument::fromJson(fileBytes(file())).object();
        QCOMPARE(saved.value(QStringLiteral("items")).toArray().size(), kept);
    }

    void addRules()
    {
        QDir(m_dir->path()).mkdir(QStringLiteral("folder"));
        const QByteArray a = makeFile(at("a.txt"));
        auto store = makeStore();
        QSignalSpy inserted(store.get(), &ShelfStore::rowsInserted);
        int notFiles = 0;
        QCOMPARE(store->add({a, a, at("./a.txt"), at("folder"), "/dev/null", "relative/path"}, &notFiles), 1);
        QCOMPARE(notFiles, 2);
        QCOMPARE(store->add({bytes(m_dir->path()) + "/folder/../a.txt"}), 0);
        QCOMPARE(inserted.size(), 1);
    }

    void tenThousandEntries()
    {
        QList<QByteArray> paths;
        for (int i = 0; i < ShelfStore::maxItems + 2; ++i)
            paths.append(makeFile(at(QByteArray("f" + QByteArray::number(i)).constData())));
        {
            auto store = makeStore();
            QCOMPARE(store->add(paths.mid(0, ShelfStore::maxItems - 1)), ShelfStore::maxItems - 1);
            QCOMPARE(store->add(paths.mid(ShelfStore::maxItems - 1)), 1);
            waitForBookmarks(*store);
            store->flush();
        }
        auto again = makeStore();
        QCOMPARE(again->items().size(), ShelfStore::maxItems);
        QCOMPARE(again->items().last().path, paths.at(ShelfStore::maxItems - 1));
    }

    void renamedMovedAndDeletedFiles()
    {
        QDir(m_dir->path()).mkpath(QStringLiteral("home/Documents/deep"));
        QDir(m_dir->path()).mkpath(QStringLiteral("old"));
        const QByteArray renamed = makeFile(at("old/renamed.txt"));
        const QByteArray moved = makeFile(at("old/moved.txt"));
        const QByteArray deleted = makeFile(at("old/deleted.txt"));
        auto store = makeStore({at("home")});
        ShelfListModel model(*store);
        QCOMPARE(store->add({renamed, moved, deleted}), 3);
        waitForBookmarks(*store);

        QVERIFY(QFile::rename(QFile::decodeName(renamed), QFile::decodeName(at("old/new name.txt"))));
        QVERIFY(
            QFile::rename(QFile::decodeName(moved), QFile::decodeName(at("home/Documents/deep/moved.txt"))));
        QVERIFY(QFile::remove(QFile::decodeName(deleted)));
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        QSignalSpy settled(store.get(), &ShelfStore::lookupsSettled);
        for (const ShelfItem &item : store->items())
            QVERIFY(!store->locate(item.id)); // not where they were: looked for on the worker
        QVERIFY(settled.wait());
        QCOMPARE(store->items().at(0).path, at("old/new name.txt"));
        QCOMPARE(store->items().at(1).path, at("home/Documents/deep/moved.txt"));
        QCOMPARE(store->missing(), QSet<QUuid>{store->items().at(2).id});
        QCOMPARE(model.index(2).data().toString(), QStringLiteral("Not found"));
        QVERIFY(changed.size() >= 3);
        QCOMPARE(store->paths().size(), 2);
    }

    void reusedInodeIsNotTheFile()
    {
        // A file elsewhere with the bookmarked inode but another generation
        // is what a new file reusing a deleted file's inode looks like.
        const QByteArray path = makeFile(at("a.txt"));
        std::optional<LinuxFileToken> token = LinuxFileToken::of(path);
        QVERIFY(token && !token->handle.isEmpty());
        QVERIFY(QFile::rename(QFile::decodeName(path), QFile::decodeName(at("b.txt"))));
        QCOMPARE(m_files.find(token->encode(), {}), at("b.txt"));
        token->handle[token->handle.size() - 1] = char(token->handle.back() ^ 0x5a);
        QCOMPARE(m_files.find(token->encode(), {}), std::nullopt);
    }

    void ownCopies()
    {
        auto store = makeStore();
        const auto names = [&](std::initializer_list<const char *> suggested) {
            QStringList stored;
            for (const char *name : suggested)
                stored.append(store->addOwnCopy("data", QString::fromUtf8(name))->name());
            return stored;
        };
        QCOMPARE(names({"photo.png", "photo.png", "a/b.txt", "", "Notes"}),
                 QStringList({"photo.png", "photo 2.png", "a-b.txt", "Item", "Notes"}));

        // Expiry: older than 7 days when the next own copy comes.
        const QByteArray oldest = store->items().at(0).path;
        m_now = m_now.addSecs(ShelfStore::ownCopiesMaxAgeSeconds + 1);
        store->addOwnCopy("new", QStringLiteral("new.txt"));
        QCOMPARE(store->items().size(), 1);
        QVERIFY(!m_files.exists(oldest));

        // Cap: the oldest go until the rest fit (sparse files, so nothing big is written).
        m_now = m_now.addSecs(1);
        const ShelfItem big = *store->addOwnCopy("x", QStringLiteral("big.bin"));
        QVERIFY(QFile::resize(QFile::decodeName(big.path), qint64(ShelfStore::ownCopiesCap) - 20));
        m_now = m_now.addSecs(1);
        store->addOwnCopy("twenty bytes of data", QStringLiteral("last.txt"));
        QCOMPARE(store->items().size(), 2);
        QCOMPARE(store->items().at(0).name(), QStringLiteral("big.bin"));
        QVERIFY(store->ownCopiesSize() <= ShelfStore::ownCopiesCap);

        // Taking entries off deletes own copies only.
        const QByteArray a = makeFile(at("a.txt"));
        store->add({a});
        store->clear();
        QVERIFY(m_files.isFile(a) && !m_files.exists(big.path));
    }

    void ownCopyOnAFullDisk()
    {
        FullFileSystem full;
        if (!full.problem().isEmpty())
            QSKIP(qPrintable(full.problem()));
        QDir().mkpath(full.filePath(QStringLiteral("Shelf")));
        QVERIFY(full.fill());
        ShelfStore store(file(), full.filePath(QStringLiteral("Shelf")), m_files, {});
        QSignalSpy notes(&store, &ShelfStore::note);
        QVERIFY(!store.addOwnCopy(QByteArray(200000, 'x'), QStringLiteral("Picture.png")));
        QCOMPARE(store.items().size(), 0);
        QCOMPARE(notes.size(), 1);
    }

    void moveAndCopyAll()
    {
        QDir(m_dir->path()).mkpath(QStringLiteral("target"));
        const QByteArray report = makeFile(at("report.pdf"), "mine");
        makeFile(at("target/report.pdf"), "theirs");
        const QByteArray there = makeFile(at("target/there.txt"));
        const QByteArray gone = makeFile(at("gone.txt"));
        auto store = makeStore();
        QCOMPARE(store->add({report, there, gone}), 3);
        const ShelfItem own = *store->addOwnCopy("picture", QStringLiteral("Picture.png"));
        QVERIFY(QFile::remove(QFile::decodeName(gone)));
        QSignalSpy finished(store.get(), &ShelfStore::batchFinished);

        QVERIFY(store->copyAll(at("target")));
        QVERIFY(!store->moveAll(at("target"))); // one batch at a time
        QVERIFY(finished.wait());
        ShelfBatch copied = finished.takeFirst().at(0).value<ShelfBatch>();
        QCOMPARE(copied.done, 3);
        QCOMPARE(copied.failed, QStringList{QStringLiteral("gone.txt")});
        QVERIFY(m_files.isFile(at("target/report 2.pdf")));
        QCOMPARE(store->items().at(0).path, report); // a copy leaves the entry alone

        QVERIFY(QFile::remove(QFile::decodeName(at("target/report 2.pdf"))));
        QVERIFY(store->moveAll(at("target/")));
        QVERIFY(finished.wait());
        const ShelfBatch moved = finished.takeFirst().at(0).value<ShelfBatch>();
        QCOMPARE(moved.note(QStringLiteral("target")),
                 QStringLiteral("Moved 3 items; 1 couldn’t be moved (gone.txt)"));
        QCOMPARE(store->items().at(0).path, at("target/report 2.pdf"));
        QCOMPARE(store->items().at(1).path, there);
        QVERIFY(!m_files.exists(report));
        const ShelfItem ownMoved = store->items().at(store->row(own.id));
        QCOMPARE(ownMoved.path, at("target/Picture 2.png")); // the copy took the name
        QVERIFY(!ownMoved.isOwnCopy);
        QVERIFY(!ownMoved.bookmark.isEmpty());
        // No longer an own copy: removing it leaves the file.
        store->remove({own.id});
        QVERIFY(m_files.isFile(at("target/Picture 2.png")));
    }

    void pathWithNewlineAndNonUtf8Bytes()
    {
        QDir(m_dir->path()).mkpath(QStringLiteral("target"));
        const QByteArray odd = makeFile(at("two\nlines \xff\xfe.txt"));
        {
            auto store = makeStore();
            QCOMPARE(store->add({odd}), 1);
            waitForBookmarks(*store);
            store->flush();
        }
        auto store = makeStore();
        QCOMPARE(store->items().at(0).path, odd);
        ShelfListModel model(*store);
        QVERIFY(!model.index(0).data().toString().contains(QLatin1Char('\n')));
        QCOMPARE(ShelfListModel::uriList(store->paths()),
                 "file://" + bytes(m_dir->path()).toPercentEncoding("/") + "/two%0Alines%20%FF%FE.txt\r\n");
        QSignalSpy finished(store.get(), &ShelfStore::batchFinished);
        QVERIFY(store->moveAll(at("target")));
        QVERIFY(finished.wait());
        QCOMPARE(store->items().at(0).path, at("target/two\nlines \xff\xfe.txt"));
        // QTemporaryDir cannot name it to remove it.
        QVERIFY(m_files.remove(store->items().at(0).path));
    }

    void drops_data()
    {
        QTest::addColumn<QStringList>("types");
        QTest::addColumn<QStringList>("values"); // "@name" is a file of the temporary folder
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("note");
        const auto row = [](const char *tag, const QStringList &types, const QStringList &values,
                            const QStringList &names,
                            const QString &note) { QTest::newRow(tag) << types << values << names << note; };
        const QString stamp = QStringLiteral("1 May 2026 12.00.00"),
                      one = QStringLiteral("1 item on the shelf");
        row("files and text: the files", {"text/uri-list", "text/plain"}, {"@a.txt\n@b.png", "hello"},
            {"a.txt", "b.png"}, "2 items on the shelf");
        row("a picture", {"image/png"}, {"\x89PNG"}, {"Picture " + stamp + ".png"}, one);
        row("text", {"text/plain"}, {"hello"}, {"Text " + stamp + ".txt"}, one);
        row("a web link", {"text/uri-list"}, {"https://example.org/a"}, {"Text " + stamp + ".txt"}, one);
        row("a folder", {"text/uri-list"}, {"@"}, {},
            "Folders and other things that are not files stay off the shelf");
        row("nothing readable", {"application/x-other"}, {"x"}, {}, "");
    }

    void drops()
    {
        QFETCH(QStringList, types);
        QFETCH(QStringList, values);
        QFETCH(QStringList, names);
        QFETCH(QString, note);
        for (const char *name : {"a.txt", "b.png"})
            makeFile(at(name));
        QMimeData mime;
        for (qsizetype i = 0; i < types.size(); ++i) {
            QString value = values.at(i);
            value.replace(QLatin1Char('@'), QStringLiteral("file://") + m_dir->path() + QLatin1Char('/'));
            mime.setData(types.at(i), value.toUtf8());
        }
        auto store = makeStore();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        const DropReader::Dropped dropped = DropReader::drop(mime, *store, m_now);
        QStringList stored;
        for (const ShelfItem &item : store->items())
            stored.append(item.name());
        QCOMPARE(stored, names);
        QCOMPARE(dropped.note(), note);
    }

    void hugeTextIsCutAndSaysSo()
    {
        QMimeData mime;
        mime.setText(QString(DropReader::maxTextBytes / 2 + 1, QChar(0x00e9))); // two bytes each in UTF-8
        const DropReader::Contents contents = DropReader::read(mime, m_now);
        QVERIFY(contents.textCut);
        QCOMPARE(contents.content.at(0).data.size(), DropReader::maxTextBytes);
    }
};

QTEST_GUILESS_MAIN(TestShelfStore)
#include "test_shelf_store.moc"
