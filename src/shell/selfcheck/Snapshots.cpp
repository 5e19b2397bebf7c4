#include "Snapshots.h"

#include "AppsSection.h"
#include "Autostart.h"
#include "Banner.h"
#include "CheckedFile.h"
#include "DefaultsStore.h"
#include "Ecosystem.h"
#include "HaloGlyphs.h"
#include "HaloView.h"
#include "HistoryView.h"
#include "Hub.h"
#include "HubPanelRules.h"
#include "HubSections.h"
#include "HubState.h"
#include "HubView.h"
#include "LinuxShelfFileSystem.h"
#include "Mirror.h"
#include "MirrorSection.h"
#include "Notch.h"
#include "PrivacySection.h"
#include "PrivacySwitch.h"
#include "QuitModel.h"
#include "QuitSection.h"
#include "Quitter.h"
#include "Report.h"
#include "RunningApps.h"
#include "SamplePictureFeed.h"
#include "SelfCheckWait.h"
#include "SensorAnnouncer.h"
#include "SensorHistory.h"
#include "SensorModel.h"
#include "SensorWatcher.h"
#include "Settings.h"
#include "SettingsView.h"
#include "ShelfSection.h"
#include "ShelfStore.h"
#include "SiblingApps.h"
#include "SimAppProcesses.h"
#include "SimAppTerminator.h"
#include "SimAppWindows.h"
#include "SimAudioCaptureSource.h"
#include "SimAutostartService.h"
#include "SimCameraAccess.h"
#include "SimCameraClientFinder.h"
#include "SimCameraDeviceSource.h"
#include "SimCameraPermissionStore.h"
#include "SimColorPicker.h"
#include "SimDesktopAction.h"
#include "SimDesktopToggle.h"
#include "SimDiskEjector.h"
#include "SimFileManager.h"
#include "SimInstalledApps.h"
#include "SimPinnedApp.h"
#include "SimProcessDirectory.h"
#include "SimQuietMicDriver.h"
#include "SimVpnService.h"
#include "Thumbnails.h"
#include "TimerTask.h"
#include "Tools.h"
#include "ToolsSection.h"
#include "Tutorial.h"
#include "TutorialView.h"
#include "VpnList.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QEventLoop>
#include <QLinearGradient>
#include <QPainter>
#include <QPdfWriter>
#include <QStyle>
#include <QTemporaryDir>
#include <QTimer>

#include <optional>

namespace Snapshots {

namespace {

struct HaloScene {
    const char *name;
    bool camera;
    bool mic;
    std::optional<Banner> banner;
    QString fakeCutout; // empty: the run's own cutout
};

// The sample apps, announced by the same rules the running app uses.
struct SampleBanners {
    DefaultsStore defaults;
    Settings settings{defaults};
    SensorModel sensors{settings, nullptr};
    PrivacySwitch privacy{settings, AppInfo::compiledIn()};
    SensorAnnouncer announcer{
        sensors,
        settings,
        privacy,
        {[] { return false; }, [] { return false; }, [](const SensorUser &user) { return user.icon; }}};
    const SensorUser zoom{1, QStringLiteral("Zoom"), QStringLiteral("us.zoom.Zoom")};
    const SensorUser chrome{2, QStringLiteral("Google Chrome"), QStringLiteral("com.google.Chrome")};
    const SensorUser recorder{3, QStringLiteral("Sound Recorder"), QStringLiteral("org.gnome.SoundRecorder")};

    Banner camera() { return announcer.cameraBanner({zoom}); }
    Banner blocked()
    {
        privacy.setCameraOff(true);
        const Banner banner = announcer.cameraBanner({chrome});
        privacy.setCameraOff(false);
        return banner;
    }
    Banner mic()
    {
        privacy.setMicOff(true);
        const Banner banner = announcer.micBanner(recorder);
        privacy.setMicOff(false);
        return banner;
    }
    // A picked colour's note.
    static Banner note()
    {
        return Banner::note(Tools::copiedNote(QStringLiteral("#F58C29")), SrgbColor{0.96, 0.55, 0.16});
    }
};

// A plain desktop with a menu bar, so the glow has something to glow over.
void paintBackdrop(QPainter &painter, const QRect &area, double menuBarHeight)
{
    QLinearGradient desktop(area.topLeft(), area.bottomLeft());
    desktop.setColorAt(0, QColor(0x5b, 0x6e, 0x86));
    desktop.setColorAt(1, QColor(0x3a, 0x47, 0x5a));
    painter.fillRect(area, desktop);
    painter.fillRect(QRectF(area.left(), area.top(), area.width(), menuBarHeight),
                     QColor(236, 238, 242, 220));
}

QImage capture(HaloView &view, double menuBarHeight)
{
    const qreal scale = 2;
    QImage image(view.size() * scale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    QPainter painter(&image);
    paintBackdrop(painter, view.rect(), menuBarHeight);
    view.render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
    painter.end();
    return image;
}

// A widget as it would show, at twice the resolution.
QImage capture(QWidget &widget, QSize size)
{
    widget.setAttribute(Qt::WA_DontShowOnScreen);
    widget.resize(size);
    widget.show();
    // Content read on showing (the VPN list) answers on the next turn.
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    const qreal scale = 2;
    QImage image(size * scale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    widget.render(&painter, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
    painter.end();
    widget.hide();
    return image;
}

// Through the checked path: a full disk fails the check instead of leaving a cut-off picture.
bool savePng(const QImage &image, const QString &file)
{
    QBuffer png;
    png.open(QIODevice::WriteOnly);
    return !image.isNull() && image.save(&png, "PNG") && CheckedFile::write(file, png.data()).isEmpty();
}

void saveScene(Report &report, const QString &folder, const QString &name, const QImage &image)
{
    const QString file = QDir(folder).filePath(name + QStringLiteral(".png"));
    report.check(savePng(image, file), name + QStringLiteral(".png (") + QString::number(image.width() / 2) +
                                           QLatin1Char('x') + QString::number(image.height() / 2) +
                                           QLatin1Char(')'));
}

std::vector<std::unique_ptr<VpnService>> sampleVpn()
{
    auto office = std::make_unique<SimVpnService>();
    office->setService({{QStringLiteral("sim-office"), QStringLiteral("Office VPN"),
                         QStringLiteral("wireguard"), VpnConnection::Status::Connected}});
    std::vector<std::unique_ptr<VpnService>> sources;
    sources.push_back(std::move(office));
    return sources;
}

// A hub whose sensors show what they are told, for the hub's scenes.
struct SampleHub {
    SimAudioCaptureSource audio;
    SimCameraDeviceSource cameras;
    SimCameraClientFinder finder;
    SimProcessDirectory processes;
    SimQuietMicDriver quietMic;
    SimAppTerminator terminator;
    DefaultsStore defaults;
    Settings settings{defaults};
    Hub hub;
    VpnList vpns{sampleVpn()};

    explicit SampleHub(const AppInfo &info)
        : hub(settings, info,
              HubServices{
                  std::make_unique<SensorWatcher>(SensorWatcher::Sources{audio, cameras, finder, processes},
                                                  qint32(QCoreApplication::applicationPid())),
                  {},
                  &terminator,
                  PrivacyServices{nullptr, &quietMic, {}, {}},
                  {},
                  nullptr})
    {}
};

QPalette desktopPalette(bool dark)
{
    return dark ? QPalette(QColor(60, 60, 62), QColor(40, 40, 42)) : QApplication::style()->standardPalette();
}

// The hub open on the tab `state` names, under the desktop's light and dark
// colours ("<name>-light", "<name>-dark"): the hub stays dark either way.
void hubScenes(Report &report, const QString &folder, const Notch &notch, SensorModel &sensors,
               HubState &state, const HubSections &sections, const QString &name)
{
    const QPalette before = QApplication::palette();
    for (const bool dark : {false, true}) {
        QApplication::setPalette(desktopPalette(dark));
        HubView view(sensors, state, sections, qRound(notch.cutout.rect().height()),
                     notch.cutout.kind() == Cutout::Kind::Notch);
        saveScene(report, folder, name + (dark ? QStringLiteral("-dark") : QStringLiteral("-light")),
                  capture(view, view.size()));
    }
    QApplication::setPalette(before);
}

// The hub open on its privacy section during a call (camera and microphone
// in use, a voice memo listening too), white noise chosen but not installed;
// the same under the desktop's light and dark colours, as the hub stays dark.
void privacyScenes(Report &report, const QString &folder, const SampleBanners &samples, const Notch &notch)
{
    AppInfo info = AppInfo::compiledIn();
    info.offersWhiteNoiseSetting = true;
    SampleHub sample(info);
    sample.hub.privacy().setMicSound(PrivacySwitch::MicSound::WhiteNoise);
    sample.hub.sensors().setSimulating(true);
    sample.hub.sensors().watcher()->simulate(
        SensorState{true, true, {samples.zoom}, {samples.zoom, samples.recorder}});
    HubState state;
    HubSections sections;
    PrivacySection{sample.hub.sensors(),
                   sample.hub.privacy(),
                   sample.terminator,
                   qint32(QCoreApplication::applicationPid()),
                   {},
                   &sample.vpns,
                   [] {}}
        .addTo(sections);
    hubScenes(report, folder, notch, sample.hub.sensors(), state, sections, QStringLiteral("privacy"));
}

// The hub open on its quit section with five sample apps, one of them kept.
void quitScenes(Report &report, const QString &folder, const Notch &notch)
{
    SampleHub sample(AppInfo::compiledIn());
    SimAppWindows windows;
    RunningApps running(windows, std::make_shared<SimAppProcesses>(), 0);
    Quitter quitter(windows);
    QuitModel model(sample.settings, running, quitter);
    QList<AppEntry> apps;
    const QList<std::tuple<const char *, const char *, const char *, quint64>> examples{
        {"Google Chrome", "google-chrome", "google-chrome", quint64(1843) << 20},
        {"Visual Studio Code", "code", "com.visualstudio.code", quint64(962) << 20},
        {"Slack", "com.slack.Slack", "com.slack.Slack", quint64(618) << 20},
        {"Spotify", "com.spotify.Client", "com.spotify.Client", quint64(412) << 20},
        {"Document Viewer", "org.gnome.Evince", "org.gnome.Evince", quint64(86) << 20}};
    qint32 pid = 200;
    for (const auto &[name, appId, icon, memory] : examples)
        apps.append({++pid,
                     QString::fromUtf8(name),
                     QString::fromUtf8(appId),
                     QString::fromUtf8(icon),
                     memory,
                     {},
                     {}});
    model.setFixedApps(apps);
    sample.settings.quitKeep.set({QStringLiteral("org.gnome.Evince")});
    HubState state;
    state.setTab(HubTab::Quit);
    HubSections sections;
    QuitSection{model, quitter, sample.hub.sensors()}.addTo(sections);
    hubScenes(report, folder, notch, sample.hub.sensors(), state, sections, QStringLiteral("quit"));
}

// The hub open on its tools section: awake for the next hour, hidden files
// shown, the desktop light, and displays that cannot sleep here.
void toolsScenes(Report &report, const QString &folder, const Notch &notch)
{
    SampleHub sample(AppInfo::compiledIn());
    SimColorPicker picker;
    SimDesktopToggle icons;
    SimDesktopToggle awake;
    SimDesktopToggle dark;
    SimDesktopToggle hidden;
    SimDiskEjector disks;
    SimDesktopAction lock;
    SimDesktopAction sleep;
    sleep.missingHere = DesktopFacility::Missing::DisplayPower;
    const QDateTime now = QDateTime::currentDateTime();
    Tools tools({&picker, &icons, &awake, &dark, &hidden, &disks, &lock, &sleep},
                std::make_unique<TimerTask>(), [now] { return QDateTime(now.date(), QTime(14, 30)); });
    tools.setKeepAwake(true, std::chrono::hours(1));
    tools.setHiddenFilesShown(true);
    HubState state;
    state.setTab(HubTab::Tools);
    HubSections sections;
    ToolsSection{tools, [] {}}.addTo(sections);
    hubScenes(report, folder, notch, sample.hub.sensors(), state, sections, QStringLiteral("tools"));
}

// The hub open on its mirror, with a made-up camera's picture.
void mirrorScenes(Report &report, const QString &folder, const Notch &notch)
{
    SampleHub sample(AppInfo::compiledIn());
    SimCameraAccess access;
    Mirror mirror(
        access, [watcher = sample.hub.sensors().watcher()](bool inUse) { watcher->setOwnCameraUse(inUse); },
        std::make_unique<TimerTask>());
    HubState state;
    state.setTab(HubTab::Mirror);
    HubSections sections;
    MirrorSection{mirror, [] { return std::make_unique<SamplePictureFeed>(); }}.addTo(sections);
    hubScenes(report, folder, notch, sample.hub.sensors(), state, sections, QStringLiteral("mirror"));
}

// The hub open on its apps section: one of the maker's apps installed and
// running, with a door in the section row, and the others recommended.
void appsScenes(Report &report, const QString &folder, const Notch &notch)
{
    SampleHub sample(AppInfo::compiledIn());
    auto installed = std::make_shared<SimInstalledApps>();
    installed->installed.append(SimInstalledApps::withDoor(
        QStringLiteral("dev.orvane.Latchkey"), QStringLiteral("Latchkey"), QStringLiteral("latchkey")));
    installed->installed.first().icon = QStringLiteral("dialog-password");
    SimAppWindows windows;
    windows.shown.append({301, 301, QStringLiteral("Latchkey"), AppWindows::Kind::Normal});
    auto processes = std::make_shared<SimAppProcesses>();
    processes->running.append({301,
                               QStringLiteral("Latchkey"),
                               QStringLiteral("dev.orvane.Latchkey"),
                               {},
                               {},
                               0,
                               std::make_shared<SimPinnedApp>(QList<qint32>{301}, true)});
    RunningApps running(windows, processes, 0);
    SiblingApps siblings(Ecosystem::catalogue(), installed);
    HubState state;
    state.setTab(HubTab::Apps);
    HubSections sections;
    AppsSection{siblings, sample.settings, *installed, running, [] {}, {}}.addTo(sections);
    // Asked once ahead, so the pictures show the answers.
    delete sections.make(HubTab::Apps);
    SelfCheckWait::until(
        [&siblings] {
            const QList<SiblingApps::Sibling> shown = siblings.installed();
            return !shown.isEmpty() && siblings.isRunning(shown.first().app);
        },
        5000);
    state.setDoors(siblings.doors());
    hubScenes(report, folder, notch, sample.hub.sensors(), state, sections, QStringLiteral("apps"));
}

// The window as it shows on the desktop, light and dark: "<name>" and "<name>-dark".
void windowScenes(Report &report, const QString &folder, const QString &name, QSize size,
                  const std::function<std::unique_ptr<QWidget>()> &make)
{
    const QPalette before = QApplication::palette();
    for (const bool dark : {false, true}) {
        QApplication::setPalette(desktopPalette(dark));
        const std::unique_ptr<QWidget> view = make();
        saveScene(report, folder, dark ? name + QStringLiteral("-dark") : name, capture(*view, size));
    }
    QApplication::setPalette(before);
}

// A morning's uses: a call still on, a voice memo, an earlier call.
void historyScenes(Report &report, const QString &folder, const SampleBanners &samples)
{
    SensorHistory history{QString()};
    const QDateTime morning(QDate::currentDate(), QTime(9, 12, 4));
    history.update(Sensor::Camera, {samples.zoom}, morning);
    history.update(Sensor::Microphone, {samples.zoom}, morning);
    history.update(Sensor::Camera, {}, morning.addSecs(47 * 60 + 13));
    history.update(Sensor::Microphone, {}, morning.addSecs(47 * 60 + 13));
    history.update(Sensor::Microphone, {samples.recorder}, morning.addSecs(2 * 3600));
    history.update(Sensor::Microphone, {}, morning.addSecs(2 * 3600 + 45));
    history.update(Sensor::Camera, {samples.chrome}, morning.addSecs(3 * 3600));
    windowScenes(report, folder, QStringLiteral("history"), QSize(620, 460),
                 [&history] { return std::make_unique<HistoryView>(history); });
}

// The settings with white noise chosen but the quiet microphone not added
// yet, and the sample apps that can ask for the camera, one of them trusted.
void settingsScenes(Report &report, const QString &folder, const SampleBanners &samples)
{
    AppInfo info = AppInfo::compiledIn();
    info.offersWhiteNoiseSetting = true;
    SampleHub sample(info);
    sample.hub.privacy().setMicSound(PrivacySwitch::MicSound::WhiteNoise);
    sample.settings.allowList.set({samples.zoom.appId});
    SimAutostartService autostart;
    autostart.setRegistered(true);
    Autostart login(autostart, sample.settings, info);
    auto cameraApps = std::make_shared<SimCameraPermissionStore>();
    for (const SensorUser &user : {samples.zoom, samples.chrome})
        cameraApps->addApp({user.appId, user.name, user.appId});
    cameraApps->addApp(
        {QStringLiteral("org.mozilla.firefox"), QStringLiteral("Firefox"), QStringLiteral("firefox")});
    SimFileManager files;
    // The whole form, not only what the window shows before scrolling.
    const QSize size(560, 1240);
    windowScenes(report, folder, QStringLiteral("settings"), size, [&] {
        auto view = std::make_unique<SettingsView>(SettingsView::Services{
            sample.settings, sample.hub.privacy(), login, cameraApps,
            [&sample]() -> ShelfStore & { return sample.hub.shelf(); }, files, true, [] {}, [] {}});
        bool listed = false;
        QObject::connect(view.get(), &SettingsView::cameraAppsShown, view.get(),
                         [&listed] { listed = true; });
        SelfCheckWait::until([&listed] { return listed; }, 5000);
        return view;
    });
}

// The welcome window on its first step, before the demonstration.
void welcomeScenes(Report &report, const QString &folder)
{
    SampleHub sample(AppInfo::compiledIn());
    Tutorial tutorial(sample.hub.sensors(), sample.settings.tutorialSeen, {[] {}, [] {}, [] {}});
    tutorial.begin();
    windowScenes(report, folder, QStringLiteral("welcome"), QSize(520, 480),
                 [&tutorial] { return std::make_unique<TutorialView>(tutorial, true); });
}

// The sample shelf's files: pictures, texts and documents, one of them gone.
QList<QByteArray> makeShelfSamples(const QString &folder)
{
    QList<QByteArray> paths;
    const QList<std::pair<const char *, QColor>> pictures{{"Beach.png", QColor(0x3d, 0xa5, 0xd9)},
                                                          {"Logo.png", QColor(0xf5, 0x8c, 0x29)},
                                                          {"Sunset.png", QColor(0xd9, 0x4f, 0x5c)},
                                                          {"Team.png", QColor(0x5c, 0xb8, 0x5c)}};
    const QStringList order{"Beach.png",  "Notes.txt",     "Logo.png", "Contract.pdf",
                            "Sunset.png", "Report Q3.txt", "Team.png", "Invoice March.pdf"};
    for (const QString &name : order) {
        const QString path = QDir(folder).filePath(name);
        paths.append(QFile::encodeName(path));
        if (name.endsWith(QLatin1String(".png"))) {
            QColor color;
            for (const auto &[file, tint] : pictures)
                if (name == QLatin1String(file))
                    color = tint;
            QImage image(240, 160, QImage::Format_RGB32);
            QPainter painter(&image);
            QLinearGradient sky(0, 0, 0, 160);
            sky.setColorAt(0, color.lighter(150));
            sky.setColorAt(1, color.darker(140));
            painter.fillRect(image.rect(), sky);
            painter.setBrush(QColor(255, 255, 255, 170));
            painter.setPen(Qt::NoPen);
            painter.drawEllipse(QPoint(170, 60), 28, 28);
            painter.end();
            image.save(path, "PNG");
        } else if (name.endsWith(QLatin1String(".txt"))) {
            QFile text(path);
            if (text.open(QIODevice::WriteOnly))
                text.write(
                    "Quarterly notes\n\n- Call the printer\n- Book the venue\n- Send the draft to Ana\n"
                    "- Check the figures for March\n");
        } else {
            QPdfWriter pdf(path);
            QPainter painter(&pdf);
            painter.drawText(QPoint(200, 400), QStringLiteral("Contract"));
        }
    }
    return paths;
}

// The hub on the shelf section, over a light and over a dark desktop.
void shelfScenes(Report &report, const QString &folder, const QProcessEnvironment &env)
{
    const std::optional<Notch> notch = Notch::current(env);
    QTemporaryDir files;
    if (!notch || !files.isValid()) {
        report.line(QStringLiteral("shelf: nothing to capture"));
        return;
    }
    LinuxShelfFileSystem fileSystem;
    ShelfStore store(QString(), files.filePath(QStringLiteral("Shelf")), fileSystem, {});
    const QList<QByteArray> samples = makeShelfSamples(files.path());
    store.add(samples);
    QFile::remove(QFile::decodeName(samples.last())); // one shows as not found
    store.locate(store.items().last().id);

    DefaultsStore defaults;
    Settings settings{defaults};
    SensorModel sensors{settings, nullptr};
    HubState state;
    state.setTab(HubTab::Shelf);
    HubPanelRules rules(state, {[] { return std::optional<QRect>(); }, [] {}},
                        {[] { return QPoint(); }, [] { return false; }},
                        {std::make_unique<TimerTask>(), std::make_unique<TimerTask>()});
    SimFileManager fileManager;
    HubSections sections;
    ShelfSection{[&store]() -> ShelfStore & { return store; }, state, rules, fileManager}.addTo(sections);
    const QPalette before = QApplication::palette();
    for (const bool dark : {false, true}) {
        QApplication::setPalette(desktopPalette(dark));
        HubView view(sensors, state, sections, qRound(notch->cutout.rect().height()),
                     notch->cutout.kind() == Cutout::Kind::Notch);
        // The first paint asks for the pictures; they are made on a worker.
        int ready = 0;
        if (auto *thumbnails = view.findChild<Thumbnails *>())
            QObject::connect(thumbnails, &Thumbnails::ready, &view, [&ready] { ++ready; });
        capture(view, view.size());
        SelfCheckWait::until([&ready] { return ready >= 6; }, 5000);
        saveScene(report, folder, dark ? QStringLiteral("shelf-dark") : QStringLiteral("shelf-light"),
                  capture(view, view.size()));
    }
    QApplication::setPalette(before);
}

} // namespace

int run(Report &report, const QString &folder, QProcessEnvironment env)
{
    const QString fakeKey = QStringLiteral("TARNWICK_FAKE_CUTOUT");
    if (!env.contains(fakeKey))
        env.insert(fakeKey, QStringLiteral("notch14"));
    report.check(QDir().mkpath(folder),
                 QStringLiteral("the snapshot folder exists (") + folder + QLatin1Char(')'));

    SampleBanners samples;
    const std::vector<HaloScene> scenes{
        {"halo-banner-camera", true, false, samples.camera(), {}},
        {"halo-banner-blocked", true, false, samples.blocked(), {}},
        {"halo-camera", true, false, std::nullopt, {}},
        {"halo-mic", false, true, std::nullopt, {}},
        {"halo-camera-mic", true, true, std::nullopt, {}},
        {"halo-banner-mic", false, true, samples.mic(), {}},
        {"halo-note", false, false, SampleBanners::note(), {}},
        {"halo-island-mic", false, true, std::nullopt, QStringLiteral("island")},
        {"halo-island-banner", true, false, samples.camera(), QStringLiteral("island")},
    };
    HaloGlyphs glyphs;
    for (const HaloScene &scene : scenes) {
        const QString name = QString::fromLatin1(scene.name);
        QProcessEnvironment sceneEnv = env;
        if (!scene.fakeCutout.isEmpty())
            sceneEnv.insert(fakeKey, scene.fakeCutout);
        const std::optional<Notch> notch = Notch::current(sceneEnv);
        if (!notch) {
            report.line(name + QStringLiteral(": nothing to capture"));
            continue;
        }
        HaloView view(glyphs);
        view.setGeometry(HaloView::frameFor(*notch));
        view.apply(*notch, scene.camera, scene.mic, scene.banner ? &*scene.banner : nullptr, false);
        const double menuBar = std::max(24.0, notch->cutout.rect().bottom() - notch->screenTop());
        const QString file = QDir(folder).filePath(name + QStringLiteral(".png"));
        const QImage image = capture(view, menuBar);
        report.check(savePng(image, file), name + QStringLiteral(".png (") + QString::number(view.width()) +
                                               QLatin1Char('x') + QString::number(view.height()) +
                                               QStringLiteral(", ") + Cutout::kindText(notch->cutout.kind()) +
                                               QLatin1Char(')'));
    }

    if (const std::optional<Notch> notch = Notch::current(env)) {
        privacyScenes(report, folder, samples, *notch);
        quitScenes(report, folder, *notch);
        toolsScenes(report, folder, *notch);
        mirrorScenes(report, folder, *notch);
        appsScenes(report, folder, *notch);
    } else {
        for (const char *section : {"privacy", "quit", "tools", "mirror", "apps"})
            report.line(QString::fromLatin1(section) + QStringLiteral(": nothing to capture"));
    }
    shelfScenes(report, folder, env);
    historyScenes(report, folder, samples);
    settingsScenes(report, folder, samples);
    welcomeScenes(report, folder);
    return report.finish();
}

} // namespace Snapshots
