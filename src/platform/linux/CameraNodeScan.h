#pragma once

#include <QHashFunctions>
#include <QList>
#include <QString>

#include <sys/types.h>

// A video capture device node.
struct CameraNode {
    QString path; // with symbolic links resolved, as /proc shows an opened node
    dev_t device = 0;
    friend bool operator==(const CameraNode &, const CameraNode &) = default;
};

// A process that holds a camera node open.
struct CameraHolder {
    qint32 pid = 0;
    QString node;
    friend bool operator==(const CameraHolder &, const CameraHolder &) = default;
    friend size_t qHash(const CameraHolder &h, size_t seed = 0) { return qHashMulti(seed, h.pid, h.node); }
};

// Finds camera nodes in a device folder and the processes that hold them
// open. A value: copies are used from worker threads; every operation may
// block (device queries, a walk over every process's open files).
class CameraNodeScan {
public:
    enum class NodeCheck {
        // Real V4L2 nodes: the driver must report video capture.
        QueryCapabilities,
        // Test folders whose `video*` nodes are stand-ins made with mknod.
        AnyCharacterDevice,
    };

    explicit CameraNodeScan(QString deviceRoot = QStringLiteral("/dev"),
                            NodeCheck check = NodeCheck::QueryCapabilities,
                            QString procRoot = QStringLiteral("/proc"));

    const QString &deviceRoot() const { return m_deviceRoot; }
    const QString &procRoot() const { return m_procRoot; }
    // Whether a name in the device folder could be a camera node.
    static bool isCandidateName(const QString &name) { return name.startsWith(QLatin1String("video")); }

    QList<CameraNode> nodes() const;
    // Every process (except `excludedPid`) holding one of `nodes` open, once
    // per process and node. An open file matches when it resolves to the
    // node's path and to the same device numbers: the numbers alone could be
    // those of an unrelated device in a test folder.
    QList<CameraHolder> holders(const QList<CameraNode> &nodes, qint32 excludedPid) const;

private:
    bool isCaptureNode(const QString &path) const;

    QString m_deviceRoot; // resolved
    NodeCheck m_check;
    QString m_procRoot;
};
