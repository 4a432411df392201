#include "mainwindow/SingleInstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QStandardPaths>

namespace {
QString RuntimeDirectory(const QString& directory) {
    if (!directory.isEmpty())
        return directory;
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return dir.isEmpty() ? QDir::tempPath() : dir;
}
} // namespace

QString SingleInstanceName() {
    return QFileInfo(QCoreApplication::applicationFilePath()).fileName().toUpper();
}

TSingleInstance::TSingleInstance(const QString& name, const QString& directory)
    : lockPath_(RuntimeDirectory(directory) + QLatin1Char('/') + name + QStringLiteral(".lock")),
      socketPath_(RuntimeDirectory(directory) + QLatin1Char('/') + name +
                  QStringLiteral(".socket")),
      lock_(lockPath_) {
    // A running instance's lock never goes stale by age; only a lock left by
    // a process that no longer exists is taken over.
    lock_.setStaleLockTime(0);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* peer = server_.nextPendingConnection()) {
            peer->disconnectFromServer();
            peer->deleteLater();
            if (ComeForward)
                ComeForward();
        }
    });
}

bool TSingleInstance::Acquire() {
    if (!lock_.tryLock(0)) {
        if (lock_.error() == QLockFile::LockFailedError) {
            AskFirstInstance();
            return false;
        }
        // The runtime directory is unusable: run without the guard rather
        // than not at all.
        return true;
    }
    // We hold the lock, so a socket file left here is a dead instance's.
    QLocalServer::removeServer(socketPath_);
    server_.listen(socketPath_);
    return true;
}

void TSingleInstance::AskFirstInstance() {
    QLocalSocket socket;
    socket.connectToServer(socketPath_);
    if (socket.waitForConnected(1000)) {
        socket.write("\n");
        socket.waitForBytesWritten(1000);
        socket.disconnectFromServer();
    }
}
