// X11 backend: ask the window manager as a pager would (source indication 2,
// which focus-stealing prevention lets through), then set the input focus
// directly in case the manager still declines.
#include "mainwindow/WindowActivation.h"

#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {
struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T> using XcbReply = std::unique_ptr<T, FreeDeleter>;

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
    XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// A request about `win` to the window manager, sent to the root window as
// the EWMH client messages are.
void SendToWindowManager(xcb_connection_t* c, xcb_window_t root, xcb_window_t win, xcb_atom_t type,
                         const uint32_t (&data)[5]) {
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = win;
    message.type = type;
    std::memcpy(message.data.data32, data, sizeof data);
    xcb_send_event(c, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
}
} // namespace

void ForceWindowActivation(QWidget& window) {
    if (QGuiApplication::platformName() != QLatin1String("xcb") || !window.isVisible())
        return;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return;
    xcb_connection_t* c = x11->connection();
    const auto win = xcb_window_t(window.winId());

    XcbReply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(c, xcb_get_geometry(c, win), nullptr));
    // The pop-up is no task of its own: task bars and pagers list every
    // managed window that does not ask to be left out, and the window
    // manager drops the request whenever the window is hidden, so it is
    // repeated at every showing.
    const xcb_atom_t state = Atom(c, "_NET_WM_STATE");
    if (geometry && state != XCB_ATOM_NONE)
        SendToWindowManager(c, geometry->root, win, state,
                            {1 /* add */, Atom(c, "_NET_WM_STATE_SKIP_TASKBAR"),
                             Atom(c, "_NET_WM_STATE_SKIP_PAGER"), 2 /* source: pager */, 0});

    const xcb_atom_t active = Atom(c, "_NET_ACTIVE_WINDOW");
    if (geometry && active != XCB_ATOM_NONE)
        SendToWindowManager(c, geometry->root, win, active,
                            {2 /* source: pager */, XCB_CURRENT_TIME, XCB_WINDOW_NONE, 0, 0});

    XcbReply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, win), nullptr));
    if (attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE) {
        // Checked, so that a refusal (the window unmapped meanwhile) is ours to drop.
        XcbReply<xcb_generic_error_t> error(xcb_request_check(
            c, xcb_set_input_focus_checked(c, XCB_INPUT_FOCUS_PARENT, win, XCB_CURRENT_TIME)));
    }
    xcb_flush(c);
}
