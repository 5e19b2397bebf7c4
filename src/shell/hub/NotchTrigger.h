#pragma once

#include "HubTab.h"
#include "TriggerDwell.h"

#include <QObject>
#include <QPointer>
#include <QProcessEnvironment>
#include <QRect>

#include <functional>
#include <memory>
#include <optional>

class QWidget;
class InputStrip;
struct Notch;

// Where the pointer asks for the hub: resting on the housing (when opening
// on hover is wanted), clicking it or dragging something onto it.
//
// Over a real (or faked) housing the trigger is a black window covering it.
// A virtual housing sits where desktops keep their own panel and clock, so
// there the trigger is only an invisible input strip along the top edge of
// the housing's span: the panel below it keeps its clicks.
class NotchTrigger : public QObject {
    Q_OBJECT
public:
    static constexpr int stripHeight = 4;

    NotchTrigger(QProcessEnvironment env, std::function<bool()> hoverEnabled, QObject *parent = nullptr);
    ~NotchTrigger() override;

    // Where the trigger takes the pointer on `notch`.
    static QRect rectFor(const Notch &notch);

    // Replaces the trigger for the current arrangement of displays.
    void install();
    // Where the installed trigger takes the pointer; empty without one.
    QRect rect() const { return m_rect; }
    // Whether it is a window that shows (a black housing), not a strip.
    bool isPainted() const { return m_window != nullptr; }
    // While the hub lies over the trigger, the hub takes the pointer and the
    // drops there: the trigger steps aside, or a drop on it would be refused.
    void setCovered(bool covered);

Q_SIGNALS:
    void openRequested(std::optional<HubTab> tab, bool byDrag);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void remove();
    void applyCover();
    void makeWindow(const QRect &rect);
    void makeStrip(const QRect &rect, qreal devicePixelRatio);

    QProcessEnvironment m_env;
    TriggerDwell m_dwell;
    QPointer<QWidget> m_window;
    std::unique_ptr<InputStrip> m_strip;
    QRect m_rect;
    bool m_covered = false;
};
