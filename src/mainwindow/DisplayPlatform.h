#pragma once
#include <string>

// Picks the display platform before the application object exists. The
// borderless pop-up places itself and grabs its hot key only on X11, so a
// Wayland session runs it through XWayland. Returns false, with the reason
// in `whyNot` (one line), when no display the program can use is reachable;
// Qt would otherwise abort with a page of plugin diagnostics. A platform
// chosen through QT_QPA_PLATFORM is left alone.
bool ChooseDisplayPlatform(std::string& whyNot);
