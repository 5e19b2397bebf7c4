#include "HubPanel.h"

#include "Doors.h"
#include "DropReader.h"
#include "Hub.h"
#include "HubState.h"
#include "HubView.h"
#include "HubWindow.h"
#include "Log.h"
#include "Notch.h"
#include "TimerTask.h"
#include "X11Connection.h"
#include "X11OutsideClicks.h"

#include <QCursor>
#include <QDesktopServices>
#include <QMimeData>

#include <malloc.h>

namespace {

// A tray host that is another client (a StatusNotifierItem host) reports
// the press on its icon as a click elsewhere, then the click itself: within
// this time the click must not open the hub again.
constexpr qint64 trayClickMs = 500;

} // namespace

HubPanel::HubPanel(Hub &hub, HubState &state, const HubSections &sections, QProcessEnvironment env,
                   QObject *parent)
    : QObject(parent)
    , m_hub(hub)
    , m_state(state)
    , m_sections(sections)
    , m_env(std::move(env))
    , m_rules(state, {[this] { return show(); }, [this] { discard(); }},
              {[] { return QCursor::pos(); }, [] { return X11Connection::buttonHeld(); }},
              {std::make_unique<TimerTask>(), std::make_unique<TimerTask>()})
{
    connect(&m_rules, &HubPanelRules::openChanged, this, &HubPanel::openChanged);
    // The content is large and the app lives on in the background.
    connect(&m_rules, &HubPanelRules::memoryReleasable, this, [] { malloc_trim(0); });
}

HubPanel::~HubPanel()
{
    delete m_window.data();
}

QRect HubPanel::frameFor(const Notch &notch)
{
    const QRectF cutout = notch.cutout.rect();
    const int height = qRound(cutout.height()) + HubView::bodyHeight;
    const int left = qRound(cutout.center().x() - HubView::width / 2.0);
    const int top = qRound(notch.screenTop() + notch.gap());
    return {left, top, HubView::width, height};
}

HubWindow *HubPanel::window() const
{
    return m_window;
}

void HubPanel::open(std::optional<HubTab> tab)
{
    m_rules.open(tab);
}

void HubPanel::close()
{
    m_rules.close();
}

void HubPanel::toggle()
{
    if (isOpen())
        close();
    else if (!m_closedByOutsideClick.isValid() || m_closedByOutsideClick.elapsed() > trayClickMs)
        open();
}

bool HubPanel::openDoor(const HubDoor &door)
{
    const std::optional<Notch> notch = Notch::current(m_env);
    const std::optional<QUrl> address =
        notch ? Doors::presentUrl(door, notch->cutout, notch->displayNumber()) : std::nullopt;
    if (!address) {
        qCWarning(lcApps).noquote() << "no address to open the door of" << door.appId;
        return false;
    }
    close();
    if (!QDesktopServices::openUrl(*address)) {
        qCWarning(lcApps).noquote() << "nothing opened" << address->toString();
        return false;
    }
    return true;
}

std::optional<QRect> HubPanel::show()
{
    const std::optional<Notch> notch = Notch::current(m_env);
    if (!notch)
        return std::nullopt;
    const QRect frame = frameFor(*notch);
    const bool flatTop = notch->cutout.kind() == Cutout::Kind::Notch;
    auto *view =
        new HubView(m_hub.sensors(), m_state, m_sections, qRound(notch->cutout.rect().height()), flatTop);
    auto *window = new HubWindow(view, flatTop);
    window->setGeometry(frame);
    connect(window, &HubWindow::escapePressed, this, &HubPanel::close);
    connect(window, &HubWindow::entered, &m_rules, &HubPanelRules::pointerEntered);
    connect(window, &HubWindow::left, &m_rules, &HubPanelRules::scheduleClose);
    connect(window, &HubWindow::dragChanged, this, [this](bool over) {
        if (over) {
            m_state.setTab(HubTab::Shelf);
            m_rules.beginBusy();
        } else {
            m_rules.endBusy();
        }
        m_state.setDropTargeted(over);
    });
    connect(window, &HubWindow::dropped, this, &HubPanel::dropped);
    connect(view, &HubView::doorClicked, this, &HubPanel::openDoor);
    window->show();
    window->raise();
    m_window = window;

    m_outsideClicks = std::make_unique<X11OutsideClicks>();
    if (!m_outsideClicks->isListening())
        qCWarning(lcHub) << "clicks in other applications cannot be seen; the hub closes when left or on Esc";
    connect(m_outsideClicks.get(), &X11OutsideClicks::clicked, this, [this] {
        m_rules.clickedElsewhere();
        if (!isOpen())
            m_closedByOutsideClick.start();
    });
    return frame;
}

void HubPanel::discard()
{
    m_outsideClicks.reset();
    HubWindow *window = std::exchange(m_window, nullptr);
    if (!window)
        return;
    window->hide();
    // The closed hub's content no longer follows the model, even until it goes.
    if (HubView *view = window->view()) {
        QObject::disconnect(&m_state, nullptr, view, nullptr);
        QObject::disconnect(&m_hub.sensors(), nullptr, view, nullptr);
    }
    // Close may come from inside one of the window's own event handlers.
    window->deleteLater();
}

void HubPanel::dropped(const QMimeData &data)
{
    const DropReader::Dropped dropped = DropReader::drop(data, m_hub.shelf(), QDateTime::currentDateTime());
    qCInfo(lcHub).nospace() << "a drop on the hub put " << dropped.added << " items on the shelf";
    if (const QString note = dropped.note(); !note.isEmpty())
        m_state.setNote(note);
}
