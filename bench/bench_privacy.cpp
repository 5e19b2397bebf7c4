// The privacy switch against a real PulseAudio daemon of its own:
//  - how quickly the guard silences an input again after an app raised it
//    (the app is a second connection in this process, which also watches);
//  - how long turnOn takes to silence eight inputs;
//  - what the quiet microphone's white noise costs this process.
// Prints median and p95.
//
//   bench_privacy [rounds]

#include "BenchTiming.h"
#include "DefaultsStore.h"
#include "MicGuard.h"
#include "PrivatePulseServer.h"
#include "ProcSelfUsage.h"
#include "PulseConnection.h"
#include "PulseInputDeviceControl.h"
#include "PulseQuietMicDriver.h"
#include "QuietMic.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

using BenchTiming::nowMs;
using BenchTiming::whenTrue;

void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void print(const char *what, QList<double> samples, const char *unit = "ms")
{
    samples.removeIf([](double v) { return v < 0; });
    if (samples.isEmpty()) {
        std::printf("%-48s no result\n", what);
        return;
    }
    std::sort(samples.begin(), samples.end());
    const double median = samples.at(samples.size() / 2);
    const double p95 = samples.at(std::min<qsizetype>(samples.size() - 1, qsizetype(samples.size() * 0.95)));
    std::printf("%-48s median %7.2f %s   p95 %7.2f %s   (%lld rounds)\n", what, median, unit, p95, unit,
                static_cast<long long>(samples.size()));
}

std::optional<InputDevice> find(const InputDeviceControl &inputs, const QString &uid)
{
    for (const InputDevice &d : inputs.devices()) {
        if (d.uid == uid)
            return d;
    }
    return std::nullopt;
}

bool allSilent(const InputDeviceControl &inputs, int expected)
{
    const QList<InputDevice> devices = inputs.devices();
    return devices.size() == expected && std::all_of(devices.cbegin(), devices.cend(), MicGuard::isSilent);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;
    PrivatePulseServer server;
    const QString error = server.start();
    if (!error.isEmpty()) {
        std::fprintf(stderr, "bench_privacy: %s\n", qPrintable(error));
        return 1;
    }
    for (int i = 1; i < 8; ++i)
        server.pactl({QStringLiteral("load-module"), QStringLiteral("module-null-source"),
                      QStringLiteral("source_name=mic%1").arg(i), QStringLiteral("channels=2")});

    DefaultsStore defaults;
    PulseConnection guardConnection(server.address());
    PulseInputDeviceControl guardInputs(guardConnection);
    MicGuard guard(defaults, guardInputs);
    PulseConnection appConnection(server.address());
    PulseInputDeviceControl app(appConnection);
    guardInputs.start();
    app.start();
    const auto eightSeen = [&] { return guardInputs.devices().size() == 8 && app.devices().size() == 8; };
    if (whenTrue(&app, &InputDeviceControl::devicesChanged, eightSeen) < 0 &&
        whenTrue(&guardInputs, &InputDeviceControl::devicesChanged, eightSeen) < 0) {
        std::fprintf(stderr, "bench_privacy: the eight inputs did not show\n");
        return 1;
    }

    // turnOn with eight inputs: until the server holds every one silent.
    QList<double> turnOn;
    for (int round = 0; round < std::max(5, rounds / 5); ++round) {
        const double start = nowMs();
        guard.turnOn();
        turnOn.append(whenTrue(&app, &InputDeviceControl::devicesChanged, [&] { return allSilent(app, 8); }) -
                      start);
        guard.turnOff();
        whenTrue(&app, &InputDeviceControl::devicesChanged, [&] {
            const QList<InputDevice> devices = app.devices();
            return std::none_of(devices.cbegin(), devices.cend(), MicGuard::isSilent);
        });
        runFor(50); // the guard's last confirmations
    }
    print("turnOn, 8 inputs, until all silent", turnOn);

    // An app unmutes an input and turns it up; the guard puts it back to zero.
    guard.turnOn();
    whenTrue(&app, &InputDeviceControl::devicesChanged, [&] { return allSilent(app, 8); });
    QList<double> again;
    const QString target = QStringLiteral("rig_source");
    for (int round = 0; round < rounds; ++round) {
        const double start = nowMs();
        app.setMute(target, false);
        app.setVolumes(target, {InputDevice::volumeNorm / 2, InputDevice::volumeNorm / 2});
        // The app's own view shows its write at once; silence comes back from the guard.
        again.append(
            whenTrue(
                &app, &InputDeviceControl::devicesChanged,
                [&] {
                    const std::optional<InputDevice> d = find(app, target);
                    return d && d->volumes == QList<quint32>({0, 0}) && d->mute == std::optional<bool>(true);
                }) -
            start);
    }
    print("raised volume back at 0", again);
    guard.turnOff();

    // White noise into the quiet microphone: this process's processor time.
    QTemporaryDir config;
    PulseQuietMicDriver driver(guardConnection, config.path());
    driver.start();
    whenTrue(&driver, &QuietMicDriver::changed, [&] { return driver.isAvailable(); });
    bool installed = false;
    driver.install([&installed](const QuietMicProblem &problem) { installed = !problem.failed(); });
    whenTrue(&driver, &QuietMicDriver::changed, [&] { return installed && driver.isInstalled(); });
    const ProcSelfUsage usage;
    const int seconds = 10;
    const ProcessUsageSample idleStart = usage.sample();
    runFor(seconds * 1000);
    const ProcessUsageSample idleEnd = usage.sample();
    QuietMic::activate(driver, defaults);
    runFor(500);
    const ProcessUsageSample noiseStart = usage.sample();
    runFor(seconds * 1000);
    const ProcessUsageSample noiseEnd = usage.sample();
    const double idlePercent = 100.0 * (idleEnd.cpuSeconds - idleStart.cpuSeconds) / seconds;
    const double noisePercent = 100.0 * (noiseEnd.cpuSeconds - noiseStart.cpuSeconds) / seconds;
    std::printf("%-48s %.3f %% of one core (without noise %.3f %%), %.1f wakeups/s\n",
                driver.isNoisePlaying() ? "quiet microphone noise" : "quiet microphone noise (NOT PLAYING)",
                noisePercent, idlePercent, double(noiseEnd.wakeups - noiseStart.wakeups) / seconds);
    QuietMic::deactivate(driver, defaults);
    driver.remove();
    return 0;
}
