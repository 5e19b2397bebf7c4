#include "ShelfBatch.h"

#include "Text.h"

QString ShelfBatch::note(const QString &folderName) const
{
    const bool moved = kind == Kind::Move;
    if (failed.isEmpty())
        return moved ? L("Moved %d items to %@", done, folderName)
                     : L("Copied %d items to %@", done, folderName);
    const QString names = failed.mid(0, 3).join(QStringLiteral(", "));
    return moved ? L("Moved %d items; %d couldn’t be moved (%@)", done, int(failed.size()), names)
                 : L("Copied %d items; %d couldn’t be copied (%@)", done, int(failed.size()), names);
}
