#pragma once

#include "DelayedTask.h"
#include "HubTab.h"

#include <QObject>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

// When the notch trigger asks for the hub: the pointer resting on it for a
// moment (while opening on hover is wanted), a click, or a drag arriving.
class TriggerDwell : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds dwell{120};

    TriggerDwell(std::unique_ptr<DelayedTask> task, std::function<bool()> hoverEnabled,
                 QObject *parent = nullptr);

    void pointerEntered();
    void pointerLeft();
    void pressed();
    void dragEntered();

Q_SIGNALS:
    // `tab` is the section to show, none for the remembered one; `byDrag`
    // tells a drag caused it.
    void openRequested(std::optional<HubTab> tab, bool byDrag);

private:
    std::unique_ptr<DelayedTask> m_task;
    std::function<bool()> m_hoverEnabled;
};
