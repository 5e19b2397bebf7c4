#include "MainMenu.h"

#include "Text.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenuBar>

namespace MainMenu {

namespace {

QAction *add(QMenu &menu, const QString &title, const std::function<void()> &action,
             const QKeySequence &shortcut = {})
{
    QAction *item = menu.addAction(QString(title).replace(QLatin1Char('&'), QStringLiteral("&&")));
    item->setShortcut(shortcut);
    // Tied to this window: each window has its own bar with the same keys.
    item->setShortcutContext(Qt::WindowShortcut);
    if (action)
        QObject::connect(item, &QAction::triggered, &menu, action);
    return item;
}

// The text widgets' own slots ("copy", "undo"…); a widget without one ignores the command.
std::function<void()> toFocus(const char *slot)
{
    return [slot] {
        if (QWidget *focus = QApplication::focusWidget())
            QMetaObject::invokeMethod(focus, slot);
    };
}

void deleteSelection()
{
    if (QWidget *focus = QApplication::focusWidget()) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
        QApplication::sendEvent(focus, &press);
    }
}

} // namespace

void build(QMainWindow &window, const MenuActions &actions, const std::function<void()> &hide)
{
    QMenuBar &bar = *window.menuBar();
    bar.clear();

    QMenu *app = bar.addMenu(Text::tr("Tarnwick"));
    add(*app, Text::tr("About Tarnwick"), actions.showAbout);
    add(*app, Text::tr("Check for Updates…"), actions.checkForUpdates);
    app->addSeparator();
    add(*app, Text::tr("Settings…"), actions.showSettings, Qt::CTRL | Qt::Key_Comma);
    app->addSeparator();
    add(*app, Text::tr("Hide Tarnwick"), hide, Qt::CTRL | Qt::Key_H);
    app->addSeparator();
    add(*app, Text::tr("Quit Tarnwick"), actions.quit, Qt::CTRL | Qt::Key_Q);

    QMenu *edit = bar.addMenu(Text::tr("Edit"));
    add(*edit, Text::tr("Undo"), toFocus("undo"), Qt::CTRL | Qt::Key_Z);
    add(*edit, Text::tr("Redo"), toFocus("redo"), Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
    edit->addSeparator();
    add(*edit, Text::tr("Cut"), toFocus("cut"), Qt::CTRL | Qt::Key_X);
    add(*edit, Text::tr("Copy"), toFocus("copy"), Qt::CTRL | Qt::Key_C);
    add(*edit, Text::tr("Paste"), toFocus("paste"), Qt::CTRL | Qt::Key_V);
    add(*edit, Text::tr("Delete"), deleteSelection);
    add(*edit, Text::tr("Select All"), toFocus("selectAll"), Qt::CTRL | Qt::Key_A);

    QMenu *windowMenu = bar.addMenu(Text::tr("Window"));
    add(
        *windowMenu, Text::tr("Minimize"), [&window] { window.showMinimized(); }, Qt::CTRL | Qt::Key_M);
    add(*windowMenu, Text::tr("Zoom"),
        [&window] { window.isMaximized() ? window.showNormal() : window.showMaximized(); });
    add(
        *windowMenu, Text::tr("Close"), [&window] { window.close(); }, Qt::CTRL | Qt::Key_W);
    windowMenu->addSeparator();
    add(*windowMenu, Text::tr("Open Tarnwick"), actions.openHub, Qt::CTRL | Qt::Key_O);

    QMenu *help = bar.addMenu(Text::tr("Help"));
    add(*help, Text::tr("Show Tutorial"), actions.showTutorial);
    add(*help, Text::tr("Tarnwick Help"), actions.openHelp, Qt::CTRL | Qt::Key_Question);
}

} // namespace MainMenu
