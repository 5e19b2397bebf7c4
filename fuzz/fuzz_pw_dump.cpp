// What `pw-dump` prints: any client of the PipeWire daemon shapes it.
#include "FuzzSupport.h"
#include "PipeWireGraph.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FuzzSupport::initialize();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const PipeWireGraph graph(QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)));
    graph.cameraConsumers(QStringLiteral("/dev/video0"));
    return 0;
}
