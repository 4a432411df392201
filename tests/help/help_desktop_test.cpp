// F1 in the real findaro on the test desktop: the help window comes up on
// its own, at the topic of the window that had the keyboard, and a missing
// help file is reported once.
//
// Run inside the test desktop: with-test-domain with-desktop ctest -L x11

#include "ChildProcess.h"
#include "XDesktop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

const std::string HelpTitle = "Findaro Help - The search window";

class HelpOnDesktop : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NO_THROW(desk_ = std::make_unique<XDesktop>())
            << "run under tests/harness/with-desktop";
        // A private copy, so that the settings and the help file beside it are
        // this test's; it starts in another folder than its own.
        exe_ = dir_.path() / "bin" / "findaro";
        fs::create_directories(exe_.parent_path());
        fs::copy_file(FINDARO_EXECUTABLE, exe_);
        std::ofstream(exe_.parent_path() / "findaro.INI") << "[Settings]\nHookHotkey=1\n";
        fs::create_directory(dir_.path() / "run");
        fs::permissions(dir_.path() / "run", fs::perms::owner_all);
        env_ = {"XDG_RUNTIME_DIR=" + (dir_.path() / "run").string(),
                "TMPDIR=" + dir_.path().string()};
    }

    void TearDown() override { findaro_.reset(); }

    void startAndPopUp() {
        ASSERT_FALSE(desk_->superPGrabbed()) << "another client holds Super+P already";
        findaro_ = std::make_unique<ChildProcess>(std::vector<std::string>{exe_.string()}, env_);
        ASSERT_TRUE(waitUntil([&] { return desk_->superPGrabbed(); })) << "findaro did not start";
        ASSERT_TRUE(xdotool({"key", "--clearmodifiers", "super+p"}));
        ASSERT_TRUE(waitUntil([&] {
            const xcb_window_t bar = desk_->windowTitled("findaro", "Findaro");
            return bar && desk_->viewable(bar) && desk_->inputFocus() == bar;
        })) << "the pop-up did not come up with the keyboard";
    }

    // The window that w stands on for the window manager (0: none).
    xcb_window_t transientFor(xcb_window_t w) const {
        xcb_connection_t* c = desk_->connection();
        auto* reply = xcb_get_property_reply(
            c, xcb_get_property(c, 0, w, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, 0, 1),
            nullptr);
        xcb_window_t owner = 0;
        if (reply && xcb_get_property_value_length(reply) >= 4)
            owner = *static_cast<xcb_window_t*>(xcb_get_property_value(reply));
        std::free(reply);
        return owner;
    }

    void pressF1() { ASSERT_TRUE(xdotool({"key", "--clearmodifiers", "F1"})); }

    // findaro's viewable windows with this title.
    std::vector<xcb_window_t> shown(const std::string& title, bool dialogs) const {
        std::vector<xcb_window_t> out;
        for (xcb_window_t w : desk_->windowsOfClass("findaro"))
            if (desk_->viewable(w) && desk_->title(w) == title && desk_->isDialog(w) == dialogs)
                out.push_back(w);
        return out;
    }

    std::unique_ptr<XDesktop> desk_;
    TempDir dir_;
    fs::path exe_;
    std::vector<std::string> env_;
    std::unique_ptr<ChildProcess> findaro_;
};

TEST_F(HelpOnDesktop, F1InThePopUpOpensTheHelpAtTheSearchWindowTopic) {
    fs::copy_file(FINDARO_HELP_FILE, exe_.parent_path() / "Findaro.chm");
    ASSERT_NO_FATAL_FAILURE(startAndPopUp());
    pressF1();
    ASSERT_TRUE(waitUntil([&] { return shown(HelpTitle, false).size() == 1; }))
        << "no help window titled \"" << HelpTitle << "\"";
    const xcb_window_t help = shown(HelpTitle, false).front();
    EXPECT_TRUE(waitUntil([&] { return desk_->activeWindow() == help; }, 3s))
        << "the help window did not come forward";
    EXPECT_EQ(transientFor(help), 0u) << "the help window belongs to a window of the program";
    const XRect r = desk_->geometry(help);
    EXPECT_GE(r.width, 600);
    EXPECT_GE(r.height, 400);

    // The pop-up again, F1 again: the same help window comes forward.
    ASSERT_TRUE(xdotool({"key", "--clearmodifiers", "super+p"}));
    ASSERT_TRUE(waitUntil([&] {
        return desk_->inputFocus() == desk_->windowTitled("findaro", "Findaro");
    })) << "the pop-up did not take the keyboard back";
    pressF1();
    EXPECT_TRUE(waitUntil([&] { return desk_->activeWindow() == help; }, 3s));
    EXPECT_EQ(shown(HelpTitle, false), std::vector<xcb_window_t>{help});
    EXPECT_TRUE(findaro_->running());
}

TEST_F(HelpOnDesktop, WithoutTheHelpFileF1WarnsOnce) {
    ASSERT_NO_FATAL_FAILURE(startAndPopUp());
    pressF1();
    ASSERT_TRUE(waitUntil([&] { return shown("Findaro", true).size() == 1; })) << "no warning box";
    ASSERT_TRUE(xdotool({"key", "--clearmodifiers", "Return"}));
    ASSERT_TRUE(waitUntil([&] { return shown("Findaro", true).empty(); }));

    ASSERT_TRUE(xdotool({"key", "--clearmodifiers", "super+p"}));
    ASSERT_TRUE(waitUntil(
        [&] { return desk_->inputFocus() == desk_->windowTitled("findaro", "Findaro"); }));
    pressF1();
    // The second request goes to the viewer, which says it cannot open the file.
    EXPECT_TRUE(
        waitUntil([&] { return shown("Help - Cannot open the help file", false).size() == 1; }));
    EXPECT_TRUE(shown("Findaro", true).empty()) << "warned twice";
}

} // namespace
