#pragma once
// The system-wide sign that the program runs for this user: a lock file in the
// user's runtime directory, or a named mutex on Windows. CMake picks the
// backend.

#include <QString>

#include <memory>

class TInstanceLock {
  public:
    enum class EResult {
        Acquired,      // this is the first instance
        HeldElsewhere, // another instance holds it
        Unavailable,   // the lock cannot be had at all
    };

    // name: the executable's file name in upper case. directory: where the
    // lock and the channel live instead of the default place (tests).
    TInstanceLock(const QString& name, const QString& directory);
    ~TInstanceLock();

    EResult TryLock();
    // The lock file's path or the mutex's name.
    QString Name() const;
    // The local server name through which a later start reaches the first.
    QString ChannelName() const;

  private:
    struct TImpl;
    std::unique_ptr<TImpl> impl_;
};

// Called by a later start just before it asks the first to come forward, so
// that the first may take the foreground (Windows refuses it to a process in
// the background otherwise).
void AllowFirstInstanceForward();
