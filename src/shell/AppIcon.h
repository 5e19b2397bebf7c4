#pragma once

#include <QPixmap>
#include <QString>

// An application's icon as its desktop entry names it: an icon-theme name or
// an absolute image path.
namespace AppIcon {
// A null pixmap when the name is empty or nothing can be loaded for it.
QPixmap pixmap(const QString &icon, int size, qreal devicePixelRatio);
} // namespace AppIcon
