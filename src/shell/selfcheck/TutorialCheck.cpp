#include "TutorialCheck.h"

#include "DefaultsStore.h"
#include "Halo.h"
#include "HaloView.h"
#include "HubPanel.h"
#include "MainMenu.h"
#include "Report.h"
#include "SelfCheckWait.h"
#include "SensorHistory.h"
#include "SensorModel.h"
#include "Settings.h"
#include "TarnwickWindow.h"
#include "Tutorial.h"
#include "TutorialView.h"
#include "Windows.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>

namespace TutorialCheck {

namespace {

constexpr int timeoutMs = 5000;
const QString welcome = QStringLiteral("welcome");

TutorialView *view(const App &app)
{
    QMainWindow *window = app.windows.window(welcome);
    return window ? qobject_cast<TutorialView *>(window->centralWidget()) : nullptr;
}

bool isOpen(const App &app)
{
    const TutorialView *shown = view(app);
    return shown && shown->isVisible();
}

bool press(const App &app, QPushButton *(TutorialView::*button)() const)
{
    TutorialView *shown = view(app);
    QPushButton *target = shown ? (shown->*button)() : nullptr;
    if (!target || !target->isVisible())
        return false;
    target->click();
    return true;
}

// A shown button's title; none when the button or the window is not shown.
QString buttonText(const App &app, QPushButton *(TutorialView::*button)() const)
{
    const TutorialView *shown = view(app);
    const QPushButton *target = shown ? (shown->*button)() : nullptr;
    return target && target->isVisible() ? target->text() : QString();
}

bool waitFor(const std::function<bool()> &done)
{
    // A window closed by a press made here, outside the wait's own event
    // loop, would be deleted only after the whole check.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return SelfCheckWait::until(done, timeoutMs);
}

// What the history holds, to tell whether anything was written.
struct Recorded {
    qsizetype sessions;
    QDateTime fileTime;
    friend bool operator==(const Recorded &, const Recorded &) = default;
};

Recorded recorded(SensorModel &sensors)
{
    return {sensors.history().sessions().size(), QFileInfo(sensors.history().filePath()).lastModified()};
}

} // namespace

int run(Report &report, const App &app)
{
    using Step = Tutorial::Step;
    report.check(!app.settings.tutorialSeen.value(),
                 QStringLiteral("a fresh install hasn't seen the tutorial"));
    const Recorded before = recorded(app.sensors);

    app.actions.showTutorial();
    report.check(waitFor([&app] { return isOpen(app); }), QStringLiteral("the tutorial window opens"));
    report.check(app.tutorial.running() && app.tutorial.step() == Step::Camera,
                 QStringLiteral("it starts at the camera step"));

    press(app, &TutorialView::primary);
    report.check(waitFor([&app] { return app.halo.camera() && app.halo.isVisible(); }),
                 QStringLiteral("Show Me lights the halo"));
    const QString sample = Tutorial::cameraSample().name;
    const bool named =
        waitFor([&app, &sample] { return app.halo.banner() && app.halo.banner()->title.contains(sample); });
    report.check(named, QStringLiteral("the banner names the sample app (") + sample + QLatin1Char(')'));
    report.check(recorded(app.sensors) == before, QStringLiteral("the sample is not recorded"));

    press(app, &TutorialView::primary); // Next
    press(app, &TutorialView::primary); // Show Me
    report.check(app.tutorial.step() == Step::Microphone &&
                     waitFor([&app] { return app.halo.mic() && !app.halo.camera() && app.halo.isVisible(); }),
                 QStringLiteral("the microphone step shows the blue microphone"));

    press(app, &TutorialView::primary); // Next
    press(app, &TutorialView::primary); // Open the Panel for Me
    report.check(app.tutorial.step() == Step::Hub && waitFor([&app] { return app.panel.isOpen(); }),
                 QStringLiteral("the hub step opens the hub"));
    // Once more, with the user opening the hub.
    app.panel.close();
    press(app, &TutorialView::backButton);
    press(app, &TutorialView::nextButton); // on without showing the microphone again
    const bool waiting = app.tutorial.step() == Step::Hub && !app.tutorial.shown();
    app.panel.open();
    report.check(waiting && app.tutorial.shown() &&
                     buttonText(app, &TutorialView::primary) == QStringLiteral("Next"),
                 QStringLiteral("opening the hub completes the step"));
    app.panel.close();

    press(app, &TutorialView::primary); // Next
    report.check(app.tutorial.step() == Step::Toggle && buttonText(app, &TutorialView::skip).isNull(),
                 QStringLiteral("the last step"));
    press(app, &TutorialView::backButton);
    const bool skipped =
        press(app, &TutorialView::skip) && waitFor([&app] { return !app.windows.window(welcome); });
    report.check(skipped, QStringLiteral("Skip closes the window"));
    report.check(app.settings.tutorialSeen.value() && !app.tutorial.running(),
                 QStringLiteral("it is remembered as seen"));
    const SensorState &now = app.sensors.state();
    const bool gone = !app.sensors.simulating() && !now.cameraUsers.contains(Tutorial::cameraSample()) &&
                      !now.micUsers.contains(Tutorial::microphoneSample()) && !app.halo.banner();
    report.check(gone, QStringLiteral("the sample is gone after the tutorial (camera ") +
                           (now.cameraOn ? QStringLiteral("on") : QStringLiteral("off")) +
                           QStringLiteral(", microphone ") +
                           (now.micOn ? QStringLiteral("on") : QStringLiteral("off")) + QLatin1Char(')'));
    // What the next launch reads.
    const DefaultsStore stored(app.settings.store().filePath());
    report.check(stored.boolValue(QStringLiteral("TutorialSeen")) || !app.settings.store().isPersistent(),
                 QStringLiteral("not shown at the next launch"));

    TarnwickWindow probe;
    MainMenu::build(probe, app.actions, [] {});
    QAction *again = nullptr;
    for (const QAction *menu : probe.menuBar()->actions()) {
        for (QAction *item : menu->menu()->actions()) {
            if (menu->text() == QStringLiteral("Help") && item->text() == QStringLiteral("Show Tutorial"))
                again = item;
        }
    }
    if (!again) {
        report.fail(QStringLiteral("Help › Show Tutorial missing"));
    } else {
        again->trigger();
        report.check(waitFor([&app] { return isOpen(app); }) && app.tutorial.running() &&
                         app.tutorial.step() == Step::Camera,
                     QStringLiteral("Help › Show Tutorial starts it again"));
        app.windows.close(welcome);
        waitFor([&app] { return !app.windows.window(welcome); });
    }
    return report.finish();
}

} // namespace TutorialCheck
