// On Windows a test's proxy values are a key of their own beside the real one,
// removed with everything below it when the test ends.
#include "AboutTestSupport.h"

#include <windows.h>

#include <atomic>

std::string ScratchProxyLocation(const QString&) {
    static std::atomic<int> next{0};
    return "Software\\Quillmere\\FindaroTest-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(next++);
}

void RemoveScratchProxyLocation(const std::string& location) {
    RegDeleteTreeA(HKEY_CURRENT_USER, location.c_str());
}
