// The shelf file, as any program or a crash may have left it.
#include "FuzzSupport.h"
#include "ShelfStore.h"
#include "SimShelfFileSystem.h"

#include <QFile>

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FuzzSupport::initialize();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = FuzzSupport::writeScratch(
        QStringLiteral("shelf.json"), QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    SimShelfFileSystem files;
    {
        ShelfStore shelf(path, FuzzSupport::scratchFolder() + QStringLiteral("/own"), files, {});
        // Every entry it kept must be saved as itself, or the next launch reads another shelf.
        for (const ShelfItem &item : shelf.items()) {
            item.name();
            if (ShelfItem::fromJson(item.toJson()) != item)
                std::abort();
        }
        if (!shelf.keptAsidePath().isEmpty())
            QFile::remove(shelf.keptAsidePath());
    }
    QFile::remove(path);
    return 0;
}
