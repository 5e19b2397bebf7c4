// The mirror section with the made-up camera: time from opening the section
// to the first frame on screen, and how long Tarnwick still counts the
// camera as its own after the section is left (the camera itself stops at
// once). Needs a display: scripts/desktop-rig.sh build/bench/bench_mirror
#include "BenchTiming.h"
#include "Mirror.h"
#include "MirrorPicture.h"
#include "MirrorView.h"
#include "SamplePictureFeed.h"
#include "SensorWatcher.h"
#include "SimAudioCaptureSource.h"
#include "SimCameraAccess.h"
#include "SimCameraClientFinder.h"
#include "SimCameraDeviceSource.h"
#include "SimProcessDirectory.h"
#include "TimerTask.h"

#include <QApplication>
#include <QTextStream>

#include <algorithm>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTextStream out(stdout);
    SimAudioCaptureSource audio;
    SimCameraDeviceSource cameras;
    SimCameraClientFinder finder;
    SimProcessDirectory processes;
    SimCameraAccess access;
    SensorWatcher watcher({audio, cameras, finder, processes}, 1);
    Mirror mirror(
        access, [&watcher](bool inUse) { watcher.setOwnCameraUse(inUse); }, std::make_unique<TimerTask>());

    QList<double> firstFrame, released;
    bool stoppedAtOnce = true;
    for (int round = 0; round < 10; ++round) {
        const double opened = BenchTiming::nowMs();
        mirror.refresh();
        auto feed = std::make_unique<SamplePictureFeed>();
        SamplePictureFeed *camera = feed.get();
        auto view = std::make_unique<MirrorView>(mirror, std::move(feed));
        view->resize(676, 250);
        view->show();
        const double shown = BenchTiming::whenTrue(view->picture(), &MirrorPicture::painted,
                                                   [&] { return !view->picture()->shown().isNull(); });
        firstFrame.append(shown - opened);
        view->hide();
        stoppedAtOnce = stoppedAtOnce && !camera->isRunning();
        const double left = BenchTiming::nowMs();
        view.reset();
        const double off = BenchTiming::whenTrue(&watcher, &SensorWatcher::ownCameraUseChanged,
                                                 [&] { return !watcher.ownCameraUse(); });
        released.append(off - left);
    }
    out << "first frame after opening the section: median " << BenchTiming::median(firstFrame)
        << " ms, worst " << *std::max_element(firstFrame.begin(), firstFrame.end())
        << " ms (target 500 ms)\n";
    out << "camera stopped when the section was left: " << (stoppedAtOnce ? "at once" : "NO") << '\n';
    out << "own camera use ended after leaving: median " << BenchTiming::median(released) << " ms, worst "
        << *std::max_element(released.begin(), released.end()) << " ms (camera held at most 2000 ms)\n";
    return 0;
}
