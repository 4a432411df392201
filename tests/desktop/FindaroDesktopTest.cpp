// The real findaro on a real desktop (Xvfb, openbox, tint2), driven with
// xdotool the way a user drives it, and judged only by what the X server
// shows: which windows are mapped where, who holds the focus, what the tray
// host embedded, and the text lines painted into the results list.
//
// Run inside the test domain: with-test-domain with-desktop ctest -L x11

#include "ChildProcess.h"
#include "XDesktop.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <optional>
#include <thread>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr int FormWidth = 500;
constexpr int FormHeight = 400;

// Lines of text painted in the results list: runs of pixel rows that hold
// dark glyph pixels, between the list's frame edges; a one-pixel gap (an
// accent above a capital) does not split a line. The column header is the
// first run, so an empty list shows 1 and each result adds one.
int listTextLines(const XDesktop& desk, const XRect& window) {
    // lvwResults sits at left 5, top 44 and is W - 10 wide and H - 55 high;
    // keep clear of its frame and of a vertical scroll bar.
    const XRect list{window.x + 5 + 3, window.y + 44 + 3, window.width - 10 - 6 - 20,
                     window.height - 55 - 6};
    if (list.width <= 0 || list.height <= 0)
        return 0;
    const XImage img = desk.grab(list);
    int lines = 0, gap = 0;
    for (int y = 0; y < img.height; ++y) {
        bool ink = false;
        for (int x = 0; x < img.width && !ink; ++x) {
            const uint32_t px = img.at(x, y);
            ink = ((px >> 16) & 0xff) + ((px >> 8) & 0xff) + (px & 0xff) < 3 * 110;
        }
        if (ink) {
            if (lines == 0 || gap >= 2)
                ++lines;
            gap = 0;
        } else {
            ++gap;
        }
    }
    return lines;
}

// The right end of the column header's text in the results list: the last
// dark pixel of the list's first text line. A column more reaches further.
int headerTextRight(const XDesktop& desk, const XRect& window) {
    const XRect list{window.x + 5 + 3, window.y + 44 + 3, window.width - 10 - 6 - 20,
                     window.height - 55 - 6};
    const XImage img = desk.grab(list);
    auto dark = [](uint32_t px) {
        return ((px >> 16) & 0xff) + ((px >> 8) & 0xff) + (px & 0xff) < 3 * 110;
    };
    int right = -1;
    bool inLine = false;
    for (int y = 0; y < img.height; ++y) {
        int rowRight = -1;
        for (int x = 0; x < img.width; ++x)
            if (dark(img.at(x, y)))
                rowRight = x;
        if (rowRight >= 0) {
            inLine = true;
            right = std::max(right, rowRight);
        } else if (inLine) {
            break;
        }
    }
    return right;
}

std::string describe(const XRect& r) {
    return std::to_string(r.width) + "x" + std::to_string(r.height) + "+" + std::to_string(r.x) +
           "+" + std::to_string(r.y);
}

class FindaroOnDesktop : public ::testing::Test {
  protected:
    void SetUp() override {
        try {
            desk_ = std::make_unique<XDesktop>();
        } catch (const std::exception& e) {
            FAIL() << e.what();
        }
        const XRect work = desk_->workArea();
        ASSERT_LT(work.height, desk_->screenHeight())
            << "no tray host reserves a strip: run under tests/harness/with-desktop";
        // findaro reads its settings beside its executable, so each test runs
        // a private copy with its own settings file, runtime folder and locks.
        exe_ = dir_.path() / "findaro";
        fs::copy_file(FINDARO_EXECUTABLE, exe_);
        fs::create_directory(dir_.path() / "run");
        fs::permissions(dir_.path() / "run", fs::perms::owner_all);
        env_ = {"XDG_RUNTIME_DIR=" + (dir_.path() / "run").string(),
                "TMPDIR=" + dir_.path().string()};
    }

    void TearDown() override {
        // A test that failed half-way may leave a modal box open: end it all.
        second_.reset();
        findaro_.reset();
    }

    void writeSettings(const std::string& extra = "", int hookHotkey = 1) {
        std::ofstream ini(dir_.path() / "findaro.INI");
        ini << "[Settings]\nFormWidth=" << FormWidth << "\nFormHeight=" << FormHeight
            << "\nHookHotkey=" << hookHotkey << "\n"
            << extra;
    }

    // Starts findaro and waits for its icon in the tray.
    void start() {
        findaro_ = std::make_unique<ChildProcess>(std::vector<std::string>{exe_.string()}, env_);
        ASSERT_TRUE(waitUntil([&] { return desk_->trayIcons("findaro").size() == 1; }))
            << "findaro's tray icon did not appear in tint2";
    }

    // Starts findaro with HookHotkey on and waits until it holds Super+P:
    // the icon may come up before the key is registered.
    void startWithHotKey() {
        ASSERT_FALSE(desk_->superPGrabbed()) << "another client holds Super+P already";
        ASSERT_NO_FATAL_FAILURE(start());
        ASSERT_TRUE(waitUntil([&] { return desk_->superPGrabbed(); }))
            << "findaro did not register Super+P";
    }

    xcb_window_t bar() const { return desk_->windowTitled("findaro", "Findaro"); }
    bool barShown() const {
        const xcb_window_t w = bar();
        return w && desk_->viewable(w);
    }

    // Where the bar belongs for a height: the right edge of the screen, its
    // bottom one pixel above the work area's end.
    XRect placed(int height) const {
        return {desk_->screenWidth() - FormWidth, desk_->workArea().height - height - 1, FormWidth,
                height};
    }

    bool barAt(int height) const { return barShown() && desk_->geometry(bar()) == placed(height); }

    // The bar has the keyboard: X input focus and the window manager's active window.
    bool barFocused() const {
        const xcb_window_t w = bar();
        return w && desk_->inputFocus() == w && desk_->activeWindow() == w;
    }

    bool offTaskBar() const {
        return waitUntil([&] { return desk_->hasState(bar(), "_NET_WM_STATE_SKIP_TASKBAR"); }, 3s);
    }

    // findaro's visible top-level windows other than the bar and its icon:
    // message boxes, menus.
    std::vector<xcb_window_t> otherWindows() const {
        std::vector<xcb_window_t> out;
        const auto icons = desk_->trayIcons("findaro");
        for (xcb_window_t w : desk_->windowsOfClass("findaro"))
            if (w != bar() && desk_->viewable(w) &&
                std::find(icons.begin(), icons.end(), w) == icons.end())
                out.push_back(w);
        return out;
    }

    void clickTray(int button, int times = 1) {
        const auto icons = desk_->trayIcons("findaro");
        ASSERT_EQ(icons.size(), 1u);
        const XRect r = desk_->geometry(icons[0]);
        ASSERT_TRUE(xdotool(
            {"mousemove", std::to_string(r.x + r.width / 2), std::to_string(r.y + r.height / 2)}));
        ASSERT_TRUE(xdotool(
            {"click", "--repeat", std::to_string(times), "--delay", "80", std::to_string(button)}));
    }

    void key(const std::string& k) { ASSERT_TRUE(xdotool({"key", "--clearmodifiers", k})); }
    void type(const std::string& text) { ASSERT_TRUE(xdotool({"type", "--delay", "10", text})); }

    std::unique_ptr<XDesktop> desk_;
    TempDir dir_;
    fs::path exe_;
    std::vector<std::string> env_;
    std::unique_ptr<ChildProcess> findaro_, second_;
};

// Super+P brings up the 30-pixel bar, focused, in its corner; typed text
// goes to the search field, Enter grows the window to FormHeight and lists
// what the domain holds; Esc hides it; the next Super+P keeps the height and
// the old text selected, so that typing replaces it.
TEST_F(FindaroOnDesktop, HotKeyPopsUpFocusedBarAndEnterSearchesTheDomain) {
    const char* base = std::getenv("FINDARO_TEST_BASE");
    ASSERT_TRUE(base) << "FINDARO_TEST_BASE is not set: run inside tests/harness/with-test-domain";
    writeSettings(std::string("DNCount=1\nSearchChildren=1\nSearchDN0=") + base + "\n");
    ASSERT_NO_FATAL_FAILURE(startWithHotKey());
    EXPECT_FALSE(barShown()) << "findaro must start into the tray only";

    // The user is busy in another program, so openbox's focus-stealing rules
    // apply when the bar comes up.
    ChildProcess other({"xmessage", "-center", "another program"}, {"LC_ALL=C"});
    ASSERT_TRUE(waitUntil([&] {
        const auto w = desk_->windowsOfClass("xmessage");
        return !w.empty() && desk_->viewable(w[0]);
    })) << "xmessage did not come up";
    const XRect o = desk_->geometry(desk_->windowsOfClass("xmessage")[0]);
    ASSERT_TRUE(xdotool({"mousemove", std::to_string(o.x + o.width / 2),
                         std::to_string(o.y + o.height / 2), "click", "1"}));
    ASSERT_TRUE(waitUntil(
        [&] { return desk_->activeWindow() == desk_->windowsOfClass("xmessage")[0]; }, 3s));

    key("super+p");
    ASSERT_TRUE(waitUntil([&] { return barAt(30); }))
        << "after Super+P: " << (bar() ? describe(desk_->geometry(bar())) : "no window")
        << ", expected " << describe(placed(30));
    EXPECT_TRUE(waitUntil([&] { return barFocused(); }, 3s)) << "the bar has no keyboard focus";
    // Task bars (tint2 here) list every managed window that does not ask to
    // be left out; the pop-up is no task of its own.
    EXPECT_TRUE(offTaskBar()) << "the bar shows up as a task-bar button";

    type("nobodyxyz");
    key("Return");
    ASSERT_TRUE(waitUntil([&] { return barAt(FormHeight); }))
        << "Enter did not grow the window to FormHeight in its corner";
    key("Escape");
    ASSERT_TRUE(waitUntil([&] { return !barShown(); })) << "Esc did not hide the window";
    // Input is handled in order, so the search ran before Esc hid the window.
    EXPECT_TRUE(otherWindows().empty()) << "the search showed a message box";

    key("super+p");
    ASSERT_TRUE(waitUntil([&] { return barAt(FormHeight); }))
        << "Super+P must keep the height of the last search";
    EXPECT_TRUE(waitUntil([&] { return barFocused(); }, 3s));
    EXPECT_TRUE(offTaskBar()) << "shown again, the bar shows up as a task-bar button";
    EXPECT_EQ(listTextLines(*desk_, placed(FormHeight)), 1)
        << "a search for nobody should leave only the column header";

    // Were "nobodyxyz" not selected, this would search "nobodyxyzsmith".
    type("smith");
    key("Return");
    // Smith John, Jane Smith, Adam Smithers and Sam Smith, below the header.
    EXPECT_TRUE(waitUntil([&] { return listTextLines(*desk_, placed(FormHeight)) == 5; }))
        << "text lines in the list: " << listTextLines(*desk_, placed(FormHeight));
    EXPECT_TRUE(otherWindows().empty()) << "the search showed a message box";
    key("Escape");
    ASSERT_TRUE(waitUntil([&] { return !barShown(); }));

    // Hidden, the window keeps its results: Super+P shows them again, while
    // a tray click shows only the search line.
    key("super+p");
    ASSERT_TRUE(waitUntil([&] { return barAt(FormHeight); }));
    EXPECT_EQ(listTextLines(*desk_, placed(FormHeight)), 5) << "the results were not kept";
    key("Escape");
    ASSERT_TRUE(waitUntil([&] { return !barShown(); }));
    ASSERT_NO_FATAL_FAILURE(clickTray(1));
    EXPECT_TRUE(waitUntil([&] { return barAt(30); }))
        << "after a search a tray click must still show the 30-pixel bar";
}

// A left click on the icon shows the collapsed bar whatever height the window
// had; a right click opens the menu and shows nothing; the window manager's
// close command hides the bar and the program stays; "Exit" ends it.
TEST_F(FindaroOnDesktop, TrayClicksMenuCloseAndExit) {
    writeSettings();
    ASSERT_NO_FATAL_FAILURE(startWithHotKey());

    key("super+p");
    ASSERT_TRUE(waitUntil([&] { return barAt(30); }));
    const XRect at = desk_->geometry(bar());
    // The grow/shrink button "/\" at W - 36, 7, 16 pixels square.
    ASSERT_TRUE(xdotool({"mousemove", std::to_string(at.x + FormWidth - 36 + 8),
                         std::to_string(at.y + 7 + 8), "click", "1"}));
    ASSERT_TRUE(waitUntil([&] { return barAt(350); })) << "grow/shrink did not grow to 350";
    key("Escape");
    ASSERT_TRUE(waitUntil([&] { return !barShown(); }));

    ASSERT_NO_FATAL_FAILURE(clickTray(1));
    ASSERT_TRUE(waitUntil([&] { return barAt(30); }))
        << "a left click on the tray icon must show the 30-pixel bar";
    EXPECT_TRUE(waitUntil([&] { return barFocused(); }, 3s));
    key("Escape");
    ASSERT_TRUE(waitUntil([&] { return !barShown(); }));

    // A double click acts as one click: the bar comes up and stays.
    ASSERT_NO_FATAL_FAILURE(clickTray(1, 2));
    ASSERT_TRUE(waitUntil([&] { return barAt(30); })) << "a double click did not show the bar";
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(barAt(30)) << "the second click of a double click hid the bar again";
    key("Escape");
    ASSERT_TRUE(waitUntil([&] { return !barShown(); }));

    ASSERT_NO_FATAL_FAILURE(clickTray(3));
    ASSERT_TRUE(waitUntil([&] { return otherWindows().size() == 1; }))
        << "a right click on the tray icon opened no menu";
    // Give a wrongly shown bar the time it would need to appear.
    std::this_thread::sleep_for(300ms);
    EXPECT_FALSE(barShown()) << "a right click must not show the window";
    key("Escape");
    ASSERT_TRUE(waitUntil([&] { return otherWindows().empty(); })) << "Esc did not close the menu";

    // Only a click that began with the left button shows the bar.
    ASSERT_NO_FATAL_FAILURE(clickTray(2));
    std::this_thread::sleep_for(300ms);
    EXPECT_FALSE(barShown()) << "a middle click must not show the window";
    EXPECT_TRUE(otherWindows().empty()) << "a middle click opened a window";

    key("super+p");
    ASSERT_TRUE(waitUntil([&] { return barShown(); }));
    desk_->requestClose(bar());
    ASSERT_TRUE(waitUntil([&] { return !barShown(); })) << "the close command must hide the bar";
    EXPECT_TRUE(findaro_->running()) << "the close command must not end the program";

    // The menu's last item is Exit: Up from no selection reaches it.
    ASSERT_NO_FATAL_FAILURE(clickTray(3));
    ASSERT_TRUE(waitUntil([&] { return otherWindows().size() == 1; }));
    key("Up");
    key("Return");
    const std::optional<int> code = findaro_->wait(5s);
    ASSERT_TRUE(code.has_value()) << "Exit did not end findaro";
    EXPECT_EQ(*code, 0);
    EXPECT_TRUE(waitUntil([&] { return desk_->trayIcons("findaro").empty(); }, 3s));
}

// A second start calls the running one's bar up as Super+P does, placed and
// focused with its text selected, and ends; the first keeps the only icon.
// The first runs as in a Wayland session with XWayland: on the X server.
TEST_F(FindaroOnDesktop, SecondStartShowsTheFocusedBarAndEnds) {
    writeSettings("", 0);
    env_.push_back("XDG_SESSION_TYPE=wayland");
    env_.push_back("WAYLAND_DISPLAY=wayland-findaro-test");
    ASSERT_NO_FATAL_FAILURE(start());
    const auto icon = desk_->trayIcons("findaro");
    EXPECT_FALSE(barShown());

    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round == 0 ? "bar hidden" : "bar already shown");
        second_ = std::make_unique<ChildProcess>(std::vector<std::string>{exe_.string()}, env_);
        const std::optional<int> code = second_->wait(5s);
        ASSERT_TRUE(code.has_value()) << "the second findaro is still running";
        EXPECT_EQ(*code, 0);
        EXPECT_TRUE(waitUntil([&] { return barAt(30); }))
            << "after a second start: " << (bar() ? describe(desk_->geometry(bar())) : "no window");
        EXPECT_TRUE(waitUntil([&] { return barFocused(); }, 3s)) << "the bar has no keyboard focus";
        EXPECT_TRUE(findaro_->running());
        EXPECT_EQ(desk_->trayIcons("findaro"), icon);
    }
    key("Escape");
    EXPECT_TRUE(waitUntil([&] { return !barShown(); }));
}

// What another program gets when it pastes: xclip asks the X server for a
// selection's text ("clipboard" or "primary").
std::string pasted(const std::string& selection) {
    const std::string command = "timeout 5 xclip -o -selection " + selection + " 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string text;
    char buffer[256];
    while (pipe && fgets(buffer, sizeof buffer, pipe.get()))
        text += buffer;
    return text;
}

// Down from the search field reaches the first row; Ctrl+C puts it on the
// clipboard and the primary selection, cells parted by tabs.
TEST_F(FindaroOnDesktop, CtrlCCopiesTheRowForOtherPrograms) {
    const char* base = std::getenv("FINDARO_TEST_BASE");
    ASSERT_TRUE(base) << "FINDARO_TEST_BASE is not set: run inside tests/harness/with-test-domain";
    writeSettings(std::string("DNCount=1\nSearchChildren=1\nSearchDN0=OU=Staff,") + base + "\n");
    ASSERT_NO_FATAL_FAILURE(startWithHotKey());
    key("super+p");
    ASSERT_TRUE(waitUntil([&] { return barAt(30) && barFocused(); }));
    type("zo");
    key("Return");
    ASSERT_TRUE(waitUntil([&] { return listTextLines(*desk_, placed(FormHeight)) == 2; }))
        << "Zoë Müller was not listed";
    key("Down");
    key("ctrl+c");
    const std::string row = "Zo\xC3\xAB M\xC3\xBCller\t+49 30 1234567\tSales";
    EXPECT_TRUE(waitUntil([&] { return pasted("clipboard") == row; }, 3s))
        << "clipboard: " << pasted("clipboard");
    EXPECT_EQ(pasted("primary"), row);
}

// With HookHotkey off the program leaves Super+P to others, and the key
// does nothing for it; the tray still calls the bar up.
TEST_F(FindaroOnDesktop, HookHotkeyOffRegistersNoHotKey) {
    writeSettings("", 0);
    ASSERT_NO_FATAL_FAILURE(start());
    // A tray click answered means start-up, registration included, is over.
    ASSERT_NO_FATAL_FAILURE(clickTray(1));
    ASSERT_TRUE(waitUntil([&] { return barAt(30); })) << "a tray click shows no bar";
    EXPECT_FALSE(desk_->superPGrabbed()) << "Super+P is held although HookHotkey=0";

    key("Escape");
    ASSERT_TRUE(waitUntil([&] { return !barShown(); })) << "Esc leaves the bar shown";
    key("super+p");
    EXPECT_FALSE(waitUntil([&] { return barShown(); }, 1s)) << "Super+P showed the bar";
}

// Without a settings file the welcome box comes up on its own, about two
// seconds after start, while the bar stays hidden.
TEST_F(FindaroOnDesktop, FirstStartWithoutSettingsShowsTheWelcomeBox) {
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_TRUE(waitUntil([&] { return !otherWindows().empty(); }, 6s)) << "no welcome box";
    const auto boxes = otherWindows();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(desk_->isDialog(boxes[0]));
    EXPECT_EQ(desk_->title(boxes[0]), "Findaro");
    EXPECT_FALSE(barShown());
    EXPECT_FALSE(fs::exists(dir_.path() / "findaro.INI")) << "starting must write no settings";
}

// An administrator's way through the configuration: the tray menu's Setup,
// a column ticked on "Display Format", the domain connected on "Search
// Containers", its tree opened down to an OU that is added, OK. The file
// then holds both, and the next search shows the new column with rows from
// that OU only. Keyboard only: the dialog opens with its tab bar focused.
TEST_F(FindaroOnDesktop, SetupPicksAColumnAndAContainerForTheNextSearch) {
    const std::string base =
        std::getenv("FINDARO_TEST_BASE") ? std::getenv("FINDARO_TEST_BASE") : "";
    ASSERT_FALSE(base.empty()) << "run inside tests/harness/with-test-domain";
    writeSettings("DNCount=1\nSearchChildren=1\nSearchDN0=" + base + "\n");
    ASSERT_NO_FATAL_FAILURE(startWithHotKey());

    // The whole domain first: four people named smith.
    key("super+p");
    ASSERT_TRUE(waitUntil([&] { return barAt(30); }));
    type("smith");
    key("Return");
    ASSERT_TRUE(waitUntil([&] { return listTextLines(*desk_, placed(FormHeight)) == 5; }))
        << "text lines in the list: " << listTextLines(*desk_, placed(FormHeight));
    const int headerBefore = headerTextRight(*desk_, placed(FormHeight));
    key("Escape");
    ASSERT_TRUE(waitUntil([&] { return !barShown(); }));

    ASSERT_NO_FATAL_FAILURE(clickTray(3));
    std::this_thread::sleep_for(300ms);
    key("Down");
    key("Return");
    xcb_window_t setup = 0;
    ASSERT_TRUE(waitUntil([&] {
        for (xcb_window_t w : otherWindows())
            if (desk_->title(w) == "Findaro Configuration")
                setup = w;
        return setup != 0;
    })) << "no configuration dialog";
    EXPECT_TRUE(barShown()) << "Setup shows the window under the dialog";
    // At the screen's right edge (the window manager's border is outside
    // the client), and at the top: on this 768-pixel screen the main
    // window's 400 pixels leave less room than the dialog needs.
    const XRect dialog = desk_->geometry(setup);
    EXPECT_GE(desk_->screenWidth() - (dialog.x + dialog.width), 0);
    EXPECT_LE(desk_->screenWidth() - (dialog.x + dialog.width), 4);
    EXPECT_LE(dialog.y, 30) << describe(dialog);
    std::this_thread::sleep_for(300ms);

    // Display Format: Mobile Phone is the seventh box.
    for (const char* k :
         {"Right", "Right", "Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "space"})
        key(k);
    // Back to the tab bar and the first page; Connect is its third stop.
    for (int i = 0; i < 7; ++i)
        key("shift+Tab");
    for (const char* k : {"Left", "Left", "Tab", "Tab", "Tab", "space"})
        key(k);
    // Past Disconnect into the tree: the root expanded, Staff found by typing
    // its name (the server's order of a level is its own, so no position is
    // assumed), Staff expanded and its child Sales typed; then ">>". The
    // pauses keep the two names apart for the tree's type-ahead search.
    for (const char* k : {"Tab", "Tab", "Home", "Right"})
        key(k);
    std::this_thread::sleep_for(800ms);
    type("Staff");
    key("Right");
    std::this_thread::sleep_for(800ms);
    type("Sales");
    for (const char* k : {"Tab", "space"})
        key(k);
    // The stored container goes: the list's first line, then "<<" before it.
    // From there the list, About and OK.
    for (const char* k :
         {"Tab", "Tab", "End", "Home", "shift+Tab", "space", "Tab", "Tab", "Tab", "space"})
        key(k);
    ASSERT_TRUE(waitUntil([&] { return !desk_->viewable(setup); }, 10s))
        << "the dialog is still open";

    // The save follows the dialog's closing.
    std::string ini;
    waitUntil([&] {
        std::ifstream in(dir_.path() / "findaro.INI");
        ini.assign(std::istreambuf_iterator<char>(in), {});
        return ini.find("SearchDN0=OU=") != std::string::npos;
    });
    EXPECT_NE(ini.find("DisplayMobilePhone=1"), std::string::npos) << ini;
    EXPECT_NE(ini.find("DNCount=1"), std::string::npos) << ini;
    EXPECT_NE(ini.find("SearchDN0=OU=Sales,OU=Staff," + base), std::string::npos) << ini;

    // Only "Smith, John" is in OU=Sales, and the header holds one column more.
    key("super+p");
    ASSERT_TRUE(waitUntil([&] { return barShown(); }));
    type("smith");
    key("Return");
    EXPECT_TRUE(waitUntil([&] { return listTextLines(*desk_, placed(FormHeight)) == 2; }))
        << "text lines in the list: " << listTextLines(*desk_, placed(FormHeight));
    EXPECT_GT(headerTextRight(*desk_, placed(FormHeight)), headerBefore + 30);
}

} // namespace
