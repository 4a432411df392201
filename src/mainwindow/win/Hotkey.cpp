// Windows backend of the global hot key: RegisterHotKey(MOD_WIN, 'P') for the
// user-interface thread, whose WM_HOTKEY arrives as a thread message (no
// window) that Qt's event dispatcher shows to native event filters before
// dispatching it.
#include "mainwindow/GlobalHotkey.h"

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>

#include <windows.h>

namespace {

constexpr int HotkeyId = 0x4432; // 17458, the program's hot-key id

class THotkeyWin final : public IGlobalHotkey, public QAbstractNativeEventFilter {
  public:
    explicit THotkeyWin(std::function<void()> pressed) : pressed_(std::move(pressed)) {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~THotkeyWin() override {
        Unregister();
        if (auto* app = QCoreApplication::instance())
            app->removeNativeEventFilter(this);
    }

    bool Register() override {
        Unregister();
        // No window: the message goes to this thread's queue, so the key
        // works before the pop-up has a native window and while it has none.
        registered_ = RegisterHotKey(nullptr, HotkeyId, MOD_WIN, 'P') != 0;
        return registered_;
    }

    void Unregister() override {
        if (registered_)
            UnregisterHotKey(nullptr, HotkeyId);
        registered_ = false;
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        // Qt 6's dispatcher shows thread messages as "windows_generic_MSG";
        // Qt 5 named them "windows_dispatcher_MSG".
        if (!registered_ ||
            (eventType != "windows_generic_MSG" && eventType != "windows_dispatcher_MSG"))
            return false;
        const auto* msg = static_cast<const MSG*>(message);
        if (msg->message != WM_HOTKEY || msg->hwnd != nullptr || msg->wParam != HotkeyId)
            return false;
        // Queued on an object of ours: a press still waiting when the hot
        // key goes away is dropped with it.
        QMetaObject::invokeMethod(&context_, pressed_, Qt::QueuedConnection);
        return true;
    }

  private:
    std::function<void()> pressed_;
    QObject context_;
    bool registered_ = false;
};

} // namespace

std::unique_ptr<IGlobalHotkey> CreateSuperPHotkey(std::function<void()> pressed) {
    if (!QCoreApplication::instance())
        return nullptr;
    return std::make_unique<THotkeyWin>(std::move(pressed));
}
