#pragma once

#include "CameraClientFinder.h"
#include "CameraNodeScan.h"

#include <mutex>

// The camera's clients are the processes holding its capture nodes open.
// When that is the PipeWire daemon, the real clients are the ones consuming
// its camera node, read from the graph `pw-dump` prints, as they describe
// themselves there.
class LinuxCameraClientFinder : public CameraClientFinder {
public:
    explicit LinuxCameraClientFinder(CameraNodeScan scan, QString pwDumpProgram = QStringLiteral("pw-dump"));

    QList<ClientClaim> clients(std::stop_token stop) const override;

private:
    QList<ClientClaim> pipeWireConsumers(const QStringList &nodes, const QList<ClientClaim> &daemons,
                                         std::stop_token stop) const;

    CameraNodeScan m_scan;
    QString m_pwDump;
    mutable std::once_flag m_toolMissingLogged;
};
