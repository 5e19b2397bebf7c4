#pragma once

#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <sys/mount.h>

#include <cerrno>
#include <cstring>

// A small tmpfs of the test's own, filled to the last byte: every write to it
// fails with "No space left on device" after its files were created. Needs
// the right to mount (root, as in CI); problem() says why it is not there.
class FullFileSystem {
public:
    FullFileSystem()
    {
        if (!m_dir.isValid()) {
            m_problem = QStringLiteral("no temporary folder");
            return;
        }
        const QByteArray path = QFile::encodeName(m_dir.path());
        if (::mount("tmpfs", path.constData(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k,nr_inodes=64") != 0) {
            m_problem =
                QStringLiteral("cannot mount a tmpfs (%1)").arg(QString::fromLocal8Bit(std::strerror(errno)));
            return;
        }
        m_mounted = true;
    }
    ~FullFileSystem()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
    }
    FullFileSystem(const FullFileSystem &) = delete;
    FullFileSystem &operator=(const FullFileSystem &) = delete;

    QString problem() const { return m_problem; }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

    // Takes every free byte; the files already there keep their content.
    bool fill()
    {
        QFile ballast(filePath(QStringLiteral("ballast")));
        if (!ballast.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return false;
        const QByteArray block(4096, 'x');
        while (ballast.write(block) > 0) {
        }
        return true;
    }

private:
    QTemporaryDir m_dir;
    QString m_problem;
    bool m_mounted = false;
};
