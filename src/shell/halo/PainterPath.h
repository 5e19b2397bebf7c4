#pragma once

#include "OutlinePath.h"

#include <QPainterPath>

// The one place where the core's outlines become something QPainter draws.
QPainterPath toPainterPath(const OutlinePath &outline);
