// The saved microphone levels: any JSON value where the records belong.
#include "DefaultsStore.h"
#include "FuzzSupport.h"
#include "MicGuardRecords.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FuzzSupport::initialize();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QJsonDocument document = QJsonDocument::fromJson(
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)));
    const QJsonValue value =
        document.isArray() ? QJsonValue(document.array()) : QJsonValue(document.object());
    // What decodes must encode to the same records again.
    if (const std::optional<MicGuardRecords::Map> map = MicGuardRecords::decode(value)) {
        if (MicGuardRecords::decode(MicGuardRecords::encode(*map)) != map)
            std::abort();
    }
    DefaultsStore memory;
    memory.setValue(QLatin1String(MicGuardRecords::key), value);
    MicGuardRecords::read(memory);
    return 0;
}
