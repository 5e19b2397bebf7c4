#include "SimCameraClientFinder.h"

#include <QDeadlineTimer>
#include <QMutexLocker>

QList<ClientClaim> SimCameraClientFinder::clients(std::stop_token stop) const
{
    const std::stop_callback wake(stop, [this] {
        QMutexLocker lock(&m_mutex);
        m_changed.wakeAll();
    });
    QMutexLocker lock(&m_mutex);
    ++m_queries;
    if (m_holding) {
        const qint64 ticket = m_nextTicket++;
        m_changed.wakeAll();
        while (m_holding && ticket >= m_releasedUpTo && !stop.stop_requested())
            m_changed.wait(&m_mutex);
        if (m_releasedAnswers.contains(ticket))
            return m_releasedAnswers.take(ticket);
    }
    return m_clients;
}

void SimCameraClientFinder::setClients(const QList<qint32> &pids)
{
    QList<ClientClaim> claims;
    for (const qint32 pid : pids)
        claims.append({pid, pid, {}, {}, {}});
    setClaims(claims);
}

void SimCameraClientFinder::setClaims(const QList<ClientClaim> &claims)
{
    QMutexLocker lock(&m_mutex);
    m_clients = claims;
}

void SimCameraClientFinder::hold()
{
    QMutexLocker lock(&m_mutex);
    m_holding = true;
    m_releasedUpTo = m_nextTicket;
}

bool SimCameraClientFinder::waitForHeld(int count, int timeoutMs) const
{
    QMutexLocker lock(&m_mutex);
    QDeadlineTimer deadline(timeoutMs);
    while (heldLocked() < count) {
        if (!m_changed.wait(&m_mutex, deadline))
            return heldLocked() >= count;
    }
    return true;
}

bool SimCameraClientFinder::releaseOne()
{
    QMutexLocker lock(&m_mutex);
    if (heldLocked() == 0)
        return false;
    m_releasedAnswers.insert(m_releasedUpTo++, m_clients);
    m_changed.wakeAll();
    return true;
}

void SimCameraClientFinder::releaseAll()
{
    QMutexLocker lock(&m_mutex);
    m_holding = false;
    m_changed.wakeAll();
}

int SimCameraClientFinder::queries() const
{
    QMutexLocker lock(&m_mutex);
    return m_queries;
}

qint64 SimCameraClientFinder::heldLocked() const
{
    return m_holding ? m_nextTicket - m_releasedUpTo : 0;
}
