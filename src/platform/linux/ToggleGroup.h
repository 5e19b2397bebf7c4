#pragma once

#include "DesktopToggle.h"

#include <memory>
#include <vector>

// One setting that several programs keep, each in its own place (the GTK
// file choosers' and Thunar's hidden files). The first member available here
// tells the state; a switch goes to every available member and has worked
// when all of them took it.
class ToggleGroup : public DesktopToggle {
    Q_OBJECT
public:
    explicit ToggleGroup(std::vector<std::unique_ptr<DesktopToggle>> members, QObject *parent = nullptr);

    void probe() override;
    void setOn(bool on) override;

private:
    void update();
    void memberSwitched(bool ok);

    std::vector<std::unique_ptr<DesktopToggle>> m_members;
    int m_waiting = 0;
    bool m_allOk = true;
};
