#pragma once

#include <QList>
#include <QMetaType>
#include <QString>

#include <optional>

struct ClientClaim;
class ProcessDirectory;

// An application (or a bare process) that uses a sensor. `pid` is the
// process the user is shown as: the application's own process when one was
// found (for a helper, the application responsible for it), otherwise the
// process itself; 0 when no process could be vouched for, and the user is
// known only by the name its client gave. Names are clean (cleanName).
struct SensorUser {
    qint32 pid = 0;
    QString name;      // the application's name, otherwise the process name
    QString appId;     // desktop-file or sandbox app id; empty for bare processes
    QString icon = {}; // the app's icon-theme name or image path; empty when it has none

    friend bool operator==(const SensorUser &, const SensorUser &) = default;

    // What de-duplication and the history key on: the pid, or the name of a
    // user without one.
    QString identity() const;

    // The user a process is shown as: its own application, else the
    // application responsible for it, else its bare process name. Nothing for
    // a pid below 1 or a process that cannot be named.
    static std::optional<SensorUser> resolve(qint32 pid, const ProcessDirectory &processes);

    // A sensor client's user, never nothing: every client that captures is
    // someone. Named by the app id the portal vouched for, else by the pid the
    // kernel gave, else by the pid the client claims if that process runs the
    // program the client names, else by what the client calls itself.
    static SensorUser resolve(const ClientClaim &claim, const ProcessDirectory &processes);
    // What a client says of itself, read without looking at any process.
    static SensorUser claimed(const ClientClaim &claim);
};

Q_DECLARE_METATYPE(SensorUser)
