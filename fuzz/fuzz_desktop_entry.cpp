// Desktop entries: any installed package or user writes them.
#include "DesktopEntryIndex.h"
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FuzzSupport::initialize();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    static const QLocale german(QLocale::German, QLocale::Germany);
    DesktopEntryIndex::parse(text, QStringLiteral("org.example.App"), german);
    const QString value = QString::fromUtf8(text);
    DesktopEntryIndex::execProgram(value);
    DesktopEntryIndex::iconName(value);
    return 0;
}
