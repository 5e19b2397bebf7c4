#include "SensorUserCache.h"

#include "ProcessDirectory.h"

// Equal streams hash alike; the fields left out only make more of them share a bucket.
static size_t qHash(const AudioCapture &capture, size_t seed = 0)
{
    return qHashMulti(seed, capture.pid, capture.hostPid, capture.appId, capture.clientName);
}

SensorUserCache::SensorUserCache(const ProcessDirectory &processes)
    : m_processes(processes)
{}

bool SensorUserCache::holds(const AudioCapture &claim, const Answer &answer) const
{
    return m_processes.startTime(claim.pid) == answer.claimedStart &&
           m_processes.startTime(claim.hostPid) == answer.hostStart &&
           m_processes.startTime(answer.user.pid) == answer.userStart;
}

SensorUser SensorUserCache::resolve(const AudioCapture &capture)
{
    AudioCapture claim = capture;
    claim.id = 0;
    if (const auto known = m_captures.constFind(claim);
        known != m_captures.constEnd() && holds(claim, *known))
        return known->user;
    // Start times first: a process that starts meanwhile is not mistaken for the one resolved.
    Answer fresh{m_processes.startTime(claim.pid), m_processes.startTime(claim.hostPid), std::nullopt,
                 SensorUser::resolve(capture, m_processes)};
    fresh.userStart = m_processes.startTime(fresh.user.pid);
    m_captures.insert(claim, fresh);
    return fresh.user;
}

void SensorUserCache::forgetExited()
{
    m_captures.removeIf([this](const auto &entry) { return !holds(entry.key(), entry.value()); });
}
