#pragma once

#include "AudioCaptureSource.h"
#include "SensorUser.h"

#include <QHash>

#include <optional>

class ProcessDirectory;

// The users of capture streams, resolved once per process. Resolving reads
// /proc, cgroups and the desktop entries, while recorders start and stop many
// times a second in processes that stay. An answer holds while the processes
// it was made from (the pid the stream claims, the one its socket shows and
// the user it gave) keep their start times; a pid reused by a new process is
// resolved afresh, and `forgetExited` drops the answers of processes that are
// gone. Used by one thread at a time.
class SensorUserCache {
public:
    explicit SensorUserCache(const ProcessDirectory &processes);

    SensorUser resolve(const AudioCapture &capture);
    void forgetExited();
    qsizetype size() const { return m_captures.size(); }

private:
    struct Answer {
        // Of the claimed pid, the socket's pid and the pid the user is shown as.
        std::optional<quint64> claimedStart, hostStart, userStart;
        SensorUser user;
    };
    bool holds(const AudioCapture &claim, const Answer &answer) const;

    const ProcessDirectory &m_processes;
    QHash<AudioCapture, Answer> m_captures; // streams with their id cleared: what they claim
};
