#include "BackgroundFileWriter.h"

#include "Log.h"

#include <QDir>
#include <QFileInfo>
#include <QMutexLocker>
#include <QSaveFile>

#include <utility>

BackgroundFileWriter::BackgroundFileWriter(QString filePath, QString what)
    : m_path(std::move(filePath))
    , m_what(std::move(what))
{
    m_worker.setMaxThreadCount(1);
}

BackgroundFileWriter::~BackgroundFileWriter()
{
    flush();
}

void BackgroundFileWriter::write(std::function<QByteArray()> contents)
{
    QMutexLocker lock(&m_mutex);
    m_pending = std::move(contents);
    if (m_draining)
        return;
    m_draining = true;
    m_worker.start([this] { drain(); });
}

void BackgroundFileWriter::flush()
{
    m_worker.waitForDone();
}

bool BackgroundFileWriter::lastWriteSucceeded() const
{
    QMutexLocker lock(&m_mutex);
    return !m_failing;
}

void BackgroundFileWriter::drain()
{
    for (;;) {
        std::function<QByteArray()> contents;
        {
            QMutexLocker lock(&m_mutex);
            if (!m_pending) {
                m_draining = false;
                return;
            }
            contents = std::exchange(m_pending, nullptr);
        }
        QString problem;
        const bool written = writeNow(contents(), problem);
        QMutexLocker lock(&m_mutex);
        if (!written && !m_failing)
            qCWarning(lcFiles).noquote().nospace()
                << "cannot save " << m_what << " to " << m_path << " (" << problem
                << "); keeping it in memory and trying again at the next change";
        m_failing = !written;
    }
}

bool BackgroundFileWriter::writeNow(const QByteArray &bytes, QString &problem) const
{
    if (!QDir().mkpath(QFileInfo(m_path).absolutePath())) {
        problem = QStringLiteral("cannot create the folder");
        return false;
    }
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        problem = file.errorString();
        return false;
    }
    return true;
}
