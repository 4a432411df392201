// The X11 hot-key backend on a real X server (run inside tests/harness/with-desktop).
#include "mainwindow/GlobalHotkey.h"

#include <QApplication>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdlib>
#include <memory>

namespace {

void Press(const char* keys) {
    ASSERT_EQ(QProcess::execute("xdotool", {"key", keys}), 0) << "xdotool key " << keys;
}

// Another client of the display that holds Super+P itself.
class OtherClient {
  public:
    OtherClient() : c_(xcb_connect(nullptr, nullptr)) {
        root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
        xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(c_);
        std::unique_ptr<xcb_keycode_t, decltype(&std::free)> codes(
            xcb_key_symbols_get_keycode(symbols, 0x70), &std::free);
        code_ = codes ? codes.get()[0] : 0;
        xcb_key_symbols_free(symbols);
    }
    ~OtherClient() { xcb_disconnect(c_); }
    bool Grab() {
        std::unique_ptr<xcb_generic_error_t, decltype(&std::free)> error(
            xcb_request_check(c_, xcb_grab_key_checked(c_, 1, root_, XCB_MOD_MASK_4, code_,
                                                       XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC)),
            &std::free);
        return !error;
    }
    void Ungrab() {
        xcb_ungrab_key(c_, code_, root_, XCB_MOD_MASK_4);
        xcb_flush(c_);
        free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr)); // round trip
    }

  private:
    xcb_connection_t* c_;
    xcb_window_t root_ = 0;
    xcb_keycode_t code_ = 0;
};

TEST(HotkeyX11, SuperPReachesUsWithAndWithoutNumLockAndAHeldKeyIsRefusedQuietly) {
    ASSERT_TRUE(qApp) << "DISPLAY is not set: run inside tests/harness/with-desktop";
    int presses = 0;
    auto hotkey = CreateSuperPHotkey([&] { ++presses; });
    ASSERT_TRUE(hotkey) << "the X11 backend is expected on the xcb platform";

    {
        OtherClient other;
        ASSERT_TRUE(other.Grab());
        EXPECT_FALSE(hotkey->Register());
        other.Ungrab();
    }
    ASSERT_TRUE(hotkey->Register()); // a refusal left nothing of ours behind

    Press("super+p");
    EXPECT_TRUE(QTest::qWaitFor([&] { return presses == 1; }, 3000));
    Press("Num_Lock");
    Press("super+p");
    EXPECT_TRUE(QTest::qWaitFor([&] { return presses == 2; }, 3000));
    Press("Num_Lock");

    // While we hold it, no other client gets it; once released, it is free.
    {
        OtherClient other;
        EXPECT_FALSE(other.Grab());
        hotkey->Unregister();
        EXPECT_TRUE(other.Grab());
    }
}

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Without a display the test itself fails and says why; listing the
    // tests needs none.
    std::unique_ptr<QApplication> app;
    if (std::getenv("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
        app = std::make_unique<QApplication>(argc, argv);
    }
    return RUN_ALL_TESTS();
}
