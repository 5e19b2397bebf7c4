#include "SettingsView.h"

#include "AccessRevoker.h"
#include "AppIcon.h"
#include "Autostart.h"
#include "FileManager.h"
#include "PrivacySwitch.h"
#include "Settings.h"
#include "ShelfStore.h"
#include "Symbols.h"
#include "Text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFormLayout>
#include <QFutureWatcher>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

namespace {

QLabel *explanation(const QString &text)
{
    auto *label = new QLabel(text);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QLabel *caption(const QString &text)
{
    QLabel *label = explanation(text);
    QFont small = label->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    label->setFont(small);
    label->setForegroundRole(QPalette::PlaceholderText);
    return label;
}

QGroupBox *section(const QString &title, std::initializer_list<QWidget *> rows)
{
    auto *box = new QGroupBox(title);
    auto *layout = new QVBoxLayout(box);
    for (QWidget *row : rows)
        layout->addWidget(row);
    return box;
}

QWidget *buttons(std::initializer_list<QPushButton *> row)
{
    auto *holder = new QWidget;
    auto *layout = new QHBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    for (QPushButton *button : row)
        layout->addWidget(button);
    layout->addStretch(1);
    return holder;
}

// A label can hold a literal '&' only doubled.
QString literal(QString text)
{
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace

SettingsView::SettingsView(Services services, QWidget *parent)
    : QWidget(parent)
    , m_services(std::move(services))
{
    auto *form = new QWidget;
    auto *sections = new QVBoxLayout(form);
    sections->setSpacing(12);
    for (QWidget *part :
         {generalSection(), microphoneSection(), haloSection(), trustedSection(), cameraOffSection(),
          shelfSection(), appsSection(), historySection(), privacySection()})
        sections->addWidget(part);
    sections->addStretch(1);

    auto *scroll = new QScrollArea;
    scroll->setWidget(form);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);
    loadCameraApps();
}

QCheckBox *SettingsView::bound(const QString &text, Setting<bool> &setting)
{
    auto *toggle = new QCheckBox(literal(text));
    toggle->setChecked(setting.value());
    connect(toggle, &QCheckBox::toggled, this, [&setting](bool on) { setting.set(on); });
    connect(&setting, &SettingBase::changed, toggle,
            [toggle, &setting] { toggle->setChecked(setting.value()); });
    return toggle;
}

QWidget *SettingsView::generalSection()
{
    m_login = new QCheckBox(Text::tr("Open at login (so the halo is always on watch)"));
    m_login->setObjectName(QStringLiteral("login"));
    m_login->setChecked(m_services.autostart.isOn());
    // A refused registration flips the toggle back.
    connect(m_login, &QCheckBox::toggled, this, [this](bool on) {
        m_services.autostart.set(on);
        const QSignalBlocker quiet(m_login);
        m_login->setChecked(m_services.autostart.isOn());
    });
    auto *tutorial = new QPushButton(Text::tr("Show Tutorial"));
    connect(tutorial, &QPushButton::clicked, this, [this] { m_services.showTutorial(); });
    QGroupBox *box = section(Text::tr("General"), {m_login});
    if (m_services.hasCutout) {
        m_hover = bound(Text::tr("Open the panel when the pointer rests on the notch"),
                        m_services.settings.openOnHover);
        box->layout()->addWidget(m_hover);
    }
    box->layout()->addWidget(
        caption(Text::tr("The Tarnwick icon in the system tray opens it too. Drop files on the notch or "
                         "the icon to put them on the shelf.")));
    box->layout()->addWidget(buttons({tutorial}));
    return box;
}

QWidget *SettingsView::microphoneSection()
{
    PrivacySwitch &privacy = m_services.privacy;
    m_micSound = new QComboBox;
    m_micSound->addItem(Text::tr("Silence"), QVariant::fromValue(PrivacySwitch::MicSound::Silence));
    m_micSound->addItem(Text::tr("Soft white noise"),
                        QVariant::fromValue(PrivacySwitch::MicSound::WhiteNoise));
    connect(m_micSound, &QComboBox::activated, this, [this](int index) {
        m_services.privacy.setMicSound(m_micSound->itemData(index).value<PrivacySwitch::MicSound>());
    });
    auto *picker = new QWidget;
    auto *pickerRow = new QFormLayout(picker);
    pickerRow->setContentsMargins(0, 0, 0, 0);
    pickerRow->addRow(Text::tr("Muted, calls hear"), m_micSound);

    m_needsQuietMic = explanation(Text::tr("White noise needs Tarnwick’s quiet microphone."));
    m_install = new QPushButton(Text::tr("Install…"));
    connect(m_install, &QPushButton::clicked, this, &SettingsView::installQuietMic);
    m_remove = new QPushButton(Text::tr("Remove the Quiet Microphone…"));
    connect(m_remove, &QPushButton::clicked, this, [this] {
        m_message->setText(m_services.privacy.removeQuietMic().value_or(QString()));
        refreshMicrophone();
    });
    m_message = explanation({});
    m_message->setObjectName(QStringLiteral("quietMicMessage"));
    QLabel *help = caption(Text::tr(
        "White noise lets a call hear that you’re there, just muted. Your microphone is muted either way."));
    QGroupBox *box = section(Text::tr("Microphone"), {picker, m_needsQuietMic, buttons({m_install}),
                                                      buttons({m_remove}), m_message, help});
    box->setObjectName(QStringLiteral("microphone"));
    picker->setVisible(privacy.offersWhiteNoise());
    help->setVisible(privacy.offersWhiteNoise());
    connect(&privacy, &PrivacySwitch::micSoundChanged, this, &SettingsView::refreshMicrophone);
    connect(&privacy, &PrivacySwitch::quietMicInstalledChanged, this, &SettingsView::refreshMicrophone);
    refreshMicrophone();
    return box;
}

void SettingsView::refreshMicrophone()
{
    const PrivacySwitch &privacy = m_services.privacy;
    const bool whiteNoise = privacy.micSound() == PrivacySwitch::MicSound::WhiteNoise;
    const bool installed = privacy.quietMicInstalled();
    m_micSound->setCurrentIndex(whiteNoise ? 1 : 0);
    const bool needsInstall = privacy.offersWhiteNoise() && whiteNoise && !installed;
    m_needsQuietMic->setVisible(needsInstall);
    m_install->parentWidget()->setVisible(needsInstall);
    m_install->setEnabled(!m_installing);
    m_install->setText(m_installing ? Text::tr("Installing…") : Text::tr("Install…"));
    m_remove->parentWidget()->setVisible(installed);
    m_message->setVisible(!m_message->text().isEmpty());
    if (QWidget *box = findChild<QGroupBox *>(QStringLiteral("microphone")))
        box->setVisible(privacy.offersWhiteNoise() || installed || !m_message->text().isEmpty());
}

void SettingsView::installQuietMic()
{
    if (m_installing)
        return;
    m_installing = true;
    refreshMicrophone();
    QPointer<SettingsView> view(this);
    m_services.privacy.installQuietMic([view](const std::optional<QString> &error) {
        if (SettingsView *alive = view.data())
            alive->installFinished(error.value_or(Text::tr("White noise is ready.")));
    });
}

void SettingsView::installFinished(const QString &message)
{
    m_installing = false;
    m_message->setText(message);
    refreshMicrophone();
}

QWidget *SettingsView::haloSection()
{
    Settings &settings = m_services.settings;
    return section(Text::tr("Halo"),
                   {bound(Text::tr("Green halo while the camera is on"), settings.haloForCamera),
                    bound(Text::tr("Blue microphone while an app listens"), settings.haloForMic),
                    bound(Text::tr("Say which app it is"), settings.announce)});
}

QWidget *SettingsView::trustedSection()
{
    auto *list = new QWidget;
    m_cameraApps = new QVBoxLayout(list);
    m_cameraApps->setContentsMargins(0, 0, 0, 0);
    return section(Text::tr("Trusted apps"),
                   {explanation(Text::tr("These apps keep their camera access when you click “Turn Camera & "
                                         "Microphone Off”.")),
                    list,
                    caption(Text::tr("Switched on = this app may use the camera even while you have it "
                                     "switched off.")),
                    caption(Text::tr("Apps that open the camera without asking the system can’t be kept out "
                                     "this way; Tarnwick still names them and can ask them to quit."))});
}

void SettingsView::loadCameraApps()
{
    std::shared_ptr<CameraPermissionStore> store = m_services.cameraPermissions;
    if (!store) {
        showCameraApps({});
        return;
    }
    auto *watcher = new QFutureWatcher<QList<CameraApp>>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher] {
        showCameraApps(watcher->result());
        watcher->deleteLater();
    });
    // The store answers over D-Bus and reads the installed apps: never on the main thread.
    watcher->setFuture(QtConcurrent::run([store] { return AccessRevoker::apps(*store); }));
}

void SettingsView::showCameraApps(const QList<CameraApp> &apps)
{
    Setting<QStringList> &allowList = m_services.settings.allowList;
    const QIcon generic = QIcon::fromTheme(QStringLiteral("application-x-executable"),
                                           Symbols::icon(QStringLiteral("square.grid.2x2")));
    const int iconSize = style()->pixelMetric(QStyle::PM_SmallIconSize);
    for (const CameraApp &app : apps) {
        auto *toggle = new QCheckBox(literal(app.name));
        toggle->setObjectName(app.appId);
        const QPixmap icon = AppIcon::pixmap(app.icon, iconSize, devicePixelRatioF());
        toggle->setIcon(icon.isNull() ? generic : QIcon(icon));
        toggle->setChecked(allowList.value().contains(app.appId));
        connect(toggle, &QCheckBox::toggled, this, [&allowList, id = app.appId](bool on) {
            QStringList ids = allowList.value();
            ids.removeAll(id);
            if (on)
                ids.append(id);
            allowList.set(ids);
        });
        connect(&allowList, &SettingBase::changed, toggle,
                [toggle, &allowList, id = app.appId] { toggle->setChecked(allowList.value().contains(id)); });
        m_cameraApps->addWidget(toggle);
    }
    if (apps.isEmpty())
        m_cameraApps->addWidget(caption(Text::tr("No app here has asked for the camera yet.")));
    Q_EMIT cameraAppsShown();
}

QList<QCheckBox *> SettingsView::trustedToggles() const
{
    QList<QCheckBox *> toggles;
    for (int i = 0; i < m_cameraApps->count(); ++i) {
        if (auto *toggle = qobject_cast<QCheckBox *>(m_cameraApps->itemAt(i)->widget()))
            toggles.append(toggle);
    }
    return toggles;
}

QWidget *SettingsView::cameraOffSection()
{
    return section(
        Text::tr("When the camera is switched off"),
        {bound(Text::tr("Quit any app that tries to use it"), m_services.settings.autoQuitWhenOff),
         caption(Text::tr("Apps are asked to quit like Ctrl+Q; unsaved work asks first. Off: Tarnwick "
                          "only tells you."))});
}

QWidget *SettingsView::shelfSection()
{
    auto *clear = new QPushButton(Text::tr("Clear the Shelf (your files stay)"));
    connect(clear, &QPushButton::clicked, this, [this] { m_services.shelf().clear(); });
    auto *folder = new QPushButton(Text::tr("Show That Folder"));
    connect(folder, &QPushButton::clicked, this, [this] {
        const QString path = m_services.shelf().ownCopiesFolder();
        if (QDir().mkpath(path))
            m_services.fileManager.open(QFile::encodeName(path));
    });
    return section(
        Text::tr("Shelf"),
        {explanation(Text::tr("The shelf remembers where your files are; it never copies them. Only "
                              "pictures and text dragged from web pages and apps are saved, in a small "
                              "folder, for 7 days — save the ones you need.")),
         buttons({clear, folder})});
}

QWidget *SettingsView::appsSection()
{
    return section(Text::tr("Apps"), {bound(Text::tr("Show apps from the makers of Tarnwick"),
                                            m_services.settings.showRecommendations)});
}

QWidget *SettingsView::historySection()
{
    auto *history = new QPushButton(literal(Text::tr("Camera & Microphone History…")));
    connect(history, &QPushButton::clicked, this, [this] { m_services.showHistory(); });
    return section(Text::tr("History"), {buttons({history})});
}

QWidget *SettingsView::privacySection()
{
    return section(
        Text::tr("Privacy"),
        {explanation(
            m_services.checksForUpdates
                ? Text::tr("Tarnwick collects nothing: no analytics, no accounts, no crash reports. "
                           "Everything it sees stays on this computer. The only connection it makes "
                           "is the update check.")
                : Text::tr("Tarnwick collects nothing: no analytics, no accounts, no crash reports. "
                           "Everything it sees stays on this computer. It makes no connection of its "
                           "own."))});
}
