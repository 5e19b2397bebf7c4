// The history file, as any program or a crash may have left it.
#include "FuzzSupport.h"
#include "SensorHistory.h"

#include <QFile>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FuzzSupport::initialize();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = FuzzSupport::writeScratch(
        QStringLiteral("history.json"), QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    {
        SensorHistory history(path);
        for (const SensorSession &session : history.sessions())
            session.toJson();
        if (!history.keptAsidePath().isEmpty())
            QFile::remove(history.keptAsidePath());
    }
    QFile::remove(path);
    return 0;
}
