#pragma once

#include "HubDoor.h"
#include "HubPanelRules.h"
#include "HubTab.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QProcessEnvironment>
#include <QRect>

#include <memory>
#include <optional>

class Hub;
class HubSections;
class HubState;
class HubWindow;
class QMimeData;
class X11OutsideClicks;
struct Notch;

// The hub panel hanging from the housing: makes a fresh window each time it
// opens, places it, and discards it on closing. When it closes is decided by
// HubPanelRules; this class gives those rules a window, the pointer and the
// clicks in other applications.
class HubPanel : public QObject {
    Q_OBJECT
public:
    HubPanel(Hub &hub, HubState &state, const HubSections &sections, QProcessEnvironment env,
             QObject *parent = nullptr);
    ~HubPanel() override;

    // Where the window goes for `notch`: 740 wide, centred on the housing,
    // hanging from its top, tall enough for the housing and the content.
    static QRect frameFor(const Notch &notch);

    void open(std::optional<HubTab> tab = std::nullopt);
    void close();
    // The status icon's plain click.
    void toggle();
    // Asks a sibling application to present itself at the housing: closes
    // the hub and opens the door's address. False, with the hub left as it
    // is, when there is no display or no address.
    bool openDoor(const HubDoor &door);
    bool isOpen() const { return m_rules.isOpen(); }
    // Pinning and the busy count, for sections that keep the hub open.
    HubPanelRules &rules() { return m_rules; }
    HubWindow *window() const;

Q_SIGNALS:
    void openChanged(bool open);

private:
    std::optional<QRect> show();
    void discard();
    void dropped(const QMimeData &data);

    Hub &m_hub;
    HubState &m_state;
    const HubSections &m_sections;
    QProcessEnvironment m_env;
    HubPanelRules m_rules;
    QPointer<HubWindow> m_window;
    std::unique_ptr<X11OutsideClicks> m_outsideClicks;
    QElapsedTimer m_closedByOutsideClick;
};
