#include "StatusItem.h"

#include "Symbols.h"
#include "Text.h"

#include <QCursor>
#include <QGuiApplication>

StatusItem::StatusItem(QObject *parent)
    : QObject(parent)
{
    // The icon theme's symbolic icon first, so panels can recolour it to suit themselves.
    m_tray.setIcon(QIcon::fromTheme(QGuiApplication::desktopFileName() + QStringLiteral("-symbolic"),
                                    Symbols::icon(QStringLiteral("capsule.tophalf.filled"))));
    m_tray.setToolTip(Text::tr("Tarnwick"));
    m_menu.setTitle(Text::tr("Tarnwick"));
    m_menu.setAccessibleName(Text::tr("Tarnwick"));
    m_menu.setToolTipsVisible(true);
    m_tray.setContextMenu(&m_menu);
    connect(&m_menu, &QMenu::aboutToShow, this, [this] { Q_EMIT menuNeedsUpdate(&m_menu); });
    connect(&m_tray, &QSystemTrayIcon::activated, this, &StatusItem::activated);
}

bool StatusItem::show()
{
    m_tray.show();
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void StatusItem::popUpMenu(const QPoint &at)
{
    m_menu.popup(at);
}

void StatusItem::refresh()
{
    if (m_menu.isVisible())
        Q_EMIT menuNeedsUpdate(&m_menu);
}

void StatusItem::activated(QSystemTrayIcon::ActivationReason reason)
{
    // The tray shows the context menu itself on a right click. An embedded
    // icon reports a second click soon after the first as a double click
    // instead: it is a click all the same (open, then close at once).
    if (reason != QSystemTrayIcon::Trigger && reason != QSystemTrayIcon::DoubleClick)
        return;
    if (QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier))
        popUpMenu(QCursor::pos());
    else
        Q_EMIT clicked();
}
