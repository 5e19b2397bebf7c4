#include "StatusMenu.h"

#include "PrivacySwitch.h"
#include "SensorState.h"
#include "Symbols.h"
#include "Text.h"

#include <algorithm>

namespace StatusMenu {

namespace {

// Menus have no second line: the subtitle becomes the tooltip.
QAction *addItem(QMenu &menu, const QString &title, const QString &symbol, const QString &subtitle,
                 const std::function<void()> &action, const QKeySequence &shortcut = {})
{
    // A lone '&' would mark a keyboard accelerator ("Camera & Microphone").
    QAction *item = menu.addAction(QString(title).replace(QLatin1Char('&'), QStringLiteral("&&")));
    if (!symbol.isEmpty())
        item->setIcon(Symbols::icon(symbol));
    item->setToolTip(subtitle.isEmpty() ? title : subtitle);
    item->setStatusTip(subtitle);
    item->setShortcut(shortcut);
    if (action)
        QObject::connect(item, &QAction::triggered, &menu, action);
    else
        item->setEnabled(false);
    return item;
}

// Everyone who uses a sensor, each once, in alphabetical order.
QString userList(const SensorState &state)
{
    QStringList names;
    for (const QList<SensorUser> *users : {&state.cameraUsers, &state.micUsers}) {
        for (const SensorUser &user : *users)
            names.append(user.name);
    }
    names.removeDuplicates();
    std::sort(names.begin(), names.end());
    return QLocale().createSeparatedList(names);
}

} // namespace

void fill(QMenu &menu, const SensorState &state, const PrivacySwitch &privacy, const MenuActions &actions)
{
    menu.clear();
    QAction *status =
        !state.cameraOn && !state.micOn
            ? addItem(menu, Text::tr("Camera and microphone not in use"), QStringLiteral("checkmark.shield"),
                      {}, {})
            : addItem(menu, Text::tr("In use now"),
                      state.cameraOn ? QStringLiteral("video.fill") : QStringLiteral("mic.fill"),
                      userList(state), {});
    status->setObjectName(QStringLiteral("status"));
    addItem(menu, Text::tr("Open Tarnwick"), QStringLiteral("capsule.tophalf.filled"), {}, actions.openHub)
        ->setObjectName(QStringLiteral("openHub"));
    menu.addSeparator();

    const bool allOff = privacy.cameraOff() && privacy.micOff();
    QAction *toggle =
        allOff ? addItem(menu, Text::tr("Turn Camera & Microphone On"), QStringLiteral("video.fill"),
                         Text::tr("Apps can ask for the camera again; the microphone hears you"),
                         actions.toggleEverythingOff)
               : addItem(menu, Text::tr("Turn Camera & Microphone Off"), QStringLiteral("video.slash.fill"),
                         Text::tr("Apps lose camera access; the microphone goes silent"),
                         actions.toggleEverythingOff);
    toggle->setObjectName(QStringLiteral("toggleEverythingOff"));
    addItem(menu, Text::tr("History…"), {}, {}, actions.showHistory, Qt::CTRL | Qt::Key_Y)
        ->setObjectName(QStringLiteral("showHistory"));
    menu.addSeparator();

    addItem(menu, Text::tr("Settings…"), {}, {}, actions.showSettings, Qt::CTRL | Qt::Key_Comma)
        ->setObjectName(QStringLiteral("showSettings"));
    addItem(menu, Text::tr("Check for Updates…"), {}, {}, actions.checkForUpdates)
        ->setObjectName(QStringLiteral("checkForUpdates"));
    addItem(menu, Text::tr("Show Tutorial"), {}, {}, actions.showTutorial)
        ->setObjectName(QStringLiteral("showTutorial"));
    addItem(menu, Text::tr("About Tarnwick"), {}, {}, actions.showAbout)
        ->setObjectName(QStringLiteral("showAbout"));
    menu.addSeparator();

    addItem(menu, Text::tr("Quit Tarnwick"), QStringLiteral("power"),
            privacy.micOff() ? Text::tr("The microphone turns back on") : QString(), actions.quit,
            Qt::CTRL | Qt::Key_Q)
        ->setObjectName(QStringLiteral("quit"));
}

} // namespace StatusMenu
