// The settings window's form: every control writes its setting the moment it
// changes, shows a change made elsewhere, and the few actions reach the
// switch, the autostart entry and the shelf.
#include "Autostart.h"
#include "DefaultsStore.h"
#include "PrivacySwitch.h"
#include "Settings.h"
#include "SettingsView.h"
#include "ShelfStore.h"
#include "SimAutostartService.h"
#include "SimCameraPermissionStore.h"
#include "SimFileManager.h"
#include "SimQuietMicDriver.h"
#include "SimShelfFileSystem.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QJsonArray>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

AppInfo whiteNoiseBuild()
{
    AppInfo info{QStringLiteral("dev.orvane.Tarnwick"), QStringLiteral("1.0"), {}, true, false};
    return info;
}

} // namespace

// Everything the form works on, with the store in a real file.
struct Form {
    QTemporaryDir dir;
    DefaultsStore defaults{dir.filePath(QStringLiteral("settings.json"))};
    Settings settings{defaults};
    SimQuietMicDriver quietMic;
    PrivacySwitch privacy{settings, whiteNoiseBuild(), PrivacyServices{nullptr, &quietMic, {}, {}}};
    SimAutostartService autostartService;
    Autostart autostart{autostartService, settings, whiteNoiseBuild()};
    std::shared_ptr<SimCameraPermissionStore> cameraApps = std::make_shared<SimCameraPermissionStore>();
    SimShelfFileSystem shelfFiles;
    ShelfStore shelf{QString(), dir.filePath(QStringLiteral("Shelf")), shelfFiles, {}};
    SimFileManager fileManager;
    int tutorials = 0;
    int histories = 0;
    std::unique_ptr<SettingsView> view;

    explicit Form(bool hasCutout = true)
    {
        cameraApps->addApp({QStringLiteral("us.zoom.Zoom"), QStringLiteral("Zoom")});
        cameraApps->addApp({QStringLiteral("com.google.Chrome"), QStringLiteral("Google Chrome")});
        privacy.start();
        view = std::make_unique<SettingsView>(SettingsView::Services{
            settings, privacy, autostart, cameraApps, [this]() -> ShelfStore & { return shelf; }, fileManager,
            hasCutout, [this] { ++tutorials; }, [this] { ++histories; }});
    }
    // The form as a fresh read of the settings file sees it.
    QJsonValue stored(const QString &key) const { return DefaultsStore(defaults.filePath()).value(key); }
    QCheckBox *toggle(const QString &text) const
    {
        for (QCheckBox *box : view->findChildren<QCheckBox *>()) {
            if (box->text() == text)
                return box;
        }
        return nullptr;
    }
    QPushButton *button(const QString &text) const
    {
        for (QPushButton *button : view->findChildren<QPushButton *>()) {
            if (button->text() == text)
                return button;
        }
        return nullptr;
    }
};

class TestSettingsView : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A build without an update feed makes no connection, and must not claim one.
    void privacyClaimsOnlyTheConnectionsMade()
    {
        Form form;
        QStringList texts;
        for (const QLabel *label : form.view->findChildren<QLabel *>())
            texts.append(label->text());
        QVERIFY(texts.join(QLatin1Char('\n')).contains(QStringLiteral("no connection of its own")));
        QVERIFY(!texts.join(QLatin1Char('\n')).contains(QStringLiteral("update check")));
    }

    void eachToggleIsItsSetting_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("byDefault");
        QTest::newRow("hover") << "Open the panel when the pointer rests on the notch"
                               << "OpenOnHover" << true;
        QTest::newRow("camera halo") << "Green halo while the camera is on"
                                     << "HaloCamera" << true;
        QTest::newRow("microphone halo") << "Blue microphone while an app listens"
                                         << "HaloMic" << true;
        QTest::newRow("announce") << "Say which app it is"
                                  << "Announce" << true;
        QTest::newRow("auto-quit") << "Quit any app that tries to use it"
                                   << "AutoQuitWhenOff" << false;
        QTest::newRow("recommendations") << "Show apps from the makers of Tarnwick"
                                         << "ShowRecommendations" << true;
    }
    // Clicked: stored at once; changed elsewhere (the hub): shown at once.
    void eachToggleIsItsSetting()
    {
        QFETCH(QString, text);
        QFETCH(QString, key);
        QFETCH(bool, byDefault);
        Form form;
        QCheckBox *toggle = form.toggle(text);
        QVERIFY(toggle);
        QCOMPARE(toggle->isChecked(), byDefault);
        toggle->click();
        QCOMPARE(form.stored(key), QJsonValue(!byDefault));
        auto *setting = [&]() -> Setting<bool> * {
            for (Setting<bool> *s : {&form.settings.openOnHover, &form.settings.haloForCamera,
                                     &form.settings.haloForMic, &form.settings.announce,
                                     &form.settings.autoQuitWhenOff, &form.settings.showRecommendations})
                if (s->key() == key)
                    return s;
            return nullptr;
        }();
        QVERIFY(setting);
        setting->set(byDefault);
        QCOMPARE(toggle->isChecked(), byDefault);
    }

    void hoverNeedsAHousing()
    {
        Form withNone(false);
        QVERIFY(!withNone.view->hoverToggle());
        QVERIFY(!withNone.toggle(QStringLiteral("Open the panel when the pointer rests on the notch")));
    }

    void loginFollowsTheSystem()
    {
        Form form;
        QCheckBox *login = form.view->loginToggle();
        QVERIFY(!login->isChecked());
        login->click();
        QVERIFY(form.autostartService.isRegistered());
        QVERIFY(login->isChecked());
        login->click();
        // A refused registration flips the toggle back.
        form.autostartService.failWith = QStringLiteral("no autostart folder");
        login->click();
        QVERIFY(!form.autostartService.isRegistered());
        QVERIFY(!login->isChecked());
    }

    void trustedAppsAreTheAllowList()
    {
        Form form;
        QSignalSpy listed(form.view.get(), &SettingsView::cameraAppsShown);
        QVERIFY(listed.wait());
        const QList<QCheckBox *> apps = form.view->trustedToggles();
        QCOMPARE(apps.size(), 2);
        QCOMPARE(apps[0]->text(), QStringLiteral("Google Chrome")); // by name
        form.settings.allowList.set({QStringLiteral("a.Other")});
        apps[1]->click();
        apps[0]->click();
        QCOMPARE(form.stored(QStringLiteral("AllowList")),
                 QJsonValue(QJsonArray({"a.Other", "com.google.Chrome", "us.zoom.Zoom"})));
        apps[1]->click();
        QCOMPARE(form.stored(QStringLiteral("AllowList")),
                 QJsonValue(QJsonArray({"a.Other", "com.google.Chrome"})));
        form.settings.allowList.set({});
        QVERIFY(!apps[0]->isChecked());
    }

    // White noise without the quiet microphone asks for it; once added it can
    // be removed, which puts the choice back to silence.
    void theQuietMicrophoneComesAndGoes()
    {
        Form form;
        QComboBox *picker = form.view->micSoundPicker();
        QVERIFY(!form.view->installButton()->isVisibleTo(form.view.get()));
        picker->setCurrentIndex(1);
        Q_EMIT picker->activated(1);
        QCOMPARE(form.stored(QStringLiteral("MicSound")), QJsonValue(QStringLiteral("whiteNoise")));
        QVERIFY(form.view->installButton()->isVisibleTo(form.view.get()));
        QVERIFY(!form.view->removeButton()->isVisibleTo(form.view.get()));

        form.view->installButton()->click();
        QVERIFY(!form.view->installButton()->isVisibleTo(form.view.get()));
        QVERIFY(form.view->removeButton()->isVisibleTo(form.view.get()));
        QCOMPARE(form.view->message()->text(), QStringLiteral("White noise is ready."));

        form.view->removeButton()->click();
        QVERIFY(!form.view->removeButton()->isVisibleTo(form.view.get()));
        QCOMPARE(picker->currentIndex(), 0);
        QCOMPARE(form.stored(QStringLiteral("MicSound")), QJsonValue(QStringLiteral("silence")));
    }

    void actionsReachTheirOwners()
    {
        Form form;
        form.button(QStringLiteral("Show Tutorial"))->click();
        form.button(QStringLiteral("Camera && Microphone History…"))->click();
        QCOMPARE(form.tutorials, 1);
        QCOMPARE(form.histories, 1);
        form.button(QStringLiteral("Show That Folder"))->click();
        QCOMPARE(form.fileManager.opened, QList<QByteArray>{QFile::encodeName(form.shelf.ownCopiesFolder())});
        QVERIFY(QFileInfo(form.shelf.ownCopiesFolder()).isDir());
    }
};

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TestSettingsView test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_settings_view.moc"
