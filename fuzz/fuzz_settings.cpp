// The settings file, as any program or a crash may have left it, and the
// microphone levels saved in it.
#include "DefaultsStore.h"
#include "FuzzSupport.h"
#include "MicGuardRecords.h"

#include <QFile>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FuzzSupport::initialize();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = FuzzSupport::writeScratch(
        QStringLiteral("settings.json"), QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    DefaultsStore store(path);
    store.boolValue(QStringLiteral("HideOnFullScreen"));
    store.stringValue(QStringLiteral("LastVersion"));
    store.stringListValue(QStringLiteral("HiddenApps"));
    MicGuardRecords::read(store);
    QFile::remove(path);
    if (!store.keptAsidePath().isEmpty())
        QFile::remove(store.keptAsidePath());
    return 0;
}
