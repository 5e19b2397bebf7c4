#include "Symbols.h"

#include "Log.h"

#include <QHash>
#include <QPainter>
#include <QPixmap>

namespace Symbols {

namespace {

const QHash<QString, QString> &table()
{
    static const QHash<QString, QString> files{
        {QStringLiteral("app"), QStringLiteral(":/icons/app.svg")},
        {QStringLiteral("capsule.tophalf.filled"), QStringLiteral(":/icons/capsule.tophalf.filled.svg")},
        {QStringLiteral("checkmark.circle.fill"), QStringLiteral(":/icons/checkmark.circle.fill.svg")},
        {QStringLiteral("checkmark.shield"), QStringLiteral(":/icons/checkmark.shield.svg")},
        {QStringLiteral("circle.lefthalf.filled"), QStringLiteral(":/icons/circle.lefthalf.filled.svg")},
        {QStringLiteral("cup.and.saucer.fill"), QStringLiteral(":/icons/cup.and.saucer.fill.svg")},
        {QStringLiteral("eject.fill"), QStringLiteral(":/icons/eject.fill.svg")},
        {QStringLiteral("eye"), QStringLiteral(":/icons/eye.svg")},
        {QStringLiteral("eyedropper"), QStringLiteral(":/icons/eyedropper.svg")},
        {QStringLiteral("lock.fill"), QStringLiteral(":/icons/lock.fill.svg")},
        {QStringLiteral("lock.shield"), QStringLiteral(":/icons/lock.shield.svg")},
        {QStringLiteral("menubar.dock.rectangle"), QStringLiteral(":/icons/menubar.dock.rectangle.svg")},
        {QStringLiteral("mic.fill"), QStringLiteral(":/icons/mic.fill.svg")},
        {QStringLiteral("moon.zzz.fill"), QStringLiteral(":/icons/moon.zzz.fill.svg")},
        {QStringLiteral("network.badge.shield.half.filled"),
         QStringLiteral(":/icons/network.badge.shield.half.filled.svg")},
        {QStringLiteral("person.crop.square"), QStringLiteral(":/icons/person.crop.square.svg")},
        {QStringLiteral("power"), QStringLiteral(":/icons/power.svg")},
        {QStringLiteral("questionmark.circle"), QStringLiteral(":/icons/questionmark.circle.svg")},
        {QStringLiteral("square.grid.2x2"), QStringLiteral(":/icons/square.grid.2x2.svg")},
        {QStringLiteral("square.stack.3d.up"), QStringLiteral(":/icons/square.stack.3d.up.svg")},
        {QStringLiteral("tray.and.arrow.down"), QStringLiteral(":/icons/tray.and.arrow.down.svg")},
        {QStringLiteral("tray.full"), QStringLiteral(":/icons/tray.full.svg")},
        {QStringLiteral("video.fill"), QStringLiteral(":/icons/video.fill.svg")},
        {QStringLiteral("video.slash.fill"), QStringLiteral(":/icons/video.slash.fill.svg")},
        {QStringLiteral("xmark"), QStringLiteral(":/icons/xmark.svg")},
        {QStringLiteral("xmark.circle"), QStringLiteral(":/icons/xmark.circle.svg")},
    };
    return files;
}

} // namespace

bool has(const QString &name)
{
    return table().contains(name);
}

QIcon icon(const QString &name)
{
    const auto file = table().constFind(name);
    if (file == table().constEnd()) {
        qCWarning(lcShell).noquote().nospace() << "no drawing for the symbol \"" << name << '"';
        return {};
    }
    return QIcon(*file);
}

QImage tinted(const QString &name, const QColor &color, QSize size, qreal devicePixelRatio)
{
    QImage image = icon(name).pixmap(size, devicePixelRatio).toImage();
    image.convertTo(QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return image;
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(image.rect(), color);
    return image;
}

} // namespace Symbols
