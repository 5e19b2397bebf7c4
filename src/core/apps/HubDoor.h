#pragma once

#include <QString>

// A sibling application's door in the hub: a button that asks it to present
// itself at the housing.
struct HubDoor {
    QString appId; // the sibling's desktop-file id
    QString title;
    QString symbol; // an icon-theme name; "app" for the plain application symbol
    QString scheme; // the address scheme the sibling answers

    friend bool operator==(const HubDoor &, const HubDoor &) = default;
};
