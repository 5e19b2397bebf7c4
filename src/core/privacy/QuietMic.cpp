#include "QuietMic.h"

#include "ConditionWait.h"
#include "DefaultsStore.h"
#include "Text.h"

#include <QPointer>

namespace QuietMic {

QString describe(const QuietMicProblem &problem)
{
    using Code = QuietMicProblem::Code;
    const auto setting = [&problem](const QString &why) {
        return Text::tr("The quiet microphone’s setting in %1 could not be changed: %2")
            .arg(problem.path, why);
    };
    switch (problem.code) {
    case Code::None:
        return QString();
    case Code::NoServer:
        return Text::tr("No audio server is running, so the quiet microphone could not be added.");
    case Code::ServerLost:
        return Text::tr("The audio server went away while the quiet microphone was being added.");
    case Code::ModuleRefused:
        return Text::tr("The audio server could not add the quiet microphone: %1").arg(problem.detail);
    case Code::FileNotRead:
    case Code::FileNotWritten:
        return setting(problem.detail);
    case Code::FileNotRemoved:
        return setting(Text::tr("it cannot be removed"));
    case Code::NoStartupScript:
        return setting(
            Text::tr("it was started without a startup script, so it keeps nothing for its next start"));
    case Code::FolderUnknown:
        return setting(Text::tr("its configuration folder is not known"));
    }
    return QString();
}

bool isInstalled(const QuietMicDriver &driver)
{
    return driver.isInstalled();
}

void install(QuietMicDriver &driver, QObject *context, std::function<void(const Result &)> finished)
{
    driver.start();
    const QPointer<QObject> guard(context);
    driver.install([&driver, guard, finished](const QuietMicProblem &problem) {
        if (!guard)
            return;
        if (problem.failed()) {
            finished(Failure{Failure::Kind::Failed, describe(problem)});
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
                    finished(Failure{
                        Failure::Kind::Failed,
                        Text::tr("The quiet microphone was copied but the system hasn’t loaded it yet. "
                                 "Restart the computer if it doesn’t appear.")});
            })
            ->recheckOn(&driver, &QuietMicDriver::changed);
    });
}

Result remove(QuietMicDriver &driver)
{
    driver.start();
    const QuietMicProblem problem = driver.remove();
    if (!problem.failed())
        return std::nullopt;
    return Failure{Failure::Kind::Failed, describe(problem)};
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
