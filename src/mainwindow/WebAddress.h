#pragma once
// Addresses the program opens (the web site, the download, mail and tel:
// links) go through QDesktopServices::openUrl. This puts the platform's own
// way of opening them behind that call: on Windows ShellExecute with the verb
// "open"; elsewhere Qt's desktop services already are that way. Handlers set
// later with QDesktopServices::setUrlHandler (tests) take their place.
void InstallWebAddressOpener();
