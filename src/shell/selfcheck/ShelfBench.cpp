#include "ShelfBench.h"

#include "AppInfo.h"
#include "DefaultsStore.h"
#include "Hub.h"
#include "HubPanel.h"
#include "HubPanelRules.h"
#include "HubSections.h"
#include "HubState.h"
#include "HubView.h"
#include "HubWindow.h"
#include "ProcessUsage.h"
#include "Report.h"
#include "SelfCheckWait.h"
#include "SensorWatcher.h"
#include "Settings.h"
#include "ShelfFileSystem.h"
#include "ShelfGrid.h"
#include "ShelfListModel.h"
#include "ShelfSection.h"
#include "ShelfStore.h"
#include "ShelfView.h"
#include "ThumbnailMaker.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>

namespace ShelfBench {

namespace {

constexpr int rounds = 2;

double mb(quint64 bytes)
{
    return double(bytes) / (1024.0 * 1024.0);
}

QString mbText(quint64 bytes)
{
    return QString::asprintf("%.1f MB", mb(bytes));
}

double ms(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

template <typename Sender, typename Signal> bool waitFor(Sender *sender, Signal signal, int timeoutMs)
{
    QEventLoop loop;
    bool fired = false;
    QObject::connect(sender, signal, &loop, [&] {
        fired = true;
        loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return fired;
}

double percentile(QList<double> values, double p)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    return values.at(std::min<qsizetype>(values.size() - 1, qsizetype(p * double(values.size()))));
}

int fileCount(const QProcessEnvironment &env)
{
    bool ok = false;
    const int count = env.value(QStringLiteral("TARNWICK_SHELF_BENCH_FILES")).toInt(&ok);
    return ok && count > 0 ? std::min(count, ShelfStore::maxItems) : defaultFiles;
}

QList<QByteArray> prepare(const QString &folder, int count)
{
    QImage picture(64, 48, QImage::Format_RGB32);
    QList<QByteArray> paths;
    paths.reserve(count);
    for (int i = 0; i < count; ++i) {
        QString name;
        switch (i % 3) {
        case 0: {
            name = QString::asprintf("Photo %05d.png", i);
            picture.fill(QColor::fromHsv((i * 37) % 360, 160, 220));
            picture.save(QDir(folder).filePath(name), "PNG");
            break;
        }
        case 1:
        case 2: {
            name = QString::asprintf(i % 3 == 1 ? "Notes %05d.txt" : "Doc %05d.md", i);
            QFile text(QDir(folder).filePath(name));
            if (text.open(QIODevice::WriteOnly))
                text.write("Benchmark notes\n\nA line of text for the preview.\n");
            break;
        }
        }
        paths.append(QFile::encodeName(QDir(folder).filePath(name)));
    }
    return paths;
}

// Whether any freedesktop thumbnail exists for the first of `paths`.
bool thumbnailsWritten(const QList<QByteArray> &paths)
{
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                          QStringLiteral("/thumbnails/");
    for (qsizetype i = 0; i < std::min<qsizetype>(paths.size(), 200); ++i) {
        const QString name = ThumbnailMaker::cachedThumbnailName(paths.at(i));
        for (const char *size : {"normal", "large", "x-large", "xx-large"}) {
            if (QFileInfo::exists(cache + QLatin1String(size) + QLatin1Char('/') + name))
                return true;
        }
    }
    return false;
}

struct Bench {
    Report &report;
    Parts parts;
    QTemporaryDir data{QDir::tempPath() + QStringLiteral("/tarnwick.bench.data.XXXXXX")};
    DefaultsStore defaults;
    Settings settings{defaults};
    Hub hub{settings,
            AppInfo::compiledIn(),
            {{},
             data.filePath(QStringLiteral("data")),
             nullptr,
             {},
             data.filePath(QStringLiteral("cache")),
             &parts.files}};
    HubState state;
    HubSections sections;
    std::unique_ptr<HubPanel> panel;
    quint64 peak = 0;

    Bench(Report &r, Parts p)
        : report(r)
        , parts(std::move(p))
    {
        panel = std::make_unique<HubPanel>(hub, state, sections, parts.env);
        ShelfSection{[this]() -> ShelfStore & { return hub.shelf(); }, state, panel->rules(),
                     parts.fileManager}
            .addTo(sections);
    }

    quint64 memory()
    {
        const quint64 now = parts.usage.sample().footprintBytes;
        peak = std::max(peak, now);
        return now;
    }

    // Opens the hub on the shelf; answers the time to its first paint, or nothing.
    std::optional<double> open()
    {
        QElapsedTimer clock;
        clock.start();
        panel->open(HubTab::Shelf);
        HubWindow *window = panel->window();
        if (!window || !window->view())
            return std::nullopt;
        if (!waitFor(window->view(), &HubView::framePainted, 5000))
            return std::nullopt;
        return ms(clock);
    }

    ShelfGrid *grid() const
    {
        HubWindow *window = panel->window();
        auto *section = window ? qobject_cast<ShelfView *>(window->view()->section()) : nullptr;
        return section ? section->grid() : nullptr;
    }

    // `settle`: wait until the closed hub's memory has been given back.
    void close(bool settle = false)
    {
        bool released = false;
        const auto connection = QObject::connect(&panel->rules(), &HubPanelRules::memoryReleasable,
                                                 &panel->rules(), [&released] { released = true; });
        panel->close();
        // The window goes at the next turn of the event loop.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (settle)
            SelfCheckWait::until([&released] { return released; }, 3000);
        QObject::disconnect(connection);
    }

    void scroll(const QString &pass)
    {
        ShelfGrid *shown = grid();
        if (!shown) {
            report.fail(pass + QStringLiteral(": the grid is shown"));
            return;
        }
        QScrollBar *bar = shown->verticalScrollBar();
        const int range = bar->maximum();
        const int step = std::max(20, range / 400);
        QList<double> frames;
        for (int value = 0; value <= range; value += step) {
            bar->setValue(value);
            QElapsedTimer frame;
            frame.start();
            shown->viewport()->repaint();
            frames.append(ms(frame));
            QCoreApplication::processEvents(); // lookups and pictures that arrived
        }
        const double p95 = percentile(frames, 0.95);
        report.line(pass + QStringLiteral(": scroll through the grid with ") +
                    QString::number(frames.size()) + QStringLiteral(" steps · frame p50 ") +
                    QString::asprintf("%.2f", percentile(frames, 0.5)) + QStringLiteral(" ms, p95 ") +
                    QString::asprintf("%.2f", p95) + QStringLiteral(" ms"));
        report.check(p95 <= 8, pass + QStringLiteral(": scroll frame p95 within 8 ms"));
    }

    // Looks every entry up and waits for the answers.
    void lookUpAll()
    {
        ShelfStore &store = hub.shelf();
        for (const ShelfItem &item : QList<ShelfItem>(store.items()))
            store.locate(item.id);
        SelfCheckWait::until([&store] { return !store.isLooking(); }, 60000);
    }

    int run()
    {
        ShelfStore &store = hub.shelf();
        const int count = fileCount(parts.env);
        QTemporaryDir originals(QDir::tempPath() + QStringLiteral("/tarnwick.bench.XXXXXX"));
        QElapsedTimer clock;
        clock.start();
        const QList<QByteArray> paths = prepare(originals.path(), count);
        report.line(QString::number(count) + QStringLiteral(" originals prepared in ") +
                    QString::asprintf("%.0f ms", ms(clock)));

        // Qt's one-time costs of a first window (fonts, styles) are not the shelf's.
        open();
        close(true);
        const quint64 baseline = memory();
        report.line(QStringLiteral("baseline (launched, hub closed): ") + mbText(baseline));
        report.note(QStringLiteral("the baseline is taken after the hub opened once on the empty shelf"));
        report.check(store.add(paths) == count, QStringLiteral("every file is on the shelf"));
        SelfCheckWait::until(
            [&store] {
                return std::all_of(store.items().cbegin(), store.items().cend(),
                                   [](const ShelfItem &i) { return !i.bookmark.isEmpty(); });
            },
            120000);

        QList<QTemporaryDir *> outs;
        for (int round = 1; round <= rounds; ++round) {
            const QString pass = QStringLiteral("pass ") + QString::number(round);
            peak = 0;
            const std::optional<double> opened = open();
            report.check(opened.has_value(), pass + QStringLiteral(": the hub opens on the shelf"));
            if (!opened)
                return report.finish();
            report.line(pass + QStringLiteral(": hub opened on the shelf in ") +
                        QString::asprintf("%.1f ms", *opened));
            report.check(*opened <= 50, pass + QStringLiteral(": hub opened within 50 ms"));
            scroll(pass);

            clock.restart();
            const QByteArray uris = ShelfListModel::uriList(store.paths());
            report.line(pass + QStringLiteral(": drag-out of all ") + QString::number(store.items().size()) +
                        QStringLiteral(" files ready in ") + QString::asprintf("%.1f ms", ms(clock)) +
                        QStringLiteral(" (") + QString::number(uris.size() / 1024) +
                        QStringLiteral(" KB of URIs)"));

            auto *out = new QTemporaryDir(QDir::tempPath() + QStringLiteral("/tarnwick.bench.out.XXXXXX"));
            outs.append(out);
            std::optional<ShelfBatch> moved;
            const auto connection = QObject::connect(&store, &ShelfStore::batchFinished, &store,
                                                     [&moved](const ShelfBatch &result) { moved = result; });
            clock.restart();
            store.moveAll(QFile::encodeName(out->path()));
            SelfCheckWait::until([&moved] { return moved.has_value(); }, 300000);
            QObject::disconnect(connection);
            const int done = moved ? moved->done : 0;
            report.line(pass + QStringLiteral(": Move All moved ") + QString::number(done) +
                        QStringLiteral(" into ") + QDir(out->path()).dirName() + QStringLiteral(" in ") +
                        QString::asprintf("%.0f ms", ms(clock)));
            const QByteArray outPrefix = QFile::encodeName(out->path()) + '/';
            report.check(done == count &&
                             std::all_of(store.items().cbegin(), store.items().cend(),
                                         [&](const ShelfItem &i) { return i.path.startsWith(outPrefix); }),
                         pass + QStringLiteral(": the shelf follows the moved files"));
            close(true);
            const quint64 closed = memory();
            report.line(pass + QStringLiteral(": hub closed · memory ") + mbText(closed) +
                        QStringLiteral(" · peak this round ") + mbText(peak));
            report.check(closed <= baseline + 10 * 1024 * 1024,
                         pass + QStringLiteral(": memory with the hub closed within 10 MB of the baseline"));
        }

        store.flush();
        const QDir ownCopies(store.ownCopiesFolder());
        report.check(ownCopies.isEmpty() && !thumbnailsWritten(store.paths()) &&
                         QDir(data.filePath(QStringLiteral("data"))).entryList(QDir::Files) ==
                             QStringList{QStringLiteral("shelf.json")},
                     QStringLiteral("nothing written to disk for files (no thumbnails, no copies)"));

        const int changed = std::min(10, count / 2);
        QList<ShelfItem> items = store.items();
        for (int i = 0; i < changed; ++i)
            parts.files.remove(items.at(i).path);
        for (int i = changed; i < 2 * changed; ++i)
            QFile::rename(QFile::decodeName(items.at(i).path),
                          QFile::decodeName(items.at(i).path) + QStringLiteral(" renamed"));
        lookUpAll();
        int followed = 0;
        for (int i = changed; i < 2 * changed; ++i)
            followed += store.items().at(i).path == items.at(i).path + " renamed" ? 1 : 0;
        report.check(int(store.missing().size()) == changed,
                     QStringLiteral("deleted files show as not found (") +
                         QString::number(store.missing().size()) + QStringLiteral(" of ") +
                         QString::number(changed) + QLatin1Char(')'));
        report.check(followed == changed, QStringLiteral("renamed files are followed by their bookmark (") +
                                              QString::number(followed) + QStringLiteral(" of ") +
                                              QString::number(changed) + QLatin1Char(')'));

        // Stress: entries come and go, the hub opens and closes, files vanish and move.
        QTemporaryDir churn(QDir::tempPath() + QStringLiteral("/tarnwick.bench.churn.XXXXXX"));
        const QList<QByteArray> extra = prepare(churn.path(), 90);
        for (int i = 0; i < 30; ++i) {
            store.add(extra);
            QSet<QUuid> added;
            for (qsizetype k = store.items().size() - extra.size(); k < store.items().size(); ++k)
                added.insert(store.items().at(k).id);
            if (i % 2 == 0) {
                open();
                close();
                open();
                close();
            }
            store.remove(added);
        }
        for (int i = 0; i < 30; ++i) {
            open();
            close();
        }
        lookUpAll();
        store.flush();
        report.line(QStringLiteral("stress: 30 churns, 60 open/close, deletes and renames — memory ") +
                    mbText(memory()));
        qDeleteAll(outs);
        return report.finish();
    }
};

} // namespace

int run(Report &report, Parts parts)
{
    Bench bench(report, std::move(parts));
    return bench.run();
}

} // namespace ShelfBench
