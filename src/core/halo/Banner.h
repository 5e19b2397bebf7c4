#pragma once

#include "HaloColor.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

// What the halo announces for a few seconds: an app using a sensor, or a
// short note. A plain value; the halo draws it.
struct Banner {
    struct Action {
        QString title;
        std::function<void()> run;
    };

    // An icon-theme name or an absolute image path (an app's desktop-entry
    // Icon); when empty, or when it cannot be loaded, `symbol` is shown.
    QString icon;
    // A colour sample shown in place of an icon (a picked colour).
    std::optional<SrgbColor> swatch;
    QString symbol;
    // The ring's colour while the banner shows; also tints `symbol`.
    SrgbColor color;
    QString title;
    std::optional<QString> subtitle;
    QList<Action> actions;
    double seconds = 4;

    // Buttons take longer to reach than a glance takes to read.
    double staySeconds() const { return actions.isEmpty() ? seconds : seconds + 3; }

    // A short confirmation; a picked colour shows as its swatch.
    static Banner note(const QString &text, std::optional<SrgbColor> swatch = std::nullopt);
};
