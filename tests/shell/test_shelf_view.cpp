// The hub's shelf section: pictures of files, the grid's selection, keys and
// menu, and files dragged out to another X client on the rig's desktop.
#include "AppInfo.h"
#include "DefaultsStore.h"
#include "Hub.h"
#include "HubPanel.h"
#include "HubSections.h"
#include "HubState.h"
#include "HubView.h"
#include "HubWindow.h"
#include "LinuxShelfFileSystem.h"
#include "SensorWatcher.h"
#include "Settings.h"
#include "ShelfGrid.h"
#include "ShelfSection.h"
#include "ShelfStore.h"
#include "ShelfView.h"
#include "SimFileManager.h"
#include "ThumbnailMaker.h"
#include "XDoTool.h"

#include <QApplication>
#include <QBuffer>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

QImage picture(int width, int height, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(width, height, format);
    image.fill(Qt::darkCyan);
    return image;
}

QByteArray encoded(const QImage &image, const char *format)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return buffer.data();
}

// A JPEG whose EXIF says "rotate 90° clockwise to show".
QByteArray rotatedJpeg(const QImage &image)
{
    const QByteArray jpeg = encoded(image, "JPEG");
    const QByteArray exif = QByteArray::fromHex("FFE10022"
                                                "457869660000"
                                                "4D4D002A00000008"
                                                "0001"
                                                "011200030000000100060000"
                                                "00000000");
    return jpeg.left(2) + exif + jpeg.mid(2);
}

bool writeFile(const QString &path, const QByteArray &contents)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size();
}

} // namespace

class TestShelfView : public QObject {
    Q_OBJECT
    std::optional<QTemporaryDir> m_dir;
    LinuxShelfFileSystem m_files;

    QString file(const char *name) const { return m_dir->filePath(QString::fromUtf8(name)); }
    QByteArray path(const char *name) const { return QFile::encodeName(file(name)); }

private Q_SLOTS:
    void init() { m_dir.emplace(); }

    void thumbnails_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QSize>("size"); // empty: no picture, the type's icon shows
        QTest::newRow("png") << "a.png" << encoded(picture(300, 200), "PNG") << QSize(112, 74);
        QTest::newRow("jpeg turned by its orientation tag")
            << "b.jpg" << rotatedJpeg(picture(300, 200)) << QSize(74, 112);
        QTest::newRow("text") << "c.txt" << QByteArray("Some notes\nand more") << QSize(95, 112);
        QTest::newRow("50 megapixel jpeg, decoded small")
            << "big.jpg" << encoded(picture(8000, 6250, QImage::Format_Grayscale8), "JPEG") << QSize(112, 87);
        QTest::newRow("empty picture") << "d.png" << QByteArray() << QSize();
        QTest::newRow("cut-off picture") << "e.png" << encoded(picture(300, 200), "PNG").left(60) << QSize();
        QTest::newRow("a document") << "f.pdf" << QByteArray("%PDF-1.4") << QSize();
    }

    void thumbnails()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, contents);
        QFETCH(QSize, size);
        QVERIFY(writeFile(m_dir->filePath(name), contents));
        // An empty cache home: nothing to find there, and nothing may be written.
        const QImage image = ThumbnailMaker::make(QFile::encodeName(m_dir->filePath(name)), m_dir->path());
        QCOMPARE(image.isNull() ? QSize() : image.size(), size);
        QVERIFY(!QFileInfo::exists(m_dir->filePath(QStringLiteral("thumbnails"))));
    }

    void freedesktopThumbnailIsRead()
    {
        QVERIFY(writeFile(file("photo.png"), encoded(picture(300, 200), "PNG")));
        QImage cached = picture(128, 40);
        cached.setText(QStringLiteral("Thumb::MTime"),
                       QString::number(QFileInfo(file("photo.png")).lastModified().toSecsSinceEpoch()));
        QDir().mkpath(m_dir->filePath(QStringLiteral("cache/thumbnails/normal")));
        QVERIFY(cached.save(m_dir->filePath(QStringLiteral("cache/thumbnails/normal/")) +
                            ThumbnailMaker::cachedThumbnailName(path("photo.png"))));
        QCOMPARE(ThumbnailMaker::make(path("photo.png"), m_dir->filePath(QStringLiteral("cache"))).size(),
                 QSize(112, 35));
    }

    void gridSelectionKeysAndMenu()
    {
        for (const char *name : {"a.txt", "b.txt", "c.txt", "d.txt"})
            QVERIFY(writeFile(file(name), "x"));
        ShelfStore store(QString(), file("Shelf"), m_files, {});
        store.add({path("a.txt"), path("b.txt"), path("c.txt"), path("d.txt")});
        HubState state;
        DefaultsStore defaults;
        Settings settings{defaults};
        Hub hub{settings, AppInfo::compiledIn(), {{}, QString(), nullptr, {}, file("cache"), &m_files}};
        HubSections sections;
        HubPanel panel(hub, state, sections, QProcessEnvironment());
        SimFileManager fileManager;
        ShelfView view(store, state, panel.rules(), fileManager);
        view.resize(700, 280);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        ShelfGrid *grid = view.grid();
        QVERIFY(!view.removeMissingButton()->isVisible());

        // Right-clicking an unselected entry while two others are selected acts on it alone.
        grid->selectionModel()->select(grid->model()->index(0, 0), QItemSelectionModel::Select);
        grid->selectionModel()->select(grid->model()->index(1, 0), QItemSelectionModel::Select);
        const QPoint third = grid->visualRect(grid->model()->index(2, 0)).center();
        QContextMenuEvent right(QContextMenuEvent::Mouse, third, grid->viewport()->mapToGlobal(third));
        QApplication::sendEvent(grid->viewport(), &right);
        QCOMPARE(grid->selectedIds(), QSet<QUuid>{store.items().at(2).id});
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QVERIFY(menu);
        QCOMPARE(panel.rules().busy(), 1);
        menu->actions().at(0)->trigger(); // "Show in Files"
        menu->close();
        QCOMPARE(panel.rules().busy(), 0);
        QCOMPARE(fileManager.revealed, QList<QByteArray>{path("c.txt")});

        // Delete takes the selected entries off the shelf; their files stay.
        grid->selectionModel()->select(grid->model()->index(0, 0), QItemSelectionModel::Select);
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Delete);
        QCOMPARE(store.items().size(), 2);
        QVERIFY(QFileInfo::exists(file("c.txt")));
        grid->clearSelection();
        QTest::keyClick(grid, Qt::Key_Backspace); // nothing selected: nothing happens
        QCOMPARE(store.items().size(), 2);

        // A file gone shows as not found, with the button to take such entries off.
        QVERIFY(QFile::remove(file("b.txt")));
        store.locate(store.items().at(0).id); // not at its path: looked for on the worker
        QTRY_VERIFY(view.removeMissingButton()->isVisible());
        QCOMPARE(view.removeMissingButton()->text(), QStringLiteral("Remove Not Found (1)"));
        view.removeMissingButton()->click();
        QCOMPARE(store.items().size(), 1);
        QVERIFY(!view.removeMissingButton()->isVisible());
    }

    void filesDraggedOutArriveInAnotherClient()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs the rig's X display");
        QVERIFY(writeFile(file("one.txt"), "1"));
        QVERIFY(writeFile(file("two words.txt"), "2"));
        QProcess target;
        target.start(QStringLiteral(DROP_TARGET), {});
        QVERIFY(target.waitForReadyRead(10000));
        QCOMPARE(target.readLine().trimmed(), QByteArray("ready"));
        QVERIFY(XDoTool::awaitWindow(QStringLiteral("drop target")));

        DefaultsStore defaults;
        Settings settings{defaults};
        Hub hub{settings, AppInfo::compiledIn(), {{}, m_dir->path(), nullptr, {}, file("cache"), &m_files}};
        QCOMPARE(hub.shelf().add({path("one.txt"), path("two words.txt")}), 2);
        HubState state;
        HubSections sections;
        HubPanel panel(hub, state, sections, QProcessEnvironment());
        SimFileManager fileManager;
        ShelfSection{[&hub]() -> ShelfStore & { return hub.shelf(); }, state, panel.rules(), fileManager}
            .addTo(sections);
        panel.open(HubTab::Shelf);
        QTRY_VERIFY(panel.window() && panel.window()->isVisible());
        auto *view = qobject_cast<ShelfView *>(panel.window()->view()->section());
        QVERIFY(view);
        ShelfGrid *grid = view->grid();
        grid->selectAll();
        // The grid lays its cells out after it is first shown; a press before that misses them.
        QVERIFY(QTest::qWaitForWindowExposed(panel.window()));
        QTRY_VERIFY(grid->visualRect(grid->model()->index(1, 0)).isValid());
        const QPoint cell =
            grid->viewport()->mapToGlobal(grid->visualRect(grid->model()->index(1, 0)).center());
        const QPoint onTarget(400, 560);
        // The pointer keeps moving over the target until the target says the
        // drag is over it and accepted, and only then is the button let go:
        // a drag that starts late, or a target that answers late, still drops.
        QByteArrayList received;
        QTimer wiggle;
        int wiggles = 0;
        QObject::connect(&wiggle, &QTimer::timeout, &wiggle, [&] {
            const QPoint at = onTarget + QPoint(++wiggles % 2 ? 4 : 8, 4);
            if (wiggles == 60) // nothing came of it: let go, and the test fails
                QProcess::startDetached(QStringLiteral("xdotool"), {"mouseup", "1"});
            else if (wiggles < 60)
                QProcess::startDetached(QStringLiteral("xdotool"), XDoTool::moveTo(at));
        });
        QObject::connect(&target, &QProcess::readyReadStandardOutput, &target, [&] {
            while (target.canReadLine()) {
                const QByteArray line = target.readLine().trimmed();
                if (line != "over") {
                    received.append(line);
                } else {
                    wiggle.stop();
                    QProcess::startDetached(QStringLiteral("xdotool"), {"mouseup", "1"});
                }
            }
        });
        QStringList steps = XDoTool::moveTo(cell) + QStringList{"mousedown", "1", "sleep", "0.3"};
        for (const QPoint &at :
             {cell + QPoint(10, 10), cell + QPoint(30, 30), (cell + onTarget) / 2, onTarget})
            steps += XDoTool::moveTo(at) + QStringList{"sleep", "0.1"};
        wiggle.start(250);
        QVERIFY(XDoTool::drive(steps));
        QTRY_VERIFY_WITH_TIMEOUT(received.contains("dropped"), 20000);
        QCOMPARE(received,
                 QByteArrayList({"file://" + path("one.txt").toPercentEncoding("/"),
                                 "file://" + path("two words.txt").toPercentEncoding("/"), "dropped"}));
        QCOMPARE(panel.rules().busy(), 0);
        QVERIFY(panel.isOpen()); // the hub stayed open through the drag
        target.kill();
        target.waitForFinished();
    }
};

QTEST_MAIN(TestShelfView)
#include "test_shelf_view.moc"
