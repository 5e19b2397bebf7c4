#pragma once

#include "AppWindows.h"

// Windows set by hand; closing or activating one only records it.
class SimAppWindows : public AppWindows {
public:
    QList<Window> windows() const override { return shown; }
    void close(quint32 window) override { closed.append(window); }
    void activate(quint32 window) override { activated.append(window); }

    QList<Window> shown;
    QList<quint32> closed;
    QList<quint32> activated;
};
