// Null backend: Qt's own activateWindow is all there is.
#include "mainwindow/WindowActivation.h"

void ForceWindowActivation(QWidget&) {}
