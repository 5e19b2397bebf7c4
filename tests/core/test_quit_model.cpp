#include "QuitModel.h"
#include "Quitter.h"
#include "RunningApps.h"
#include "Settings.h"
#include "SimAppProcesses.h"
#include "SimAppWindows.h"
#include "SimPinnedApp.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class TestQuitModel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void keepAndPresetAreRemembered()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("settings.json"));
        {
            DefaultsStore store(file);
            store.setValue(QStringLiteral("QuitPreset"), QStringLiteral("holidays"));
            Settings settings(store);
            Fixture fixture(settings);
            QCOMPARE(fixture.model.preset(), QuitPreset::Everything);
            // Largest first: the game, then the editor.
            fixture.model.setWillQuit(1, false);
            fixture.model.setPreset(QuitPreset::Work);
            // The preset keeps the editor anyway: ticking it changes nothing.
            fixture.model.setWillQuit(1, true);
            QVERIFY(!fixture.model.willQuit(fixture.model.apps().at(1)));
            fixture.model.setPreset(QuitPreset::Everything);
            fixture.model.setWillQuit(0, false);
        }
        DefaultsStore store(file);
        Settings settings(store);
        Fixture fixture(settings);
        QCOMPARE(fixture.model.preset(), QuitPreset::Everything);
        QCOMPARE(settings.quitKeep.value(), QStringList{QStringLiteral("org.example.Game")});
        QCOMPARE(fixture.model.buttonTitle(), QStringLiteral("Quit 1 App · frees 100 MB of memory"));
    }

    void quitRunAndForce()
    {
        DefaultsStore store;
        Settings settings(store);
        Fixture fixture(settings);
        QSignalSpy busy(&fixture.model, &QuitModel::busyChanged);
        fixture.quitter.setTimeLimit(std::chrono::milliseconds(50));
        fixture.model.quitAll();
        QCOMPARE(fixture.model.phase(), QuitModel::Phase::Quitting);
        QCOMPARE(fixture.model.buttonTitle(), QStringLiteral("Closing… 0 of 2"));
        QVERIFY(!fixture.model.canQuit());
        // The editor closes its window and ends; the game refuses.
        QCOMPARE(fixture.windows.closed, (QList<quint32>{2, 1}));
        fixture.editor->end();
        QTRY_COMPARE(fixture.model.phase(), QuitModel::Phase::Done);
        QCOMPARE(busy.size(), 2);
        QCOMPARE(fixture.model.report().headline(), QStringLiteral("Closed 1 app, freed 100 MB"));

        // Shown again while the result is up: the result stays.
        fixture.model.refresh();
        QCOMPARE(fixture.model.phase(), QuitModel::Phase::Done);
        fixture.model.forceQuit(fixture.model.report().stillOpen.constFirst());
        QVERIFY(!fixture.game->running());
        QCOMPARE(fixture.model.report().closed.size(), 2);
        QVERIFY(fixture.model.report().stillOpen.isEmpty());
        fixture.model.done();
        QCOMPARE(fixture.model.phase(), QuitModel::Phase::Ready);
    }

private:
    struct Fixture {
        explicit Fixture(Settings &settings)
            : model(settings, running, quitter)
        {
            windows.shown = {{1, 10, {}, AppWindows::Kind::Normal}, {2, 20, {}, AppWindows::Kind::Normal}};
            processes->running = {{10, "Editor", "org.example.Editor", {}, {"TextEditor"}, 100 << 20, editor},
                                  {20, "Game", "org.example.Game", {}, {"Game"}, 300 << 20, game}};
            QSignalSpy listed(&running, &RunningApps::listed);
            model.refresh();
            listed.wait();
        }
        std::shared_ptr<SimPinnedApp> editor = std::make_shared<SimPinnedApp>(QList<qint32>{10}, false);
        std::shared_ptr<SimPinnedApp> game = std::make_shared<SimPinnedApp>(QList<qint32>{20}, false);
        SimAppWindows windows;
        std::shared_ptr<SimAppProcesses> processes = std::make_shared<SimAppProcesses>();
        RunningApps running{windows, processes, 1};
        Quitter quitter{windows};
        QuitModel model;
    };
};

QTEST_GUILESS_MAIN(TestQuitModel)
#include "test_quit_model.moc"
