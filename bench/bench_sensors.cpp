// How quickly the sensor backends notice a use, against a real PulseAudio
// daemon of its own, real recording clients, and real processes opening a
// stand-in camera node (needs root for mknod). Prints median and p95.
//
//   bench_sensors [rounds]

#include "BenchTiming.h"
#include "ChildProcess.h"
#include "LinuxCameraClientFinder.h"
#include "PrivatePulseServer.h"
#include "PulseAudioCaptureSource.h"
#include "PulseConnection.h"
#include "V4l2CameraDeviceSource.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

using BenchTiming::nowMs;
using BenchTiming::whenTrue;

// "word <ns>" printed by the helpers: the moment in milliseconds.
double stampOf(const QByteArray &line)
{
    return line.split(' ').value(1).toDouble() / 1e6;
}

void report(const char *what, QList<double> samples, const char *note = "")
{
    if (samples.isEmpty()) {
        std::printf("%-52s no samples %s\n", what, note);
        return;
    }
    std::sort(samples.begin(), samples.end());
    const double median = samples.at(samples.size() / 2);
    const double p95 = samples.at(std::min<qsizetype>(samples.size() - 1, qsizetype(samples.size() * 0.95)));
    std::printf("%-52s median %7.1f ms   p95 %7.1f ms   (n=%lld) %s\n", what, median, p95,
                static_cast<long long>(samples.size()), note);
}

bool hasCapture(const AudioCaptureSource &source, qint32 pid)
{
    const QList<AudioCapture> captures = source.captures();
    return std::any_of(captures.begin(), captures.end(), [&](const AudioCapture &c) { return c.pid == pid; });
}

void benchAudio(int rounds)
{
    PrivatePulseServer server;
    const QString error = server.start();
    if (!error.isEmpty()) {
        std::printf("audio: skipped (%s)\n", qPrintable(error));
        return;
    }
    PulseConnection connection(server.address());
    PulseAudioCaptureSource source(connection);
    source.start();
    whenTrue(&connection, &PulseConnection::ready, [&] { return connection.isReady(); });

    QList<double> fromStreamReady, fromClientStart, fromParecordStart, toGone;
    for (int i = 0; i < rounds; ++i) {
        const double started = nowMs();
        ChildProcess client(QStringLiteral(PULSE_RECORD_CLIENT), {}, server.clientEnvironment());
        const qint32 pid = client.pid();
        const double seen =
            whenTrue(&source, &AudioCaptureSource::capturesChanged, [&] { return hasCapture(source, pid); });
        const QByteArray ready = client.nextLine();
        if (seen < 0 || !ready.startsWith("ready"))
            continue;
        fromStreamReady.append(seen - stampOf(ready));
        fromClientStart.append(seen - started);
        client.kill();
        const double killed = nowMs();
        const double gone =
            whenTrue(&source, &AudioCaptureSource::capturesChanged, [&] { return !hasCapture(source, pid); });
        if (gone >= 0)
            toGone.append(gone - killed);

        const double parecordStarted = nowMs();
        ChildProcess parecord(QStringLiteral("parecord"),
                              {QStringLiteral("--raw"), QStringLiteral("-d"), QStringLiteral("rig_source"),
                               QStringLiteral("/dev/null")},
                              server.clientEnvironment());
        const qint32 parecordPid = parecord.pid();
        const double parecordSeen = whenTrue(&source, &AudioCaptureSource::capturesChanged,
                                             [&] { return hasCapture(source, parecordPid); });
        if (parecordSeen >= 0)
            fromParecordStart.append(parecordSeen - parecordStarted);
        parecord.kill();
        whenTrue(&source, &AudioCaptureSource::capturesChanged,
                 [&] { return !hasCapture(source, parecordPid); });
    }
    report("mic: stream ready (client's clock) -> capturesChanged", fromStreamReady);
    report("mic: test client started -> capturesChanged", fromClientStart, "(includes process start)");
    report("mic: parecord started -> capturesChanged", fromParecordStart, "(includes process start)");
    report("mic: client killed -> capture gone", toGone);
}

void benchCamera(int rounds)
{
    QTemporaryDir root;
    const QString node = root.filePath(QStringLiteral("video0"));
    if (mknod(QFile::encodeName(node).constData(), S_IFCHR | 0666, makedev(1, 7)) != 0) {
        std::printf("camera: skipped (mknod needs root)\n");
        return;
    }
    const CameraNodeScan scan(root.path(), CameraNodeScan::NodeCheck::AnyCharacterDevice);
    V4l2CameraDeviceSource source(scan);
    source.start();
    const LinuxCameraClientFinder finder(scan);

    QList<double> toRunning, toStopped, finderTimes, scanTimes;
    for (int i = 0; i < rounds; ++i) {
        ChildProcess app(QStringLiteral(DEVICE_HOLDER), {node});
        const QByteArray opened = app.nextLine();
        const double on = whenTrue(&source, &CameraDeviceSource::runningChanged,
                                   [&] { return source.isAnyCameraRunning(); });
        if (on < 0 || !opened.startsWith("open"))
            continue;
        toRunning.append(on - stampOf(opened));

        const double asked = nowMs();
        const QList<ClientClaim> clients = finder.clients({});
        if (clients.contains(ClientClaim{qint32(app.pid()), qint32(app.pid()), {}, {}, {}}))
            finderTimes.append(nowMs() - asked);

        QElapsedTimer scanClock;
        scanClock.start();
        scan.holders(scan.nodes(), 0);
        scanTimes.append(double(scanClock.nsecsElapsed()) / 1e6);

        app.writeLine({});
        const QByteArray closed = app.nextLine();
        const double closedAt = nowMs();
        const double off = whenTrue(&source, &CameraDeviceSource::runningChanged,
                                    [&] { return !source.isAnyCameraRunning(); });
        if (off >= 0 && closed == "closed")
            toStopped.append(off - closedAt);
        app.finish();
    }
    const QByteArray delay = QByteArray::number(qint64(V4l2CameraDeviceSource::defaultConfirmDelay.count()));
    report("camera: node opened -> runningChanged(on)", toRunning,
           ("(includes the " + delay + " ms probe delay)").constData());
    report("camera: node closed -> runningChanged(off)", toStopped);
    report("camera: running -> finder names the client", finderTimes);
    report("camera: one holder scan of /proc", scanTimes);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 20;
    benchAudio(rounds);
    benchCamera(rounds);
    return 0;
}
