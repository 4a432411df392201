#pragma once
#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

#include <functional>

// One running program per user. The first start holds a lock file named after
// the executable and listens on a local socket beside it in the user's runtime
// directory; a later start connects to that socket, which asks the first to
// come forward, and then ends.
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

    QString LockPath() const { return lockPath_; }
    QString SocketPath() const { return socketPath_; }

  private:
    void AskFirstInstance();

    QString lockPath_;
    QString socketPath_;
    QLockFile lock_;
    QLocalServer server_;
};

QString SingleInstanceName();
