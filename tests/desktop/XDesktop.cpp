#include "XDesktop.h"

#include <xcb/xcb_keysyms.h>

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeDeleter>;

bool sameNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

XDesktop::XDesktop() {
    if (!std::getenv("DISPLAY"))
        throw std::runtime_error("DISPLAY is not set: run under tests/harness/with-desktop");
    conn_ = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(conn_)) {
        xcb_disconnect(conn_);
        throw std::runtime_error(std::string("cannot open display ") + std::getenv("DISPLAY"));
    }
    root_ = xcb_setup_roots_iterator(xcb_get_setup(conn_)).data->root;
}

XDesktop::~XDesktop() {
    xcb_disconnect(conn_);
}

int XDesktop::screenWidth() const {
    return xcb_setup_roots_iterator(xcb_get_setup(conn_)).data->width_in_pixels;
}

int XDesktop::screenHeight() const {
    return xcb_setup_roots_iterator(xcb_get_setup(conn_)).data->height_in_pixels;
}

xcb_atom_t XDesktop::atom(const char* name) const {
    Reply<xcb_intern_atom_reply_t> r(xcb_intern_atom_reply(
        conn_, xcb_intern_atom(conn_, 0, uint16_t(std::strlen(name)), name), nullptr));
    return r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
}

std::vector<uint8_t> XDesktop::property(xcb_window_t w, xcb_atom_t prop, xcb_atom_t type) const {
    Reply<xcb_get_property_reply_t> r(xcb_get_property_reply(
        conn_, xcb_get_property(conn_, 0, w, prop, type, 0, 1 << 16), nullptr));
    if (!r)
        return {};
    auto* data = static_cast<const uint8_t*>(xcb_get_property_value(r.get()));
    const int len = xcb_get_property_value_length(r.get());
    return std::vector<uint8_t>(data, data + len);
}

XRect XDesktop::workArea() const {
    const auto bytes = property(root_, atom("_NET_WORKAREA"), XCB_ATOM_CARDINAL);
    if (bytes.size() < 16)
        return {0, 0, screenWidth(), screenHeight()};
    uint32_t v[4];
    std::memcpy(v, bytes.data(), sizeof v);
    return {int(v[0]), int(v[1]), int(v[2]), int(v[3])};
}

std::string XDesktop::wmClass(xcb_window_t w) const {
    const auto bytes = property(w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING);
    std::string s(bytes.begin(), bytes.end());
    // "instance\0class\0"
    const auto nul = s.find('\0');
    if (nul == std::string::npos)
        return s;
    std::string cls = s.substr(nul + 1);
    if (!cls.empty() && cls.back() == '\0')
        cls.pop_back();
    return s.substr(0, nul) + "/" + cls;
}

std::string XDesktop::title(xcb_window_t w) const {
    auto bytes = property(w, atom("_NET_WM_NAME"), atom("UTF8_STRING"));
    if (bytes.empty())
        bytes = property(w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING);
    return std::string(bytes.begin(), bytes.end());
}

std::vector<xcb_window_t> XDesktop::windowsOfClass(const std::string& wanted) const {
    std::vector<xcb_window_t> found, todo{root_};
    while (!todo.empty()) {
        const xcb_window_t w = todo.back();
        todo.pop_back();
        Reply<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(conn_, xcb_query_tree(conn_, w), nullptr));
        if (!tree)
            continue;
        const xcb_window_t* kids = xcb_query_tree_children(tree.get());
        for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
            const std::string c = wmClass(kids[i]);
            const auto slash = c.find('/');
            if (slash != std::string::npos &&
                (sameNoCase(c.substr(0, slash), wanted) || sameNoCase(c.substr(slash + 1), wanted)))
                found.push_back(kids[i]);
            todo.push_back(kids[i]);
        }
    }
    return found;
}

bool XDesktop::viewable(xcb_window_t w) const {
    Reply<xcb_get_window_attributes_reply_t> r(
        xcb_get_window_attributes_reply(conn_, xcb_get_window_attributes(conn_, w), nullptr));
    return r && r->map_state == XCB_MAP_STATE_VIEWABLE;
}

bool XDesktop::overrideRedirect(xcb_window_t w) const {
    Reply<xcb_get_window_attributes_reply_t> r(
        xcb_get_window_attributes_reply(conn_, xcb_get_window_attributes(conn_, w), nullptr));
    return r && r->override_redirect;
}

XRect XDesktop::geometry(xcb_window_t w) const {
    Reply<xcb_get_geometry_reply_t> g(
        xcb_get_geometry_reply(conn_, xcb_get_geometry(conn_, w), nullptr));
    if (!g)
        return {};
    Reply<xcb_translate_coordinates_reply_t> t(xcb_translate_coordinates_reply(
        conn_, xcb_translate_coordinates(conn_, w, root_, 0, 0), nullptr));
    if (!t)
        return {};
    return {t->dst_x, t->dst_y, g->width, g->height};
}

xcb_window_t XDesktop::parent(xcb_window_t w) const {
    Reply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(conn_, xcb_query_tree(conn_, w), nullptr));
    return tree ? tree->parent : xcb_window_t(XCB_WINDOW_NONE);
}

xcb_window_t XDesktop::inputFocus() const {
    Reply<xcb_get_input_focus_reply_t> r(
        xcb_get_input_focus_reply(conn_, xcb_get_input_focus(conn_), nullptr));
    return r ? r->focus : xcb_window_t(XCB_WINDOW_NONE);
}

xcb_window_t XDesktop::activeWindow() const {
    const auto bytes = property(root_, atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW);
    xcb_window_t w = XCB_WINDOW_NONE;
    if (bytes.size() >= sizeof w)
        std::memcpy(&w, bytes.data(), sizeof w);
    return w;
}

bool XDesktop::insideTrayHost(xcb_window_t w) const {
    for (xcb_window_t p = parent(w); p != XCB_WINDOW_NONE && p != root_; p = parent(p)) {
        const std::string c = wmClass(p);
        if (sameNoCase(c.substr(0, c.find('/')), "tint2"))
            return true;
    }
    return false;
}

std::vector<xcb_window_t> XDesktop::trayIcons(const std::string& wanted) const {
    std::vector<xcb_window_t> icons;
    for (xcb_window_t w : windowsOfClass(wanted))
        if (insideTrayHost(w) && viewable(w))
            icons.push_back(w);
    return icons;
}

xcb_window_t XDesktop::windowTitled(const std::string& wanted, const std::string& name) const {
    for (xcb_window_t w : windowsOfClass(wanted))
        if (title(w) == name && !isDialog(w) && !insideTrayHost(w))
            return w;
    return XCB_WINDOW_NONE;
}

bool XDesktop::hasAtom(xcb_window_t w, const char* list, const char* wanted) const {
    const auto bytes = property(w, atom(list), XCB_ATOM_ATOM);
    const xcb_atom_t a = atom(wanted);
    for (size_t i = 0; i + sizeof(xcb_atom_t) <= bytes.size(); i += sizeof(xcb_atom_t)) {
        xcb_atom_t held;
        std::memcpy(&held, bytes.data() + i, sizeof held);
        if (held == a)
            return true;
    }
    return false;
}

bool XDesktop::isDialog(xcb_window_t w) const {
    return hasAtom(w, "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_DIALOG");
}

bool XDesktop::hasState(xcb_window_t w, const char* state) const {
    return hasAtom(w, "_NET_WM_STATE", state);
}

bool XDesktop::superPGrabbed() const {
    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(conn_);
    xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, 'p');
    const xcb_keycode_t p = codes ? codes[0] : 0;
    std::free(codes);
    xcb_key_symbols_free(symbols);
    if (!p)
        return false;
    // With the server grabbed no other client's grab can slip in between
    // our trial grab and its release.
    xcb_grab_server(conn_);
    const xcb_void_cookie_t cookie = xcb_grab_key_checked(conn_, 1, root_, XCB_MOD_MASK_4, p,
                                                          XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    Reply<xcb_generic_error_t> error(xcb_request_check(conn_, cookie));
    if (!error)
        xcb_ungrab_key(conn_, p, root_, XCB_MOD_MASK_4);
    xcb_ungrab_server(conn_);
    xcb_flush(conn_);
    return error && error->error_code == XCB_ACCESS;
}

XImage XDesktop::grab(const XRect& a) const {
    XImage img;
    Reply<xcb_get_image_reply_t> r(
        xcb_get_image_reply(conn_,
                            xcb_get_image(conn_, XCB_IMAGE_FORMAT_Z_PIXMAP, root_, int16_t(a.x),
                                          int16_t(a.y), uint16_t(a.width), uint16_t(a.height), ~0u),
                            nullptr));
    if (!r)
        return img;
    // A 24-bit Xvfb screen hands out 32 bits per pixel, blue in the low byte.
    const auto* data = reinterpret_cast<const uint32_t*>(xcb_get_image_data(r.get()));
    const size_t n = size_t(a.width) * size_t(a.height);
    if (size_t(xcb_get_image_data_length(r.get())) < n * 4)
        return img;
    img.width = a.width;
    img.height = a.height;
    img.pixels.resize(n);
    for (size_t i = 0; i < n; ++i)
        img.pixels[i] = data[i] & 0xffffff;
    return img;
}

void XDesktop::requestClose(xcb_window_t w) const {
    xcb_client_message_event_t ev{};
    ev.response_type = XCB_CLIENT_MESSAGE;
    ev.format = 32;
    ev.window = w;
    ev.type = atom("WM_PROTOCOLS");
    ev.data.data32[0] = atom("WM_DELETE_WINDOW");
    ev.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(conn_, 0, w, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&ev));
    xcb_flush(conn_);
}

bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit,
               std::chrono::milliseconds step) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (done())
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(step);
    }
}

bool xdotool(const std::vector<std::string>& args) {
    std::vector<std::string> all{"xdotool"};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, "xdotool", nullptr, nullptr, argv.data(), environ) != 0)
        return false;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid)
        return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
