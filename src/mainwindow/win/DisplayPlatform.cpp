// Windows backend: the desktop is always there; Qt picks its own platform.
#include "mainwindow/DisplayPlatform.h"

bool ChooseDisplayPlatform(std::string&) {
    return true;
}
