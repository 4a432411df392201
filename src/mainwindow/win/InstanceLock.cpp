// Windows backend: a named mutex called after the executable (FINDARO.EXE),
// and a per-user named pipe through which a later start reaches the first.
#include "mainwindow/InstanceLock.h"

#include <QCryptographicHash>

#include <iterator>

#include <windows.h>

namespace {

// Tests run their own instance beside a real one: a moved directory gives
// the names a suffix of its own.
QString Scope(const QString& directory) {
    if (directory.isEmpty())
        return {};
    return QLatin1Char('-') + QString::fromLatin1(QCryptographicHash::hash(directory.toUtf8(),
                                                                           QCryptographicHash::Sha1)
                                                      .toHex()
                                                      .left(12));
}

QString UserName() {
    wchar_t name[257];
    DWORD size = DWORD(std::size(name));
    if (!GetUserNameW(name, &size) || size == 0)
        return {};
    return QString::fromWCharArray(name, int(size) - 1);
}

} // namespace

struct TInstanceLock::TImpl {
    QString name;
    QString channel;
    HANDLE mutex = nullptr;
};

TInstanceLock::TInstanceLock(const QString& name, const QString& directory)
    : impl_(std::make_unique<TImpl>()) {
    // A backslash would make the mutex name a namespace path.
    impl_->name = QString(name + Scope(directory)).replace(QLatin1Char('\\'), QLatin1Char('/'));
    // Pipe names are machine-wide: the user's name keeps each user's to itself.
    impl_->channel =
        QString(QStringLiteral("findaro-") + UserName() + QLatin1Char('-') + impl_->name)
            .replace(QLatin1Char('\\'), QLatin1Char('/'));
}

TInstanceLock::~TInstanceLock() {
    if (impl_->mutex)
        CloseHandle(impl_->mutex);
}

TInstanceLock::EResult TInstanceLock::TryLock() {
    if (impl_->mutex)
        return EResult::Acquired;
    HANDLE mutex =
        CreateMutexW(nullptr, FALSE, reinterpret_cast<const wchar_t*>(impl_->name.utf16()));
    const DWORD error = GetLastError();
    if (!mutex)
        return error == ERROR_ACCESS_DENIED ? EResult::HeldElsewhere : EResult::Unavailable;
    if (error == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return EResult::HeldElsewhere;
    }
    impl_->mutex = mutex;
    return EResult::Acquired;
}

QString TInstanceLock::Name() const {
    return impl_->name;
}

QString TInstanceLock::ChannelName() const {
    return impl_->channel;
}

void AllowFirstInstanceForward() {
    // This start came from the user, so it may hand the foreground on.
    AllowSetForegroundWindow(ASFW_ANY);
}
