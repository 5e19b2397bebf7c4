// The update feed: whoever runs the server, or sits between it and us, writes it.
#include "Appcast.h"
#include "FuzzSupport.h"

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FuzzSupport::initialize();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    QString problem;
    const std::optional<Appcast::Release> release = Appcast::newest(text, &problem);
    // What is accepted is what the user may be sent to: an https page.
    if (release && (release->version.isEmpty() || release->page.scheme() != QLatin1String("https") ||
                    release->page.host().isEmpty() || !problem.isEmpty()))
        std::abort();
    if (!release && problem.isEmpty())
        std::abort();
    // Any two texts are ordered one way only.
    const QList<QByteArray> versions = FuzzSupport::parts(data, size, 2);
    const QString a = QString::fromUtf8(versions.value(0));
    const QString b = QString::fromUtf8(versions.value(1));
    if (Appcast::compareVersions(a, b) != -Appcast::compareVersions(b, a) || Appcast::compareVersions(a, a) != 0)
        std::abort();
    return 0;
}
