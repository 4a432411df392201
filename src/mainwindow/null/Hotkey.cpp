// Null backend: no global hot key where the display server offers none; the
// tray icon still brings the window up.
#include "mainwindow/GlobalHotkey.h"

std::unique_ptr<IGlobalHotkey> CreateSuperPHotkey(std::function<void()>) {
    return nullptr;
}
