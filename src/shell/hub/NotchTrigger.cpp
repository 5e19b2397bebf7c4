#include "NotchTrigger.h"

#include "InputStrip.h"
#include "Notch.h"
#include "Text.h"
#include "TimerTask.h"
#include "X11Overlay.h"

#include <QDragEnterEvent>
#include <QWidget>

NotchTrigger::NotchTrigger(QProcessEnvironment env, std::function<bool()> hoverEnabled, QObject *parent)
    : QObject(parent)
    , m_env(std::move(env))
    , m_dwell(std::make_unique<TimerTask>(), std::move(hoverEnabled))
{
    connect(&m_dwell, &TriggerDwell::openRequested, this, &NotchTrigger::openRequested);
}

NotchTrigger::~NotchTrigger()
{
    remove();
}

QRect NotchTrigger::rectFor(const Notch &notch)
{
    const QRect cutout = notch.cutout.rect().toAlignedRect();
    if (notch.cutout.kind() != Cutout::Kind::None)
        return cutout;
    return {cutout.left(), int(notch.screenTop()), cutout.width(), stripHeight};
}

void NotchTrigger::install()
{
    remove();
    const std::optional<Notch> notch = Notch::current(m_env);
    if (!notch || !notch->screen)
        return;
    m_rect = rectFor(*notch);
    if (notch->cutout.kind() == Cutout::Kind::None)
        makeStrip(m_rect, notch->screen->devicePixelRatio());
    else
        makeWindow(m_rect);
    applyCover();
}

void NotchTrigger::remove()
{
    m_dwell.pointerLeft();
    m_strip.reset();
    delete m_window.data();
    m_rect = {};
}

void NotchTrigger::setCovered(bool covered)
{
    if (m_covered == covered)
        return;
    m_covered = covered;
    if (covered)
        m_dwell.pointerLeft();
    applyCover();
}

void NotchTrigger::applyCover()
{
    if (m_strip)
        m_strip->setShown(!m_covered);
    if (QWidget *window = m_window.data()) {
        window->setVisible(!m_covered);
        if (!m_covered)
            window->raise();
    }
}

void NotchTrigger::makeStrip(const QRect &rect, qreal devicePixelRatio)
{
    m_strip = InputStrip::make(rect, devicePixelRatio);
    if (!m_strip) {
        m_rect = {};
        return;
    }
    connect(m_strip.get(), &InputStrip::entered, &m_dwell, &TriggerDwell::pointerEntered);
    connect(m_strip.get(), &InputStrip::left, &m_dwell, &TriggerDwell::pointerLeft);
    connect(m_strip.get(), &InputStrip::pressed, &m_dwell, &TriggerDwell::pressed);
    connect(m_strip.get(), &InputStrip::dragEntered, &m_dwell, &TriggerDwell::dragEntered);
}

void NotchTrigger::makeWindow(const QRect &rect)
{
    auto *window = new QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                                            Qt::WindowDoesNotAcceptFocus | Qt::X11BypassWindowManagerHint);
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    window->setAttribute(Qt::WA_X11DoNotAcceptFocus);
    window->setWindowTitle(Text::tr("Open Tarnwick"));
    window->setAccessibleName(Text::tr("Open Tarnwick"));
    window->setAcceptDrops(true);
    window->setAutoFillBackground(true);
    QPalette black = window->palette();
    black.setColor(QPalette::Window, Qt::black);
    window->setPalette(black);
    window->setGeometry(rect);
    window->installEventFilter(this);
    window->show();
    if (QWindow *handle = window->windowHandle())
        X11Overlay::keepOutOfTaskbar(*handle);
    window->raise();
    m_window = window;
}

bool NotchTrigger::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_window)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Enter:
        m_dwell.pointerEntered();
        break;
    case QEvent::Leave:
        m_dwell.pointerLeft();
        break;
    case QEvent::MouseButtonPress:
        m_dwell.pressed();
        return true;
    case QEvent::DragEnter: {
        auto *drag = static_cast<QDragEnterEvent *>(event);
        drag->setDropAction(Qt::CopyAction);
        drag->accept();
        m_dwell.dragEntered();
        return true;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
