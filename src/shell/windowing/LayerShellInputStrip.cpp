#include "LayerShellInputStrip.h"

#include "LayerShellOverlay.h"

#include <QEvent>

std::unique_ptr<LayerShellInputStrip> LayerShellInputStrip::connect(const QRect &rect)
{
    std::unique_ptr<LayerShellInputStrip> strip(new LayerShellInputStrip);
    QWidget &widget = strip->m_widget;
    widget.setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    widget.setAttribute(Qt::WA_TranslucentBackground);
    widget.setWindowTitle(QStringLiteral("Tarnwick trigger"));
    widget.setGeometry(rect);
    strip->m_overlay = LayerShellOverlay::connect(widget);
    if (!strip->m_overlay)
        return nullptr;
    widget.installEventFilter(strip.get());
    strip->m_overlay->show();
    strip->setShown(true);
    return strip;
}

LayerShellInputStrip::~LayerShellInputStrip()
{
    m_widget.removeEventFilter(this);
}

void LayerShellInputStrip::setShown(bool shown)
{
    m_overlay->setInputRegion(shown ? QRegion(m_widget.rect()) : QRegion());
}

bool LayerShellInputStrip::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == &m_widget) {
        switch (event->type()) {
        case QEvent::Enter:
            Q_EMIT entered();
            break;
        case QEvent::Leave:
            Q_EMIT left();
            break;
        case QEvent::MouseButtonPress:
            Q_EMIT pressed();
            return true;
        default:
            break;
        }
    }
    return InputStrip::eventFilter(watched, event);
}
