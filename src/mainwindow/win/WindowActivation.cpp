// Windows backend: Qt's activateWindow may only flash the task-bar entry when
// another program has the foreground, so the window is brought forward here
// as a hot-key handler is allowed to (the hot key, and a later start that
// called AllowSetForegroundWindow, grant this process the foreground).
#include "mainwindow/WindowActivation.h"

#include <QWidget>

#include <windows.h>

void ForceWindowActivation(QWidget& window) {
    if (!window.isVisible())
        return;
    const auto hwnd = reinterpret_cast<HWND>(window.winId());
    if (IsIconic(hwnd))
        ShowWindow(hwnd, SW_RESTORE);
    SetForegroundWindow(hwnd);
    SetActiveWindow(hwnd);
    SetFocus(hwnd);
}
