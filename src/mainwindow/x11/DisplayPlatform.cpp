// X11 backend: the program runs on an X server, directly or through XWayland.
#include "mainwindow/DisplayPlatform.h"

#include <QByteArray>
#include <QtGlobal>

#include <xcb/xcb.h>

bool ChooseDisplayPlatform(std::string& whyNot) {
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return true;
    const QByteArray display = qgetenv("DISPLAY");
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
                         qgetenv("XDG_SESSION_TYPE") == "wayland";
    if (display.isEmpty()) {
        whyNot = wayland ? "this Wayland session offers no X server (XWayland), and Findaro "
                           "needs one: DISPLAY is not set"
                         : "no X display: DISPLAY is not set";
        return false;
    }
    xcb_connection_t* connection = xcb_connect(display.constData(), nullptr);
    const bool reachable = connection && xcb_connection_has_error(connection) == 0;
    if (connection)
        xcb_disconnect(connection);
    if (!reachable) {
        whyNot = "the X display " + display.toStdString() + " does not answer";
        return false;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    return true;
}
