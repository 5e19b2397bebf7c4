#include "Tools.h"

#include "ColorPicker.h"
#include "DesktopAction.h"
#include "DesktopToggle.h"
#include "DiskEjector.h"
#include "Log.h"
#include "Text.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

Tools::Tools(ToolFacilities facilities, std::unique_ptr<DelayedTask> awakeEnd, Clock clock, QObject *parent)
    : QObject(parent)
    , m_facilities(facilities)
    , m_awakeEnd(std::move(awakeEnd))
    , m_clock(std::move(clock))
{
    for (const Tool tool : ToolCatalog::all()) {
        if (DesktopFacility *each = facility(tool))
            connect(each, &DesktopFacility::changed, this, &Tools::changed);
        if (DesktopToggle *each = toggle(tool))
            connect(each, &DesktopToggle::switched, this,
                    [this, tool](bool ok) { toggleSwitched(tool, ok); });
    }
    if (m_facilities.disks)
        connect(m_facilities.disks, &DiskEjector::ejected, this,
                [this](int count, const QStringList &failed) { Q_EMIT note(ejectNote(count, failed)); });
    if (m_facilities.colorPicker)
        connect(m_facilities.colorPicker, &ColorPicker::picked, this,
                [this](bool chosen, double red, double green, double blue) {
                    if (chosen)
                        Q_EMIT colorPicked(hex(red, green, blue));
                });
    for (DesktopAction *action : {m_facilities.screenLock, m_facilities.displaySleep}) {
        if (!action)
            continue;
        const QString failure = action == m_facilities.screenLock
                                    ? Text::tr("The screen couldn’t be locked.")
                                    : Text::tr("The displays couldn’t be put to sleep.");
        // Believing the screen locked when it is not would be worse than any note.
        connect(action, &DesktopAction::finished, this, [this, failure](bool ok) {
            if (!ok)
                Q_EMIT note(failure);
        });
    }
}

Tools::~Tools() = default;

DesktopFacility *Tools::facility(Tool tool) const
{
    switch (tool) {
    case Tool::ColorPicker:
        return m_facilities.colorPicker;
    case Tool::EjectAll:
        return m_facilities.disks;
    case Tool::LockScreen:
        return m_facilities.screenLock;
    case Tool::SleepDisplays:
        return m_facilities.displaySleep;
    default:
        return toggle(tool);
    }
}

DesktopToggle *Tools::toggle(Tool tool) const
{
    switch (tool) {
    case Tool::CleanDesktop:
        return m_facilities.desktopIcons;
    case Tool::KeepAwake:
        return m_facilities.keepAwake;
    case Tool::DarkMode:
        return m_facilities.darkMode;
    case Tool::HiddenFiles:
        return m_facilities.hiddenFiles;
    default:
        return nullptr;
    }
}

void Tools::detect()
{
    for (const Tool tool : ToolCatalog::all()) {
        if (DesktopFacility *each = facility(tool))
            each->probe();
    }
}

bool Tools::isAvailable(Tool tool) const
{
    const DesktopFacility *each = facility(tool);
    return each && each->isAvailable();
}

QString Tools::unavailableReason(Tool tool) const
{
    const DesktopFacility *each = facility(tool);
    const DesktopFacility::Missing missing =
        each ? each->missing() : DesktopFacility::Missing::DesktopSupport;
    switch (missing) {
    case DesktopFacility::Missing::Nothing:
        return {};
    case DesktopFacility::Missing::DesktopSupport:
        return Text::tr("This desktop doesn’t let Tarnwick do this");
    case DesktopFacility::Missing::DesktopIcons:
        return Text::tr("This desktop shows no icons");
    case DesktopFacility::Missing::DisplayPower:
        return Text::tr("This display has no power saving");
    case DesktopFacility::Missing::Service:
        break;
    }
    switch (tool) {
    case Tool::ColorPicker:
        return Text::tr("No color picker answers on this desktop");
    case Tool::CleanDesktop:
        return Text::tr("The desktop’s icons aren’t running");
    case Tool::KeepAwake:
        return Text::tr("No power manager answers");
    case Tool::DarkMode:
        return Text::tr("No appearance setting answers");
    case Tool::HiddenFiles:
        return Text::tr("No file manager setting found");
    case Tool::EjectAll:
        return Text::tr("The disk service (UDisks) isn’t running");
    case Tool::LockScreen:
        return Text::tr("No screen locker answers");
    case Tool::SleepDisplays:
        return Text::tr("No display power control answers");
    }
    return {};
}

bool Tools::isOn(Tool tool) const
{
    switch (tool) {
    case Tool::HiddenFiles:
        return hiddenFilesShown();
    case Tool::KeepAwake:
        return keepAwakeOn();
    case Tool::CleanDesktop:
        return desktopIconsHidden();
    default:
        return false;
    }
}

QString Tools::line(Tool tool) const
{
    if (!isAvailable(tool))
        return unavailableReason(tool);
    if (tool == Tool::KeepAwake && keepAwakeOn())
        return keepAwakeLine();
    if (tool == Tool::DarkMode)
        return isDark() ? Text::tr("Now dark — click for light") : Text::tr("Now light — click for dark");
    return ToolCatalog::subtitle(tool);
}

QString Tools::keepAwakeLine() const
{
    if (!m_keepAwakeUntil)
        return Text::tr("Until you turn it off");
    return Text::tr("Until %1")
        .arg(QLocale().toString(m_keepAwakeUntil->toLocalTime().time(), minutesTimeFormat()));
}

void Tools::run(Tool tool)
{
    if (!isAvailable(tool))
        return;
    if (ToolCatalog::isToggle(tool) || tool == Tool::DarkMode) {
        if (!m_noteWanted.contains(tool))
            m_noteWanted.append(tool);
    }
    switch (tool) {
    case Tool::ColorPicker:
        pickColor();
        break;
    case Tool::CleanDesktop:
        setDesktopIconsHidden(!desktopIconsHidden());
        break;
    case Tool::KeepAwake:
        setKeepAwake(!keepAwakeOn());
        break;
    case Tool::DarkMode:
        toggleDarkMode();
        break;
    case Tool::HiddenFiles:
        setHiddenFilesShown(!hiddenFilesShown());
        break;
    case Tool::EjectAll:
        ejectAll();
        break;
    case Tool::LockScreen:
        lockScreen();
        break;
    case Tool::SleepDisplays:
        sleepDisplays();
        break;
    }
}

void Tools::toggleSwitched(Tool tool, bool ok)
{
    if (tool == Tool::KeepAwake && !keepAwakeOn() && m_keepAwakeUntil) {
        // A hold that could not be taken has no end to wait for.
        m_awakeEnd->cancel();
        m_keepAwakeUntil.reset();
        Q_EMIT changed();
    }
    if (!ok)
        qCWarning(lcTools).noquote() << "the desktop did not switch" << ToolCatalog::text(tool);
    if (!m_noteWanted.removeOne(tool))
        return;
    const QString text = toggleNote(tool, ok);
    if (!text.isEmpty())
        Q_EMIT note(text);
}

QString Tools::toggleNote(Tool tool, bool ok) const
{
    switch (tool) {
    case Tool::CleanDesktop:
        return desktopIconsHidden()
                   ? Text::tr("Desktop icons hidden. Your files are still in the Desktop folder.")
                   : Text::tr("Desktop icons are back.");
    case Tool::KeepAwake:
        return keepAwakeOn() ? Text::tr("Your computer stays awake until you turn this off.")
                             : Text::tr("Your computer sleeps as usual again.");
    case Tool::HiddenFiles:
        return hiddenFilesShown() ? Text::tr("Files shows hidden files.")
                                  : Text::tr("Files hides them again.");
    case Tool::DarkMode:
        return ok ? QString() : Text::tr("Dark Mode couldn’t be switched — the desktop didn’t answer.");
    default:
        return {};
    }
}

void Tools::setKeepAwake(bool on, std::optional<std::chrono::seconds> duration)
{
    if (!m_facilities.keepAwake)
        return;
    m_awakeEnd->cancel();
    const bool hadEnd = m_keepAwakeUntil.has_value();
    m_keepAwakeUntil.reset();
    if (on && duration) {
        m_keepAwakeUntil = m_clock().addSecs(duration->count());
        m_awakeEnd->start(*duration, [this] { setKeepAwake(false); });
    }
    if (hadEnd || m_keepAwakeUntil)
        Q_EMIT changed();
    m_facilities.keepAwake->setOn(on);
}

bool Tools::keepAwakeOn() const
{
    return m_facilities.keepAwake && m_facilities.keepAwake->isOn();
}

bool Tools::desktopIconsHidden() const
{
    return m_facilities.desktopIcons && m_facilities.desktopIcons->isOn();
}

void Tools::setDesktopIconsHidden(bool hidden)
{
    if (m_facilities.desktopIcons)
        m_facilities.desktopIcons->setOn(hidden);
}

bool Tools::hiddenFilesShown() const
{
    return m_facilities.hiddenFiles && m_facilities.hiddenFiles->isOn();
}

void Tools::setHiddenFilesShown(bool shown)
{
    if (m_facilities.hiddenFiles)
        m_facilities.hiddenFiles->setOn(shown);
}

bool Tools::isDark() const
{
    return m_facilities.darkMode && m_facilities.darkMode->isOn();
}

void Tools::toggleDarkMode()
{
    if (m_facilities.darkMode)
        m_facilities.darkMode->setOn(!isDark());
}

void Tools::ejectAll()
{
    if (m_facilities.disks)
        m_facilities.disks->ejectAll();
}

void Tools::lockScreen()
{
    if (m_facilities.screenLock)
        m_facilities.screenLock->run();
}

void Tools::sleepDisplays()
{
    if (m_facilities.displaySleep)
        m_facilities.displaySleep->run();
}

void Tools::pickColor()
{
    if (m_facilities.colorPicker)
        m_facilities.colorPicker->pick();
}

QString Tools::hex(double red, double green, double blue)
{
    const auto component = [](double value) {
        const double scaled = std::isfinite(value) ? std::round(value * 255) : 0;
        return QStringLiteral("%1")
            .arg(int(std::clamp(scaled, 0.0, 255.0)), 2, 16, QLatin1Char('0'))
            .toUpper();
    };
    return QLatin1Char('#') + component(red) + component(green) + component(blue);
}

QString Tools::copiedNote(const QString &hex)
{
    return Text::tr("%1 copied").arg(hex);
}

QString Tools::ejectNote(int count, const QStringList &failed)
{
    if (!failed.isEmpty())
        return Text::tr("Couldn’t eject %1 — an app is using it.").arg(failed.join(QStringLiteral(", ")));
    if (count == 0)
        return Text::tr("No disks to eject.");
    if (count == 1)
        return Text::tr("1 disk ejected — safe to unplug.");
    return Text::tr("%n disks ejected — safe to unplug.", nullptr, count);
}
