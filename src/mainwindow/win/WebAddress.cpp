// ShellExecuteW with the verb "open", as the program has always opened
// addresses in the user's browser and mail program.
#include "mainwindow/WebAddress.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QObject>
#include <QUrl>

#include <windows.h>
// After windows.h, whose types it uses.
#include <shellapi.h>

namespace {

class TShellOpener : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;

  public slots:
    void open(const QUrl& address) {
        const QString text = address.toString(QUrl::FullyEncoded);
        ShellExecuteW(nullptr, L"open", reinterpret_cast<const wchar_t*>(text.utf16()), nullptr,
                      nullptr, SW_SHOWNORMAL);
    }
};

} // namespace

void InstallWebAddressOpener() {
    // Owned by the application: it goes when the application does.
    auto* opener = new TShellOpener(QCoreApplication::instance());
    for (const char* scheme : {"http", "https", "mailto", "tel"})
        QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), opener, "open");
}

#include "WebAddress.moc"
