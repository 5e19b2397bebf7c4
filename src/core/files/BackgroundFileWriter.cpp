#include "BackgroundFileWriter.h"

#include "CheckedFile.h"
#include "Log.h"

#include <QMutexLocker>

#include <utility>

BackgroundFileWriter::BackgroundFileWriter(QString filePath, QString what, FailureHandler onFailure)
    : m_path(std::move(filePath))
    , m_what(std::move(what))
    , m_onFailure(std::move(onFailure))
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
        const QString problem = CheckedFile::write(m_path, contents());
        QMutexLocker lock(&m_mutex);
        const bool firstFailure = !problem.isEmpty() && !m_failing;
        m_failing = !problem.isEmpty();
        if (!firstFailure)
            continue;
        qCWarning(lcFiles).noquote().nospace()
            << "cannot save " << m_what << " to " << m_path << " (" << problem
            << "); kept the old file, keeping it in memory and trying again at the next change";
        if (m_onFailure)
            m_onFailure(problem);
    }
}
