#include "ProcessTree.h"

#include "ProcFs.h"

#include <QSet>

ProcessTree::ProcessTree(const QString &procRoot)
{
    for (const pid_t pid : ProcFs::pids(procRoot)) {
        if (const std::optional<pid_t> up = ProcFs::parent(pid, procRoot)) {
            m_parent.insert(pid, *up);
            m_children.insert(*up, pid);
        }
    }
}

QList<qint32> ProcessTree::descendants(qint32 pid) const
{
    QList<qint32> found;
    QSet<qint32> seen{pid};
    QList<qint32> next{pid};
    while (!next.isEmpty()) {
        const qint32 current = next.takeFirst();
        for (auto child = m_children.constFind(current);
             child != m_children.constEnd() && child.key() == current; ++child) {
            if (!seen.contains(*child)) { // a pid reused while reading may close a loop
                seen.insert(*child);
                found.append(*child);
                next.append(*child);
            }
        }
    }
    return found;
}
