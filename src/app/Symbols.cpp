#include "Symbols.h"

#include "Log.h"

#include <QHash>

namespace Symbols {

namespace {

const QHash<QString, QString> &table()
{
    static const QHash<QString, QString> files{
        {QStringLiteral("capsule.tophalf.filled"), QStringLiteral(":/icons/capsule.tophalf.filled.svg")},
        {QStringLiteral("checkmark.shield"), QStringLiteral(":/icons/checkmark.shield.svg")},
        {QStringLiteral("mic.fill"), QStringLiteral(":/icons/mic.fill.svg")},
        {QStringLiteral("power"), QStringLiteral(":/icons/power.svg")},
        {QStringLiteral("video.fill"), QStringLiteral(":/icons/video.fill.svg")},
        {QStringLiteral("video.slash.fill"), QStringLiteral(":/icons/video.slash.fill.svg")},
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
        TW_WARN << "no drawing for the symbol \"" << name << '"';
        return {};
    }
    return QIcon(*file);
}

} // namespace Symbols
