#pragma once

#include <QHash>
#include <QList>
#include <QString>

// Every process's parent, read from /proc at one moment: who descends from whom.
class ProcessTree {
public:
    explicit ProcessTree(const QString &procRoot);

    // The processes below `pid`, at any depth, parents before their children.
    QList<qint32> descendants(qint32 pid) const;
    qint32 parent(qint32 pid) const { return m_parent.value(pid); }

private:
    QHash<qint32, qint32> m_parent;
    QMultiHash<qint32, qint32> m_children;
};
