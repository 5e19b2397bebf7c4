#pragma once

#include "OutlinePath.h"

#include <QRectF>
#include <QSizeF>
#include <QString>

#include <optional>

// The camera housing cut into the top edge of a display, or a made-up one
// where the display has none; everything drawn at the top of the screen is
// placed relative to it.
//
// Coordinates are Qt's global, device-independent pixels with y growing
// DOWNWARD: the top edge of a display is the minimum y of its geometry. The
// rules for housings are usually stated with y growing upward (a display's
// top is its maximum y); this class is the one place where they are turned
// around, so the rest of the application never flips a coordinate.
class Cutout {
public:
    enum class Kind { Notch, Island, None };

    static QString kindText(Kind kind);

    Cutout() = default;
    Cutout(Kind kind, const QRectF &rect, double cornerRadius);

    // `safeTop`: the display's top safe-area inset; `left` and `right`: its
    // strips of menu bar beside the housing (empty rectangles when it reports
    // none).
    static Cutout infer(const QRectF &screen, double safeTop, const QRectF &left, const QRectF &right,
                        double menuBarHeight);
    // A 190-pixel-wide region in the middle of the menu bar, for displays
    // without a housing.
    static Cutout virtualCutout(const QRectF &screen, double menuBarHeight);
    // A housing described in text ("notch14", "notch16", "island", "none",
    // "island:WxH+T"); anything else gives nothing, as does a housing that
    // does not fit on `screen`.
    static std::optional<Cutout> fake(const QString &value, const QRectF &screen, double menuBarHeight);

    Kind kind() const { return m_kind; }
    QRectF rect() const { return m_rect; }
    double cornerRadius() const { return m_cornerRadius; }

    // From the display's top edge down to the housing's top, never negative.
    double gap(double screenTop) const;

    // The shape drawn around the housing, `size` big, hanging from the
    // horizontal centre of `in`, its top `topInset` below the top of `in`.
    // An island gives a closed rounded rectangle; a notch (or none) gives a
    // shape open at the top unless `closed`.
    OutlinePath outline(QSizeF size, const QRectF &in, double topInset, double radius, bool closed) const;

    bool operator==(const Cutout &other) const = default;

private:
    Kind m_kind = Kind::None;
    QRectF m_rect;
    double m_cornerRadius = 0;
};
