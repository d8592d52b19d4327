#include "SingleInstance.h"

#include "TLRAerror.h"

#include <QLocalServer>
#include <QLocalSocket>

namespace tillora {

namespace {
const QByteArray ShowMessage = "show\n";
constexpr int SocketWaitMs = 2000;
} // namespace

std::unique_ptr<InstanceLock> claimOrExplain(Platform& platform, const QString& programName) {
    auto lock = platform.claimSingleInstance(programName);
    if (!lock) {
        TLRAerror error;
        error.exec();
        askRunningCopyToShow(platform, programName);
    }
    return lock;
}

bool askRunningCopyToShow(const Platform& platform, const QString& programName) {
    QLocalSocket socket;
    socket.connectToServer(platform.instanceSocketName(programName));
    if (!socket.waitForConnected(SocketWaitMs))
        return false;
    socket.write(ShowMessage);
    const bool sent = socket.waitForBytesWritten(SocketWaitMs);
    socket.disconnectFromServer();
    return sent;
}

ShowRequests::ShowRequests(const Platform& platform, const QString& programName, QObject* parent)
    : QObject(parent)
    , server_(new QLocalServer(this)) {
    const QString name = platform.instanceSocketName(programName);
    // Only the holder of the instance lock gets here: a socket left by a copy that
    // crashed is stale and goes.
    QLocalServer::removeServer(name);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(name))
        qWarning("%s: later starts cannot reach this one: %s", qPrintable(programName),
                 qPrintable(server_->errorString()));
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                // One short line; anything else from the socket is ignored.
                if (socket->canReadLine() && socket->readLine(64) == ShowMessage)
                    Q_EMIT showRequested();
            });
        }
    });
}

bool ShowRequests::listening() const {
    return server_->isListening();
}

} // namespace tillora
