#pragma once

#include "DelayedTask.h"
#include "HubTab.h"

#include <QObject>
#include <QPoint>
#include <QRect>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class HubState;

// When the hub opens and closes. It closes when the pointer has stayed away
// for a moment, on a click elsewhere and on Esc, but not while it is pinned
// or while something in it is in progress (a drag, a file dialog, an
// installation); each opening shows the section the last one ended on,
// unless a section is asked for. The window itself is the shell's.
class HubPanelRules : public QObject {
    Q_OBJECT
public:
    struct Window {
        // Makes and shows a fresh window on the state's section; answers its
        // frame, or nothing when there is no display to show it on.
        std::function<std::optional<QRect>()> show;
        std::function<void()> discard;
    };
    struct Pointer {
        std::function<QPoint()> position;
        std::function<bool()> buttonHeld;
    };
    struct Tasks {
        std::unique_ptr<DelayedTask> close;
        std::unique_ptr<DelayedTask> releaseMemory;
    };

    static constexpr std::chrono::milliseconds closeDelay{450};
    static constexpr std::chrono::milliseconds releaseDelay{600};
    // The pointer counts as back when it is this close to the frame.
    static constexpr int slack = 2;

    HubPanelRules(HubState &state, Window window, Pointer pointer, Tasks tasks, QObject *parent = nullptr);

    void open(std::optional<HubTab> tab = std::nullopt);
    void close();
    // The pointer left the hub.
    void scheduleClose();
    // The pointer came back before the close was due.
    void pointerEntered();
    // A click in another application's window.
    void clickedElsewhere();

    bool isOpen() const { return m_frame.has_value(); }
    std::optional<QRect> frame() const { return m_frame; }
    // The section the next opening shows when none is asked for.
    HubTab rememberedTab() const { return m_tab; }
    bool closePending() const { return m_closeWork->isPending(); }

    // While pinned the hub stays open when left or clicked outside of;
    // closing unpins it.
    bool pinned() const { return m_pinned; }
    void setPinned(bool pinned) { m_pinned = pinned; }
    // Operations in progress that keep the hub open.
    int busy() const { return m_busy; }
    void beginBusy() { ++m_busy; }
    void endBusy();

Q_SIGNALS:
    // After the window is shown, and after it is gone.
    void openChanged(bool open);
    // A while after a close, the hub still closed: its memory can go back.
    void memoryReleasable();

private:
    bool heldOpen() const { return m_pinned || m_busy > 0; }
    void closeDue();

    HubState &m_state;
    Window m_window;
    Pointer m_pointer;
    std::unique_ptr<DelayedTask> m_closeWork;
    std::unique_ptr<DelayedTask> m_releaseWork;
    std::optional<QRect> m_frame;
    HubTab m_tab = HubTab::Privacy;
    bool m_pinned = false;
    int m_busy = 0;
};
