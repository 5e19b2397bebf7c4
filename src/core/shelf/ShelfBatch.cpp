#include "ShelfBatch.h"

#include "Text.h"

#include <QLocale>

QString ShelfBatch::note(const QString &folderName) const
{
    const bool moved = kind == Kind::Move;
    if (failed.isEmpty())
        return (moved ? Text::tr("Moved %n items to %1", nullptr, done)
                      : Text::tr("Copied %n items to %1", nullptr, done))
            .arg(folderName);
    const QString names = failed.mid(0, 3).join(QStringLiteral(", "));
    return (moved ? Text::tr("Moved %n items; %1 couldn’t be moved (%2)", nullptr, done)
                  : Text::tr("Copied %n items; %1 couldn’t be copied (%2)", nullptr, done))
        .arg(QLocale().toString(failed.size()), names);
}
