// The About box of the real findaro on a real desktop (Xvfb, openbox, tint2),
// driven with xdotool, checking for updates against the test domain's web
// server, directly and then through the SOCKS 5 proxy entered in the proxy
// dialog. Run inside with-test-domain with-desktop.
#include "ChildProcess.h"
#include "XDesktop.h"

#include "TestEnv.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// Whether an area of the screen holds dark (text) pixels.
bool HasInk(const XDesktop& desk, const XRect& area) {
    const XImage img = desk.grab(area);
    for (uint32_t px : img.pixels)
        if (((px >> 16) & 0xff) + ((px >> 8) & 0xff) + (px & 0xff) < 3 * 110)
            return true;
    return false;
}

class AboutOnDesktop : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(Env("FINDARO_TEST_WEB_HOST").empty())
            << "run inside tests/harness/with-test-domain";
        desk_ = std::make_unique<XDesktop>();
        exe_ = dir_.path() / "findaro";
        fs::copy_file(FINDARO_EXECUTABLE, exe_);
        fs::create_directory(dir_.path() / "run");
        fs::permissions(dir_.path() / "run", fs::perms::owner_all);
        std::ofstream(dir_.path() / "findaro.INI") << "[Settings]\nHookHotkey=0\n";
        findaro_ = std::make_unique<ChildProcess>(
            std::vector<std::string>{exe_.string()},
            std::vector<std::string>{"XDG_RUNTIME_DIR=" + (dir_.path() / "run").string(),
                                     "TMPDIR=" + dir_.path().string(),
                                     "XDG_CONFIG_HOME=" + (dir_.path() / "config").string()});
        ASSERT_TRUE(waitUntil([&] { return desk_->trayIcons("findaro").size() == 1; }))
            << "findaro's tray icon did not appear";
    }
    void TearDown() override { findaro_.reset(); }

    xcb_window_t Window(const std::string& title) const {
        for (xcb_window_t w : desk_->windowsOfClass("findaro"))
            if (desk_->viewable(w) && desk_->title(w) == title)
                return w;
        return 0;
    }
    // A point of the About box's client area.
    void ClickAbout(int x, int y) {
        const XRect r = desk_->geometry(Window("About"));
        ASSERT_TRUE(
            xdotool({"mousemove", std::to_string(r.x + x), std::to_string(r.y + y), "click", "1"}));
    }
    XRect AboutArea(int x, int y, int w, int h) const {
        const XRect r = desk_->geometry(Window("About"));
        return {r.x + x, r.y + y, w, h};
    }
    void Key(const std::string& k) { ASSERT_TRUE(xdotool({"key", "--clearmodifiers", k})); }
    void Type(const std::string& text) { ASSERT_TRUE(xdotool({"type", "--delay", "10", text})); }

    std::unique_ptr<XDesktop> desk_;
    TempDir dir_;
    fs::path exe_;
    std::unique_ptr<ChildProcess> findaro_;
};

TEST_F(AboutOnDesktop, CheckDirectlyThenThroughTheProxyEnteredInTheDialog) {
    // Tray menu: Setup, About, -, Exit.
    auto shown = [&] {
        size_t n = 0;
        for (xcb_window_t w : desk_->windowsOfClass("findaro"))
            n += desk_->viewable(w);
        return n;
    };
    const size_t before = shown();
    const XRect icon = desk_->geometry(desk_->trayIcons("findaro")[0]);
    ASSERT_TRUE(xdotool({"mousemove", std::to_string(icon.x + icon.width / 2),
                         std::to_string(icon.y + icon.height / 2), "click", "3"}));
    ASSERT_TRUE(waitUntil([&] { return shown() > before; })) << "the tray menu did not open";
    Key("Down");
    Key("Down");
    Key("Return");
    ASSERT_TRUE(waitUntil([&] { return Window("About") != 0; })) << "the About box did not open";
    const XRect box = desk_->geometry(Window("About"));
    EXPECT_EQ(box.width, 448);
    // Centred on the screen (the frame's title bar shifts it a little).
    EXPECT_NEAR(box.x + box.width / 2, desk_->screenWidth() / 2, 4);
    EXPECT_NEAR(box.y + box.height / 2, desk_->screenHeight() / 2, 20);

    // The verdict line (Update Details at 139, 140 of the box, its second
    // line 4, 37 within) and the Download button (207, 34 within).
    const XRect verdict = AboutArea(143, 177, 180, 16);
    const XRect download = AboutArea(348, 176, 76, 19);
    EXPECT_FALSE(HasInk(*desk_, verdict));
    EXPECT_FALSE(HasInk(*desk_, download)) << "Download shown before any check";

    const std::string webLog = Env("FINDARO_TEST_WEB_LOG");
    size_t served = FileText(webLog).size();
    ClickAbout(71, 162); // Check For Updates
    ASSERT_TRUE(waitUntil([&] { return HasInk(*desk_, verdict) && HasInk(*desk_, download); }))
        << "no verdict and no Download button after the check";
    std::string request = FileText(webLog).substr(served);
    EXPECT_NE(request.find(" GET /versions/versions.xml HTTP/1.1"), std::string::npos);
    EXPECT_EQ(request.find(Env("FINDARO_TEST_SOCKS_OUT_IP") + " "), std::string::npos)
        << "the first check went through the proxy";

    ClickAbout(71, 191); // Proxy Settings
    ASSERT_TRUE(waitUntil([&] {
        const xcb_window_t w = Window("Proxy Settings");
        return w && desk_->activeWindow() == w;
    })) << "the proxy dialog did not open with the keyboard";
    Key("space"); // Use Proxy Server
    Key("Tab");
    Type(Env("FINDARO_TEST_SOCKS_HOST"));
    Key("Tab");
    Key("ctrl+a");
    Type(Env("FINDARO_TEST_SOCKS_PORT"));
    Key("Tab");
    Type(Env("FINDARO_TEST_SOCKS_USER"));
    Key("Tab");
    Type(Env("FINDARO_TEST_SOCKS_PASSWORD"));
    Key("Return");
    ASSERT_TRUE(waitUntil([&] { return Window("Proxy Settings") == 0; }));

    const fs::path store = dir_.path() / "config/Quillmere/ProxySettings.reg";
    struct stat st {};
    ASSERT_EQ(::stat(store.c_str(), &st), 0) << "no proxy settings file at " << store;
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat(store.parent_path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    const std::string saved = FileText(store);
    for (const std::string& line : std::vector<std::string>{
             "\"ProxyEnabled\"=dword:00000001",
             "\"ProxyServer\"=\"" + Env("FINDARO_TEST_SOCKS_HOST") + "\"",
             "\"ProxyPort\"=dword:00000438",
             "\"ProxyUser\"=\"" + Env("FINDARO_TEST_SOCKS_USER") + "\"",
             "\"ProxyPassword\"=\"" + Env("FINDARO_TEST_SOCKS_PASSWORD") + "\""})
        EXPECT_NE(saved.find(line), std::string::npos) << line << " not in\n" << saved;

    // The second check goes through the proxy: the web server sees the
    // proxy's address, and the proxy logs the authenticated request.
    served = FileText(webLog).size();
    const size_t proxied = FileText(Env("FINDARO_TEST_SOCKS_LOG")).size();
    ClickAbout(71, 162);
    ASSERT_TRUE(waitUntil([&] {
        return FileText(webLog).substr(served).find(Env("FINDARO_TEST_SOCKS_OUT_IP") +
                                                    " GET /versions/versions.xml") !=
               std::string::npos;
    })) << "the second check did not reach the web server through the proxy";
    EXPECT_NE(FileText(Env("FINDARO_TEST_SOCKS_LOG"))
                  .substr(proxied)
                  .find("username%" + Env("FINDARO_TEST_SOCKS_USER") + "@"),
              std::string::npos);
    EXPECT_TRUE(waitUntil([&] { return HasInk(*desk_, download); }, 3s));

    ASSERT_TRUE(waitUntil([&] { return desk_->activeWindow() == Window("About"); }));
    Key("Escape");
    EXPECT_TRUE(waitUntil([&] { return Window("About") == 0; })) << "Esc did not close the box";
    EXPECT_TRUE(findaro_->running());
}

} // namespace
