#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QString>

// Tarnwick's own drawings for the symbol names used across the app
// ("video.fill", "mic.fill", ...), in one table.
namespace Symbols {
QIcon icon(const QString &name);
bool has(const QString &name);
// The symbol in one colour, `size` device-independent pixels big, drawn for
// a display of `devicePixelRatio`; a null image for an unknown name.
QImage tinted(const QString &name, const QColor &color, QSize size, qreal devicePixelRatio);
} // namespace Symbols
