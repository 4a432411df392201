// The Windows hot key: RegisterHotKey(MOD_WIN, 'P') for the user-interface
// thread, and WM_HOTKEY read by the native event filter. The message is posted
// here as the system posts it; the real Win+P press is Windows' own to show.
#include "gui_test_support.h"
#include "mainwindow/GlobalHotkey.h"

#include <QTest>

#include <gtest/gtest.h>

#include <windows.h>

namespace {

constexpr int ProgramId = 0x4432;
constexpr int ForeignId = 0x1234;

void PostHotkey(int id) {
    ASSERT_TRUE(
        PostThreadMessageW(GetCurrentThreadId(), WM_HOTKEY, WPARAM(id), MAKELPARAM(MOD_WIN, 'P')));
}

TEST(HotkeyWin, WinPReachesUsAndAKeyHeldElsewhereIsRefusedQuietly) {
    int presses = 0;
    auto hotkey = CreateSuperPHotkey([&] { ++presses; });
    ASSERT_NE(hotkey, nullptr);
    ASSERT_TRUE(hotkey->Register());
    // Ours now: another registration of Win+P is refused.
    EXPECT_FALSE(RegisterHotKey(nullptr, ForeignId, MOD_WIN, 'P'));

    PostHotkey(ProgramId);
    EXPECT_TRUE(QTest::qWaitFor([&] { return presses == 1; }, 3000));
    PostHotkey(ForeignId); // not ours
    QTest::qWait(200);
    EXPECT_EQ(presses, 1);

    hotkey->Unregister();
    PostHotkey(ProgramId);
    QTest::qWait(200);
    EXPECT_EQ(presses, 1) << "no presses once unregistered";

    // Held by someone else: Register says so and nothing else happens.
    ASSERT_TRUE(RegisterHotKey(nullptr, ForeignId, MOD_WIN, 'P'));
    EXPECT_FALSE(hotkey->Register());
    UnregisterHotKey(nullptr, ForeignId);
    EXPECT_TRUE(hotkey->Register());
    hotkey.reset();
    EXPECT_TRUE(RegisterHotKey(nullptr, ForeignId, MOD_WIN, 'P')) << "freed with the object";
    UnregisterHotKey(nullptr, ForeignId);
}

// The window's own hot key: Win+P shows it; with HookHotkey 0 the key is
// left to others.
TEST(HotkeyWin, TheWindowComesUpOnWinPAndLeavesTheKeyAloneWhenToldTo) {
    MessageBoxCatcher boxes;
    {
        SettingsScope settings;
        settings.Write("HookHotkey=1\r\n");
        auto frm = MakeWindow();
        EXPECT_FALSE(frm->isVisible());
        EXPECT_FALSE(RegisterHotKey(nullptr, ForeignId, MOD_WIN, 'P')) << "the window holds Win+P";
        PostHotkey(ProgramId);
        EXPECT_TRUE(QTest::qWaitFor([&] { return frm->isVisible(); }, 3000));
    }
    SettingsScope settings;
    settings.Write("HookHotkey=0\r\n");
    auto frm = MakeWindow();
    EXPECT_TRUE(RegisterHotKey(nullptr, ForeignId, MOD_WIN, 'P'))
        << "Win+P is held with HookHotkey=0";
    UnregisterHotKey(nullptr, ForeignId);
    PostHotkey(ProgramId);
    QTest::qWait(200);
    EXPECT_FALSE(frm->isVisible());
}

} // namespace
