#include "GSettingsToggle.h"

namespace {

bool runs(const QStringList &desktops, std::initializer_list<const char *> names)
{
    for (const char *name : names) {
        if (desktops.contains(QLatin1String(name), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

} // namespace

GSettingsToggle::GSettingsToggle(QList<Key> keys, Missing whenNone, QObject *parent)
    : DesktopToggle(parent)
    , m_keys(std::move(keys))
    , m_whenNone(whenNone)
{}

GSettingsToggle::~GSettingsToggle() = default;

std::unique_ptr<GSettingsToggle> GSettingsToggle::hiddenFiles()
{
    const QString showHidden = QStringLiteral("show-hidden");
    const QString showHiddenFiles = QStringLiteral("show-hidden-files");
    return std::make_unique<GSettingsToggle>(
        QList<Key>{{QStringLiteral("org.gtk.Settings.FileChooser"), showHidden, true, false},
                   // GTK 4's file chooser, which Files (Nautilus) follows too.
                   {QStringLiteral("org.gtk.gtk4.Settings.FileChooser"), showHidden, true, false},
                   {QStringLiteral("org.nemo.preferences"), showHiddenFiles, true, false},
                   {QStringLiteral("org.mate.caja.preferences"), showHiddenFiles, true, false}},
        Missing::Service);
}

std::unique_ptr<GSettingsToggle> GSettingsToggle::darkMode(const QStringList &desktops)
{
    // These keep their look in settings of their own that this key does not switch.
    if (runs(desktops, {"KDE", "XFCE", "MATE", "X-Cinnamon", "LXQt"}))
        return std::make_unique<GSettingsToggle>(QList<Key>{}, Missing::DesktopSupport);
    return std::make_unique<GSettingsToggle>(
        QList<Key>{{QStringLiteral("org.gnome.desktop.interface"), QStringLiteral("color-scheme"),
                    QStringLiteral("prefer-dark"), QStringLiteral("default")}},
        Missing::Service);
}

std::unique_ptr<GSettingsToggle> GSettingsToggle::desktopIconsHidden(const QStringList &desktops)
{
    if (runs(desktops, {"MATE"}))
        return std::make_unique<GSettingsToggle>(
            QList<Key>{
                {QStringLiteral("org.mate.background"), QStringLiteral("show-desktop-icons"), false, true}},
            Missing::Service);
    // Desktops whose icons are not switched here, and the bare window managers that draw none.
    return std::make_unique<GSettingsToggle>(
        QList<Key>{}, runs(desktops, {"KDE", "X-Cinnamon", "LXQt", "LXDE", "Budgie", "Unity"})
                          ? Missing::DesktopSupport
                          : Missing::DesktopIcons);
}

void GSettingsToggle::probe()
{
    m_open.clear();
    for (const Key &key : std::as_const(m_keys)) {
        if (auto opened = GSettingsKey::open(key.schema, key.key))
            m_open.emplace_back(key, std::move(opened));
    }
    if (!m_open.empty())
        m_open.front().second->onChanged([this] { read(); });
    setMissing(m_open.empty() ? m_whenNone : Missing::Nothing);
    read();
}

void GSettingsToggle::setOn(bool on)
{
    bool ok = !m_open.empty();
    for (const auto &[key, opened] : m_open)
        ok = opened->set(on ? key.on : key.off) && ok;
    read();
    Q_EMIT switched(ok && isOn() == on);
}

void GSettingsToggle::read()
{
    setState(!m_open.empty() && m_open.front().second->value() == m_open.front().first.on);
}
