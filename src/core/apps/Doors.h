#pragma once

#include "Cutout.h"
#include "HubDoor.h"

#include <QHash>
#include <QUrl>

#include <optional>

// Doors that sibling applications declare in their desktop entries with
// X-Orvane-HubDoor-* keys (docs/doors.md), and the address that opens one.
namespace Doors {
// The door the entry of `appId` declares with `keys` (its X-Orvane-HubDoor-*
// values by the rest of the key). Nothing when it declares none; nothing and
// one log line when a value breaks a rule.
std::optional<HubDoor> door(const QString &appId, const QHash<QString, QString> &keys);
// Whether a sibling may be opened through `scheme`: never a web, file, mail
// or network address, which other programs would answer.
bool isAllowedScheme(const QString &scheme);
// The address asking the door's application to present itself at `cutout`
// (global coordinates) on display number `display`. Nothing when the door's
// scheme is not allowed or the cutout is not a finite rectangle.
std::optional<QUrl> presentUrl(const HubDoor &door, const Cutout &cutout, quint32 display);
} // namespace Doors
