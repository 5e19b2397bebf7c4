#pragma once

#include <QList>
#include <QPair>
#include <QString>

class DefaultsStore;

// The one extra parameter of an installation's very first update check, so
// the update server can count first checks; nothing else about the user or
// the machine is sent. Switched on per build (TARNWICK_COUNTS_FIRST_CHECK).
namespace FirstCheck {

// True in the settings once a feed has loaded with the parameter on.
inline constexpr char key[] = "orvane.firstCheckSent";

// The query items of the next feed request: none when the build does not
// count first checks or one was answered already, else exactly first=1.
QList<QPair<QString, QString>> parameters(bool enabled, const DefaultsStore &defaults);
void markSent(DefaultsStore &defaults);

} // namespace FirstCheck
