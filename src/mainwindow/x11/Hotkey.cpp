// X11 backend of the global hot key: a passive grab of Mod4 + P on the root
// window, for every state of NumLock and CapsLock, since X matches modifiers
// exactly.
#include "mainwindow/GlobalHotkey.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMetaObject>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdlib>
#include <vector>

namespace {

constexpr xcb_keysym_t KeysymP = 0x0070;       // XK_p
constexpr xcb_keysym_t KeysymNumLock = 0xff7f; // XK_Num_Lock

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T> using XcbReply = std::unique_ptr<T, FreeDeleter>;

struct KeySymbolsDeleter {
    void operator()(xcb_key_symbols_t* s) const { xcb_key_symbols_free(s); }
};

std::vector<xcb_keycode_t> KeycodesOf(xcb_key_symbols_t* symbols, xcb_keysym_t keysym) {
    std::vector<xcb_keycode_t> codes;
    XcbReply<xcb_keycode_t> list(xcb_key_symbols_get_keycode(symbols, keysym));
    for (xcb_keycode_t* c = list.get(); c && *c != XCB_NO_SYMBOL; ++c)
        codes.push_back(*c);
    return codes;
}

// The modifier bit that NumLock sets; Mod2 on nearly every layout.
uint16_t NumLockMask(xcb_connection_t* c, xcb_key_symbols_t* symbols) {
    const std::vector<xcb_keycode_t> numLock = KeycodesOf(symbols, KeysymNumLock);
    XcbReply<xcb_get_modifier_mapping_reply_t> map(
        xcb_get_modifier_mapping_reply(c, xcb_get_modifier_mapping(c), nullptr));
    if (!map || numLock.empty())
        return XCB_MOD_MASK_2;
    const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(map.get());
    const int perModifier = map->keycodes_per_modifier;
    for (int mod = 0; mod < 8; ++mod)
        for (int i = 0; i < perModifier; ++i)
            for (xcb_keycode_t k : numLock)
                if (codes[mod * perModifier + i] == k)
                    return uint16_t(1u << mod);
    return XCB_MOD_MASK_2;
}

class THotkeyX11 final : public IGlobalHotkey, public QAbstractNativeEventFilter {
  public:
    THotkeyX11(xcb_connection_t* connection, xcb_window_t root, std::function<void()> pressed)
        : connection_(connection), root_(root), pressed_(std::move(pressed)) {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~THotkeyX11() override {
        Unregister();
        if (auto* app = QCoreApplication::instance())
            app->removeNativeEventFilter(this);
    }

    bool Register() override {
        Unregister();
        std::unique_ptr<xcb_key_symbols_t, KeySymbolsDeleter> symbols(
            xcb_key_symbols_alloc(connection_));
        if (!symbols)
            return false;
        const std::vector<xcb_keycode_t> codes = KeycodesOf(symbols.get(), KeysymP);
        const uint16_t numLock = NumLockMask(connection_, symbols.get());
        const uint16_t extras[] = {0, XCB_MOD_MASK_LOCK, numLock,
                                   uint16_t(XCB_MOD_MASK_LOCK | numLock)};
        std::vector<xcb_void_cookie_t> cookies;
        for (xcb_keycode_t code : codes)
            for (uint16_t extra : extras) {
                // owner_events false: the press reaches us on the root window
                // even while one of our own windows has the focus.
                cookies.push_back(xcb_grab_key_checked(connection_, 0, root_,
                                                       uint16_t(XCB_MOD_MASK_4 | extra), code,
                                                       XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
                grabs_.push_back({code, uint16_t(XCB_MOD_MASK_4 | extra)});
            }
        bool ok = !codes.empty();
        for (xcb_void_cookie_t cookie : cookies)
            if (XcbReply<xcb_generic_error_t> error{xcb_request_check(connection_, cookie)})
                ok = false;
        if (!ok)
            Unregister();
        else
            keycodes_ = codes;
        return ok;
    }

    void Unregister() override {
        for (const Grab& g : grabs_)
            xcb_ungrab_key(connection_, g.code, root_, g.modifiers);
        if (!grabs_.empty())
            xcb_flush(connection_);
        grabs_.clear();
        keycodes_.clear();
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (keycodes_.empty() || eventType != "xcb_generic_event_t")
            return false;
        auto* event = static_cast<xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_KEY_PRESS)
            return false;
        auto* press = reinterpret_cast<xcb_key_press_event_t*>(event);
        if (press->event != root_)
            return false;
        for (xcb_keycode_t code : keycodes_)
            if (press->detail == code) {
                // Queued on an object of ours: a press still waiting when the
                // hot key goes away is dropped with it.
                QMetaObject::invokeMethod(&context_, pressed_, Qt::QueuedConnection);
                break;
            }
        // Not consumed: Qt still takes the event's time as the latest user
        // time, which the window manager checks when we ask for the focus.
        return false;
    }

  private:
    struct Grab {
        xcb_keycode_t code;
        uint16_t modifiers;
    };
    xcb_connection_t* connection_;
    xcb_window_t root_;
    std::function<void()> pressed_;
    QObject context_;
    std::vector<Grab> grabs_;
    std::vector<xcb_keycode_t> keycodes_;
};

} // namespace

std::unique_ptr<IGlobalHotkey> CreateSuperPHotkey(std::function<void()> pressed) {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return nullptr;
    xcb_connection_t* c = x11->connection();
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    if (!screen)
        return nullptr;
    return std::make_unique<THotkeyX11>(c, screen->root, std::move(pressed));
}
