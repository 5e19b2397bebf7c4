#pragma once

#include <QString>

// What a client of a media server says about itself, and what someone other
// than the client vouches for (`hostPid`, `appId`). Whoever it turns out to
// be, a client that uses a sensor is shown.
struct ClientClaim {
    qint32 pid = 0; // the pid the client claims; 0 when it claims none or no number
    qint32 hostPid =
        0;         // from the kernel (socket credentials, open files), where the server exposes it truthfully
    QString appId; // sandboxed clients: the app id the portal vouched for
    QString clientName; // the client's name, else its application name
    QString binary;     // the program the client says it runs
    friend bool operator==(const ClientClaim &, const ClientClaim &) = default;
};
