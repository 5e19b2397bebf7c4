#pragma once

#include <QList>
#include <QMetaType>
#include <QString>

#include <optional>

struct AudioCapture;
class ProcessDirectory;

// An application (or a bare process) that uses a sensor. `pid` is the
// process the user is shown as: the application's own process when one was
// found (for a helper, the application responsible for it), otherwise the
// process itself. History and de-duplication key on it.
struct SensorUser {
    qint32 pid = 0;
    QString name;  // the application's name, otherwise the process name
    QString appId; // desktop-file or sandbox app id; empty for bare processes

    friend bool operator==(const SensorUser &, const SensorUser &) = default;

    // The user a process is shown as: its own application, else the
    // application responsible for it, else its bare process name. Nothing for
    // a pid below 1 or a process that cannot be named.
    static std::optional<SensorUser> resolve(qint32 pid, const ProcessDirectory &processes);

    // A capture stream's user. A sandboxed client reports a pid from inside its
    // sandbox, which means nothing out here, so it is named by the app id the
    // portal vouched for and never by that pid.
    static std::optional<SensorUser> resolve(const AudioCapture &capture, const ProcessDirectory &processes);
};

Q_DECLARE_METATYPE(SensorUser)
