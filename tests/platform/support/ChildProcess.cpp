#include "ChildProcess.h"

#include <QDeadlineTimer>
#include <QSignalSpy>

ChildProcess::ChildProcess(const QString &program, const QStringList &arguments,
                           const QProcessEnvironment &environment)
{
    m_process.setProcessEnvironment(environment);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(program, arguments);
    m_process.waitForStarted();
}

QByteArray ChildProcess::nextLine(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!m_process.canReadLine() && m_process.state() == QProcess::Running && !deadline.hasExpired()) {
        QSignalSpy output(&m_process, &QProcess::readyReadStandardOutput);
        output.wait(int(std::max<qint64>(1, deadline.remainingTime())));
    }
    return m_process.canReadLine() ? m_process.readLine().trimmed() : QByteArray();
}

void ChildProcess::writeLine(const QByteArray &line)
{
    m_process.write(line + '\n');
    m_process.waitForBytesWritten();
}

void ChildProcess::finish()
{
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(5000))
        kill();
}

void ChildProcess::kill()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished();
}

std::optional<QByteArray> ChildProcess::output(const QString &program, const QStringList &arguments,
                                               const QProcessEnvironment &environment, int timeoutMs)
{
    QProcess tool;
    tool.setProcessEnvironment(environment);
    tool.start(program, arguments);
    if (!tool.waitForFinished(timeoutMs) || tool.exitStatus() != QProcess::NormalExit ||
        tool.exitCode() != 0) {
        tool.kill();
        tool.waitForFinished();
        return std::nullopt;
    }
    return tool.readAllStandardOutput();
}
