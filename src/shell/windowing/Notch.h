#pragma once

#include "Cutout.h"

#include <QPointer>
#include <QProcessEnvironment>
#include <QScreen>

#include <optional>

// A display and the housing at its top: where the halo, the notch trigger
// and the hub panel are placed. Computed afresh on every call, never cached,
// so a change of the screen arrangement needs no bookkeeping.
struct Notch {
    QPointer<QScreen> screen;
    Cutout cutout;

    // The display to work on: the primary one with the housing described by
    // TARNWICK_FAKE_CUTOUT when that is valid, else the first display with a
    // real housing, else the primary display with a virtual one. Nothing when
    // there is no display at all.
    static std::optional<Notch> current(const QProcessEnvironment &env);
    // X11 reports no safe areas or housings, so this measures the menu bar
    // and gives the virtual cutout.
    static Cutout measure(const QScreen &screen);

    // The display's number for other programs: its place in the list of
    // displays (X11 and Wayland give a display no lasting number); 0 without one.
    quint32 displayNumber() const;
    double screenTop() const { return screen ? screen->geometry().top() : 0; }
    double gap() const { return cutout.gap(screenTop()); }

    bool operator==(const Notch &other) const { return screen == other.screen && cutout == other.cutout; }
};
