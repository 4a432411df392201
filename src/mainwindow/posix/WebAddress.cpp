// Qt's desktop services hand addresses to the desktop's opener themselves.
#include "mainwindow/WebAddress.h"

void InstallWebAddressOpener() {}
