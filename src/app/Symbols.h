#pragma once

#include <QIcon>
#include <QString>

// Tarnwick's own drawings for the symbol names used across the app
// ("video.fill", "mic.fill", ...), in one table.
namespace Symbols {
QIcon icon(const QString &name);
bool has(const QString &name);
} // namespace Symbols
