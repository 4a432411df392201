#pragma once
// The system's HTML Help control, found as the registry names it.

#include <string>

// The file that HKEY_CLASSES_ROOT registers for the HTML Help control
// (CLSID {adb880a6-d8ff-11cf-9377-00aa003b7a11}, its InprocServer32 default
// value), in the system's ANSI code page; empty when the registry has none.
std::string HtmlHelpLibraryPath();
