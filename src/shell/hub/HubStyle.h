#pragma once

#include "HaloColor.h"

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QString>

// The hub's look, which stays dark whatever the desktop's colours.
namespace HubStyle {
QPalette palette();
QColor color(const SrgbColor &color);
// Secondary text: white at 55 %.
QColor secondary();
// `font` at `pixels` high, in `weight`.
QFont font(const QFont &base, int pixels, QFont::Weight weight = QFont::Normal);
// Small rounded buttons on the dark panel.
QString buttonSheet();
} // namespace HubStyle
