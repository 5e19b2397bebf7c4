#pragma once

#include "OrvaneApp.h"

#include <QByteArray>
#include <QList>

// The catalogue of the maker's applications.
namespace Ecosystem {
// The released entries of a JSON list, in its order; an unreadable list, or
// one with an entry that does not decode, gives none.
QList<OrvaneApp> load(const QByteArray &json);
// The catalogue this build carries (the resource ":/apps/apps.json").
QList<OrvaneApp> catalogue();
} // namespace Ecosystem
