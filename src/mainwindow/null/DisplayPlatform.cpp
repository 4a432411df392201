// Null backend: whatever platform Qt picks by itself.
#include "mainwindow/DisplayPlatform.h"

bool ChooseDisplayPlatform(std::string&) {
    return true;
}
