#pragma once

#include "AppEntry.h"

// How a quit run ended: what closed, in the order seen, and what stayed open, by name.
struct QuitReport {
    QList<AppEntry> closed;
    QList<AppEntry> stillOpen;
    quint64 freed() const; // the memory the closed apps held when listed
    QString headline() const;
    friend bool operator==(const QuitReport &, const QuitReport &) = default;
};
