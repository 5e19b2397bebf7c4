#include "Banner.h"

#include "Text.h"

Banner Banner::note(const QString &text, std::optional<SrgbColor> swatch)
{
    Banner banner;
    banner.symbol = QStringLiteral("checkmark.circle.fill");
    banner.color = HaloColor::note;
    banner.title = text;
    banner.seconds = 2.5;
    if (swatch) {
        banner.swatch = swatch;
        banner.subtitle = Text::tr("Paste it anywhere");
    }
    return banner;
}
