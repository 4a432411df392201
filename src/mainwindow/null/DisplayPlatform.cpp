// Null backend: Qt chooses its display platform itself.
#include "mainwindow/DisplayPlatform.h"

bool ChooseDisplayPlatform(std::string&) {
    return true;
}
