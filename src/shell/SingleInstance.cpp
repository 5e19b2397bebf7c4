#include "SingleInstance.h"

#include "Log.h"

#include <QFile>
#include <QLocalSocket>

#include <sys/file.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {
constexpr int answerTimeoutMs = 2000;
const QByteArray reopenRequest = QByteArrayLiteral("reopen\n");
const QByteArray acknowledged = QByteArrayLiteral("ok\n");
} // namespace

SingleInstance::SingleInstance(QString socketPath, QObject *parent)
    : QObject(parent)
    , m_path(std::move(socketPath))
{
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server.nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (!socket->canReadLine())
                    return;
                if (socket->readLine() == reopenRequest) {
                    socket->write(acknowledged);
                    Q_EMIT reopenRequested();
                }
                socket->disconnectFromServer();
            });
        }
    });
}

SingleInstance::~SingleInstance()
{
    if (m_lock >= 0)
        ::close(m_lock);
}

bool SingleInstance::claim()
{
    if (takeLock()) {
        listen();
        return true;
    }
    if (askRunningInstance())
        qCInfo(lcShell) << "already running; asked it to open the hub";
    else
        qCWarning(lcShell).noquote().nospace()
            << "already running, but it does not answer (stopped or busy); leaving the microphones to it";
    return false;
}

bool SingleInstance::takeLock()
{
    const QByteArray path = QFile::encodeName(m_path + QStringLiteral(".lock"));
    // Close-on-exec: a program Tarnwick starts must not keep the lock alive.
    m_lock = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_lock < 0) {
        // Without a lock the socket alone decides, and nothing is taken over.
        qCWarning(lcShell).noquote().nospace() << "cannot open " << path << " (" << std::strerror(errno)
                                               << "); the instance socket alone decides who runs";
        return m_server.listen(m_path);
    }
    if (::flock(m_lock, LOCK_EX | LOCK_NB) == 0)
        return true;
    ::close(m_lock);
    m_lock = -1;
    return false;
}

void SingleInstance::listen()
{
    if (m_server.isListening())
        return;
    // Holding the lock, any socket there was left by a run that died.
    QLocalServer::removeServer(m_path);
    if (!m_server.listen(m_path))
        qCWarning(lcShell).noquote().nospace()
            << "cannot listen on " << m_path << " (" << m_server.errorString()
            << "); a second launch will not find this one";
}

bool SingleInstance::askRunningInstance()
{
    QLocalSocket socket;
    socket.connectToServer(m_path);
    if (!socket.waitForConnected(answerTimeoutMs))
        return false;
    socket.write(reopenRequest);
    if (!socket.waitForBytesWritten(answerTimeoutMs))
        return false;
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(answerTimeoutMs))
            return false;
    }
    return socket.readLine() == acknowledged;
}
