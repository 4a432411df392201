#pragma once
// What a user would see on the X display, read back through xcb: windows by
// class and name, their mapped state and place, the keyboard focus, the tray
// host's embedded icons and the pixels on screen. The desktop tests and the
// pop-up benchmark judge programs by this evidence alone.

#include <xcb/xcb.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct XRect {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const XRect&) const = default;
};

// Root-relative pixels, 0xRRGGBB.
struct XImage {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t at(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

class XDesktop {
  public:
    // Throws std::runtime_error when DISPLAY is unset or unreachable.
    XDesktop();
    ~XDesktop();
    XDesktop(const XDesktop&) = delete;
    XDesktop& operator=(const XDesktop&) = delete;

    xcb_connection_t* connection() const { return conn_; }
    xcb_window_t root() const { return root_; }
    int screenWidth() const;
    int screenHeight() const;
    XRect workArea() const; // _NET_WORKAREA of the first desktop

    // Every window below the root (any depth) whose WM_CLASS instance or
    // class equals wmClass, ignoring case.
    std::vector<xcb_window_t> windowsOfClass(const std::string& wmClass) const;
    std::string title(xcb_window_t w) const;   // _NET_WM_NAME, else WM_NAME
    std::string wmClass(xcb_window_t w) const; // "instance/class"
    bool viewable(xcb_window_t w) const;
    bool overrideRedirect(xcb_window_t w) const;
    XRect geometry(xcb_window_t w) const; // outer geometry in root coordinates
    xcb_window_t parent(xcb_window_t w) const;
    xcb_window_t inputFocus() const;
    xcb_window_t activeWindow() const; // _NET_ACTIVE_WINDOW
    // Windows of wmClass that the tray host (tint2) has taken in.
    std::vector<xcb_window_t> trayIcons(const std::string& wmClass) const;
    bool isDialog(xcb_window_t w) const;                    // _NET_WM_WINDOW_TYPE says dialog
    bool hasState(xcb_window_t w, const char* state) const; // in _NET_WM_STATE
    // The program's top-level window with this exact title that is not a
    // dialog (0 when none): its main window, not its message boxes.
    xcb_window_t windowTitled(const std::string& wmClass, const std::string& title) const;

    // Whether some client holds a passive grab of Super+P on the root
    // window: the X server refuses a second grab of the same key.
    bool superPGrabbed() const;

    XImage grab(const XRect& area) const;
    // Asks the window manager to close w, as a title bar's close button or
    // Alt+F4 would (WM_DELETE_WINDOW).
    void requestClose(xcb_window_t w) const;

  private:
    xcb_atom_t atom(const char* name) const;
    std::vector<uint8_t> property(xcb_window_t w, xcb_atom_t prop, xcb_atom_t type) const;
    bool insideTrayHost(xcb_window_t w) const;
    bool hasAtom(xcb_window_t w, const char* list, const char* wanted) const;

    xcb_connection_t* conn_ = nullptr;
    xcb_window_t root_ = 0;
};

// Polls until done() holds or the limit passes; true when it held.
bool waitUntil(const std::function<bool()>& done,
               std::chrono::milliseconds limit = std::chrono::seconds(10),
               std::chrono::milliseconds step = std::chrono::milliseconds(20));

// Runs xdotool with these arguments and waits for it; true on exit code 0.
bool xdotool(const std::vector<std::string>& args);
