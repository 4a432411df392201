#include "mainwindow/SingleInstance.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLocalSocket>

QString SingleInstanceName() {
    return QFileInfo(QCoreApplication::applicationFilePath()).fileName().toUpper();
}

TSingleInstance::TSingleInstance(const QString& name, const QString& directory)
    : lock_(name, directory) {
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
    switch (lock_.TryLock()) {
    case TInstanceLock::EResult::HeldElsewhere:
        AskFirstInstance();
        return false;
    case TInstanceLock::EResult::Unavailable:
        // The lock cannot be had at all: run without the guard rather than
        // not at all.
        return true;
    case TInstanceLock::EResult::Acquired:
        break;
    }
    // We hold the lock, so a socket file left behind is a dead instance's.
    QLocalServer::removeServer(SocketPath());
    server_.listen(SocketPath());
    return true;
}

void TSingleInstance::AskFirstInstance() {
    AllowFirstInstanceForward();
    QLocalSocket socket;
    socket.connectToServer(SocketPath());
    if (socket.waitForConnected(1000)) {
        socket.write("\n");
        socket.waitForBytesWritten(1000);
        socket.disconnectFromServer();
    }
}
