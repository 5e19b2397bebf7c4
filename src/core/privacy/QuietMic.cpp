#include "QuietMic.h"

#include "ConditionWait.h"
#include "DefaultsStore.h"
#include "Text.h"

#include <QPointer>

namespace QuietMic {

bool isInstalled(const QuietMicDriver &driver)
{
    return driver.isInstalled();
}

void install(QuietMicDriver &driver, QObject *context, std::function<void(const Result &)> finished)
{
    driver.start();
    const QPointer<QObject> guard(context);
    driver.install([&driver, guard, finished](const QString &error) {
        if (!guard)
            return;
        if (!error.isEmpty()) {
            finished(Failure{Failure::Kind::Failed, error});
            return;
        }
        if (driver.isInstalled()) {
            finished(std::nullopt);
            return;
        }
        // The server took it; wait for it to show up among the inputs.
        ConditionWait::start(
            guard.data(), loadWaitMs, [&driver] { return driver.isInstalled(); },
            [finished](bool listed) {
                if (listed)
                    finished(std::nullopt);
                else
                    finished(Failure{Failure::Kind::Failed,
                                     L("The quiet microphone was copied but the system hasn’t loaded it yet. "
                                       "Restart the computer if it doesn’t appear.")});
            })
            ->recheckOn(&driver, &QuietMicDriver::changed);
    });
}

Result remove(QuietMicDriver &driver)
{
    driver.start();
    const QString error = driver.remove();
    if (error.isEmpty())
        return std::nullopt;
    return Failure{Failure::Kind::Failed, error};
}

bool activate(QuietMicDriver &driver, DefaultsStore &defaults)
{
    if (!driver.isInstalled())
        return false;
    const QString current = driver.defaultInput();
    // When the quiet microphone is the default already, the first remembered input stays.
    if (!current.isEmpty() && current != QLatin1String(uid))
        defaults.setValue(QLatin1String(previousDefaultKey), current);
    driver.setNoise(true);
    return driver.setDefaultInput(QLatin1String(uid));
}

void deactivate(QuietMicDriver &driver, DefaultsStore &defaults)
{
    if (!driver.isAvailable())
        return;
    driver.setNoise(false);
    const QString previous = defaults.stringValue(QLatin1String(previousDefaultKey));
    if (driver.isInstalled() && driver.defaultInput() == QLatin1String(uid) && !previous.isEmpty() &&
        driver.hasInput(previous))
        driver.setDefaultInput(previous);
    defaults.remove(QLatin1String(previousDefaultKey));
}

} // namespace QuietMic
