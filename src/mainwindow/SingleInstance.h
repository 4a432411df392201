#pragma once
#include "mainwindow/InstanceLock.h"

#include <QLocalServer>
#include <QObject>
#include <QString>

#include <functional>

// One running program per user. The first start holds a lock named after the
// executable (a lock file in the user's runtime directory, a named mutex on
// Windows) and listens on a local socket or pipe; a later start connects to
// it, which asks the first to come forward, and then ends.
class TSingleInstance : public QObject {
    Q_OBJECT
  public:
    // name: the executable's file name in upper case (SingleInstanceName()).
    explicit TSingleInstance(const QString& name, const QString& directory = {});

    // True when this is the first instance; it then listens for later starts.
    // False when another instance runs; it has been asked to come forward.
    bool Acquire();

    // Run in the first instance for every later start.
    std::function<void()> ComeForward;

    // The lock file's path, or the mutex's name.
    QString LockPath() const { return lock_.Name(); }
    QString SocketPath() const { return lock_.ChannelName(); }

  private:
    void AskFirstInstance();

    TInstanceLock lock_;
    QLocalServer server_;
};

QString SingleInstanceName();
