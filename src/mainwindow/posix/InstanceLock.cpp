// POSIX backend: a QLockFile in the user's runtime directory, and the local
// socket beside it.
#include "mainwindow/InstanceLock.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

namespace {
QString RuntimeDirectory(const QString& directory) {
    if (!directory.isEmpty())
        return directory;
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return dir.isEmpty() ? QDir::tempPath() : dir;
}
} // namespace

struct TInstanceLock::TImpl {
    TImpl(const QString& name, const QString& directory)
        : path(RuntimeDirectory(directory) + QLatin1Char('/') + name + QStringLiteral(".lock")),
          channel(RuntimeDirectory(directory) + QLatin1Char('/') + name +
                  QStringLiteral(".socket")),
          lock(path) {
        // A running instance's lock never goes stale by age; only a lock left
        // by a process that no longer exists is taken over.
        lock.setStaleLockTime(0);
    }
    QString path;
    QString channel;
    QLockFile lock;
};

TInstanceLock::TInstanceLock(const QString& name, const QString& directory)
    : impl_(std::make_unique<TImpl>(name, directory)) {}

TInstanceLock::~TInstanceLock() = default;

TInstanceLock::EResult TInstanceLock::TryLock() {
    if (impl_->lock.tryLock(0))
        return EResult::Acquired;
    return impl_->lock.error() == QLockFile::LockFailedError ? EResult::HeldElsewhere
                                                             : EResult::Unavailable;
}

QString TInstanceLock::Name() const {
    return impl_->path;
}

QString TInstanceLock::ChannelName() const {
    return impl_->channel;
}

void AllowFirstInstanceForward() {}
