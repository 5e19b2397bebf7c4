#include "AppIcon.h"

#include <QFileInfo>
#include <QIcon>

namespace AppIcon {

QPixmap pixmap(const QString &icon, int size, qreal devicePixelRatio)
{
    if (icon.isEmpty())
        return {};
    const QIcon loaded = QFileInfo(icon).isAbsolute() ? QIcon(icon) : QIcon::fromTheme(icon);
    // A missing file still makes an icon, one without pixels.
    return loaded.pixmap(QSize(size, size), devicePixelRatio);
}

} // namespace AppIcon
