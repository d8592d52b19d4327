#include "SingleInstance.h"

#include "TLRAerror.h"

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

namespace tillora {

namespace {
const QByteArray ShowMessage = "show\n";
const QByteArray EndMessage = "end\n";
constexpr int SocketWaitMs = 2000;
// After its connection closed, the ending copy still lets go of its lock and files.
constexpr int LockReleaseMs = 10000;

bool send(QLocalSocket& socket, const Platform& platform, const QString& programName,
          const QByteArray& message) {
    socket.connectToServer(platform.instanceSocketName(programName));
    if (!socket.waitForConnected(SocketWaitMs))
        return false;
    socket.write(message);
    return socket.waitForBytesWritten(SocketWaitMs);
}
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
    const bool sent = send(socket, platform, programName, ShowMessage);
    socket.disconnectFromServer();
    return sent;
}

int exitCodeOf(EndOfRunningCopy outcome) {
    switch (outcome) {
    case EndOfRunningCopy::NoneRan:
        return 0;
    case EndOfRunningCopy::Ended:
        return 3;
    case EndOfRunningCopy::StillRuns:
        break;
    }
    return 4;
}

// This process runs no event loop: it blocks on the socket until the running copy ends
// and its end of the connection goes with it, or the limit passes.
EndOfRunningCopy endRunningCopy(Platform& platform, const QString& programName,
                                std::chrono::milliseconds limit) {
    if (platform.claimSingleInstance(programName))
        return EndOfRunningCopy::NoneRan;
    QLocalSocket socket;
    if (!send(socket, platform, programName, EndMessage))
        return EndOfRunningCopy::StillRuns;
    if (socket.state() != QLocalSocket::UnconnectedState &&
        !socket.waitForDisconnected(int(limit.count())))
        return EndOfRunningCopy::StillRuns;
    const QDeadlineTimer released(LockReleaseMs);
    while (!platform.claimSingleInstance(programName)) {
        if (released.hasExpired())
            return EndOfRunningCopy::StillRuns;
        QThread::msleep(100);
    }
    return EndOfRunningCopy::Ended;
}

InstanceRequests::InstanceRequests(const Platform& platform, const QString& programName,
                                   QObject* parent)
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
                if (!socket->canReadLine())
                    return;
                const QByteArray line = socket->readLine(64);
                if (line == ShowMessage)
                    Q_EMIT showRequested();
                else if (line == EndMessage)
                    Q_EMIT endRequested(); // the socket stays open until the process ends
            });
        }
    });
}

bool InstanceRequests::listening() const {
    return server_->isListening();
}

} // namespace tillora
