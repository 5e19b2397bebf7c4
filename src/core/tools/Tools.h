#pragma once

#include "Clock.h"
#include "DelayedTask.h"
#include "DesktopFacility.h"
#include "Tool.h"

#include <QDateTime>
#include <QObject>
#include <QStringList>

#include <chrono>
#include <memory>
#include <optional>

class ColorPicker;
class DesktopAction;
class DesktopToggle;
class DiskEjector;

// What the tools work through. A tool whose facility is missing here (none
// given) is shown unavailable.
struct ToolFacilities {
    ColorPicker *colorPicker = nullptr;
    DesktopToggle *desktopIcons = nullptr; // on: the icons are hidden
    DesktopToggle *keepAwake = nullptr;
    DesktopToggle *darkMode = nullptr; // on: dark
    DesktopToggle *hiddenFiles = nullptr;
    DiskEjector *disks = nullptr;
    DesktopAction *screenLock = nullptr;
    DesktopAction *displaySleep = nullptr;
};

// Performs the tools and words what they did. States are the desktop's own,
// learned back from it: a switch counts once the desktop says it happened.
// One per process; the tools section is a view of it.
class Tools : public QObject {
    Q_OBJECT
public:
    Tools(ToolFacilities facilities, std::unique_ptr<DelayedTask> awakeEnd, Clock clock = systemClock(),
          QObject *parent = nullptr);
    ~Tools() override;

    // Asks the desktop again what it offers and how its settings stand;
    // once per opening of the hub.
    void detect();

    bool isAvailable(Tool tool) const;
    // Why a tool cannot be used here; empty while it can.
    QString unavailableReason(Tool tool) const;
    // The toggles' state; false for the other tools.
    bool isOn(Tool tool) const;
    // The tile's second line.
    QString line(Tool tool) const;
    QString keepAwakeLine() const;

    // Runs a tool as its tile does, posting its note once the outcome is
    // known. An unavailable tool does nothing.
    void run(Tool tool);

    // A duration makes the hold end by itself; every call replaces the last.
    void setKeepAwake(bool on, std::optional<std::chrono::seconds> duration = std::nullopt);
    bool keepAwakeOn() const;
    std::optional<QDateTime> keepAwakeUntil() const { return m_keepAwakeUntil; }
    bool desktopIconsHidden() const;
    void setDesktopIconsHidden(bool hidden);
    bool hiddenFilesShown() const;
    void setHiddenFilesShown(bool shown);
    bool isDark() const;
    void toggleDarkMode();
    void ejectAll();
    void lockScreen();
    void sleepDisplays();
    // Answers with colorPicked() when a colour was picked; nothing on cancel.
    void pickColor();

    // "#RRGGBB" of sRGB components of 0…1, each rounded and clamped.
    static QString hex(double red, double green, double blue);
    static QString copiedNote(const QString &hex);
    static QString ejectNote(int count, const QStringList &failed);

Q_SIGNALS:
    // A state or an availability changed.
    void changed();
    void note(const QString &text);
    void colorPicked(const QString &hex);

private:
    DesktopFacility *facility(Tool tool) const;
    DesktopToggle *toggle(Tool tool) const;
    void toggleSwitched(Tool tool, bool ok);
    QString toggleNote(Tool tool, bool ok) const;

    ToolFacilities m_facilities;
    std::unique_ptr<DelayedTask> m_awakeEnd;
    Clock m_clock;
    std::optional<QDateTime> m_keepAwakeUntil;
    // Tools run from their tile whose note waits for the desktop's answer.
    QList<Tool> m_noteWanted;
};
