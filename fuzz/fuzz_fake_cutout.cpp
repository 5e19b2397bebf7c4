// The fake-cutout variable (TARNWICK_FAKE_CUTOUT), typed by a person.
#include "Cutout.h"
#include "FuzzSupport.h"

#include <cmath>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FuzzSupport::initialize();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QRectF screen(0, 0, 1920, 1080);
    const std::optional<Cutout> cutout =
        Cutout::fake(QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size)), screen, 24);
    if (!cutout)
        return 0;
    // Whatever it accepts, the halo must be able to lay out on that screen.
    const QRectF rect = cutout->rect();
    if (!std::isfinite(rect.left()) || !std::isfinite(rect.bottom()) ||
        !std::isfinite(cutout->cornerRadius()) || !screen.contains(rect))
        std::abort();
    return 0;
}
