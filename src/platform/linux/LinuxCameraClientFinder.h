#pragma once

#include "CameraClientFinder.h"
#include "CameraNodeScan.h"

#include <mutex>

class ProcessDirectory;

// The camera's clients are the processes holding its capture nodes open.
// When that is the PipeWire daemon, the real clients are the ones consuming
// its camera node, read from the graph `pw-dump` prints; sandboxed ones are
// known by app id only and are looked up by it.
class LinuxCameraClientFinder : public CameraClientFinder {
public:
    LinuxCameraClientFinder(CameraNodeScan scan, const ProcessDirectory &processes,
                            QString pwDumpProgram = QStringLiteral("pw-dump"));

    QList<qint32> clients(std::stop_token stop) const override;

private:
    QList<qint32> pipeWireConsumers(const QStringList &nodes, const QList<qint32> &daemons,
                                    std::stop_token stop) const;

    CameraNodeScan m_scan;
    const ProcessDirectory &m_processes;
    QString m_pwDump;
    mutable std::once_flag m_toolMissingLogged;
};
