// Frame times of the halo's animations under software rendering, and the time
// from an announcement to the banner's first paint. Run it on the X server of
// the desktop rig (scripts/desktop-rig.sh build/bench/bench_halo) or with
// QT_QPA_PLATFORM=offscreen.
#include "Halo.h"
#include "HaloView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTextStream>

#include <algorithm>
#include <functional>

namespace {

constexpr double frameBudgetMs = 1000.0 / 60;

double percentile(QList<double> values, double fraction)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[qsizetype(std::min<double>(values.size() - 1, fraction * values.size()))];
}

// Runs the event loop until `done` holds, waking only for events.
bool spinUntil(const std::function<bool()> &done, int timeoutMs = 5000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

// Times every paint of a view: its cost, and the interval since the last one.
class FrameRecorder : public QObject {
public:
    explicit FrameRecorder(HaloView &view)
    {
        view.installEventFilter(this);
        connect(&view, &HaloView::framePainted, this, [this] {
            const double now = m_clock.nsecsElapsed() / 1e6;
            paintMs.append(now - m_paintStarted);
            if (m_lastFrame >= 0)
                intervalMs.append(now - m_lastFrame);
            m_lastFrame = now;
        });
        m_clock.start();
    }
    // The next frame starts a new run of intervals (after an idle pause).
    void pause() { m_lastFrame = -1; }

    QList<double> paintMs;
    QList<double> intervalMs;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            m_paintStarted = m_clock.nsecsElapsed() / 1e6;
        return false;
    }

private:
    QElapsedTimer m_clock;
    double m_paintStarted = 0;
    double m_lastFrame = -1;
};

Banner sampleBanner()
{
    Banner banner;
    banner.symbol = QStringLiteral("video.fill");
    banner.color = HaloColor::blocked;
    banner.title = QStringLiteral("Google Chrome is using the camera");
    banner.subtitle = QStringLiteral("Even though you switched it off — quit it to stop it");
    banner.actions = {{QStringLiteral("Quit Google Chrome"), {}}, {QStringLiteral("Allow"), {}}};
    banner.seconds = 60;
    return banner;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTextStream out(stdout);
    const int rounds = 20;
    Halo halo{QProcessEnvironment()};

    // From announce() to the first paint of a window that did not exist.
    QList<double> firstPaintMs;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer clock;
        clock.start();
        halo.announce(sampleBanner());
        bool painted = false;
        QObject::connect(
            halo.view(), &HaloView::framePainted, &app, [&painted] { painted = true; },
            Qt::SingleShotConnection);
        if (!spinUntil([&] { return painted; })) {
            out << "halo: no paint within 5 s of an announcement\n";
            return 1;
        }
        firstPaintMs.append(clock.nsecsElapsed() / 1e6);
        halo.endBanner();
        spinUntil([&] { return !halo.view(); });
    }

    // The path and fade animations: card in, card out, with the camera lit.
    halo.setCamera(true);
    halo.render(false);
    HaloView *view = halo.view();
    FrameRecorder frames(*view);
    for (int round = 0; round < rounds; ++round) {
        halo.announce(sampleBanner());
        spinUntil([&] { return !view->isAnimating(); });
        frames.pause();
        halo.endBanner();
        spinUntil([&] { return !view->isAnimating(); });
        frames.pause();
    }
    halo.setCamera(false);
    halo.render(true);
    spinUntil([&] { return !halo.view(); });

    const auto dropped = std::count_if(frames.intervalMs.begin(), frames.intervalMs.end(),
                                       [](double ms) { return ms > 1.5 * frameBudgetMs; });
    out << "halo bench on " << QGuiApplication::platformName() << ", " << rounds << " rounds\n";
    out << QStringLiteral("announce to first paint: p50 %1 ms, p95 %2 ms\n")
               .arg(percentile(firstPaintMs, 0.5), 0, 'f', 2)
               .arg(percentile(firstPaintMs, 0.95), 0, 'f', 2);
    out << QStringLiteral("animation frames: %1, paint p50 %2 ms, p95 %3 ms\n")
               .arg(frames.paintMs.size())
               .arg(percentile(frames.paintMs, 0.5), 0, 'f', 2)
               .arg(percentile(frames.paintMs, 0.95), 0, 'f', 2);
    out << QStringLiteral("frame interval: p50 %1 ms, p95 %2 ms, dropped at 60 fps: %3 of %4\n")
               .arg(percentile(frames.intervalMs, 0.5), 0, 'f', 2)
               .arg(percentile(frames.intervalMs, 0.95), 0, 'f', 2)
               .arg(dropped)
               .arg(frames.intervalMs.size());
    return 0;
}
