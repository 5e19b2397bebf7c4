#include "SingleInstance.h"

#include "Log.h"

#include <QFile>
#include <QLocalSocket>

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

bool SingleInstance::claim()
{
    // No socket options: with them Qt binds elsewhere and renames over an
    // existing socket, so a second instance would silently take the name.
    if (m_server.listen(m_path))
        return true;
    if (askRunningInstance())
        return false;
    // Nobody answers: a socket left behind by a crash.
    QLocalServer::removeServer(m_path);
    if (m_server.listen(m_path))
        return true;
    qCWarning(lcShell).noquote().nospace() << "cannot listen on " << m_path << " (" << m_server.errorString()
                                           << "); a second launch will not find this one";
    return true;
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
