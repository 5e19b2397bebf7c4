#pragma once

#include "CameraClientFinder.h"

#include <QHash>
#include <QMutex>
#include <QWaitCondition>

// Camera clients set by hand. Thread-safe, like the real finder.
//
// A test can hold queries at a gate to order races deterministically: while
// held, each query waits until it is released and then answers the clients
// set at the moment of its release.
class SimCameraClientFinder : public CameraClientFinder {
public:
    // A held query also goes on once `stop` is requested.
    QList<ClientClaim> clients(std::stop_token stop) const override;

    // Processes the kernel vouches for, like holders of the camera's nodes.
    void setClients(const QList<qint32> &pids);
    void setClaims(const QList<ClientClaim> &claims);
    // Queries asked from now on wait at the gate until released.
    void hold();
    // Waits until `count` queries are waiting at the gate; false after `timeoutMs`.
    bool waitForHeld(int count, int timeoutMs = 5000) const;
    // Lets the query that has waited longest go on; false when none waits.
    bool releaseOne();
    // Opens the gate for every waiting and every later query.
    void releaseAll();
    int queries() const;

private:
    qint64 heldLocked() const; // queries waiting at the gate, not yet released

    mutable QMutex m_mutex;
    mutable QWaitCondition m_changed;
    QList<ClientClaim> m_clients;
    bool m_holding = false;
    mutable int m_queries = 0;
    mutable qint64 m_nextTicket = 0; // handed to each held query, in arrival order
    qint64 m_releasedUpTo = 0;       // held queries with a smaller ticket may go on
    mutable QHash<qint64, QList<ClientClaim>> m_releasedAnswers;
};
