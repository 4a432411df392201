// The help viewer on Windows: HtmlHelpA of the library that the registry names
// for the HTML Help control, loaded at run time and kept for the whole run.
#include "help/win/HtmlHelpSystem.h"
#include "help/HtmlHelpViewer.h"

#include <QByteArray>
#include <QDir>

#include <windows.h>

#include <cstring>

namespace {

const char* const HtmlHelpControlKey =
    "CLSID\\{adb880a6-d8ff-11cf-9377-00aa003b7a11}\\InprocServer32";

using HtmlHelpAFunction = HWND(WINAPI*)(HWND caller, LPCSTR file, UINT command, DWORD_PTR data);

class TSystemHtmlHelpViewer : public IHtmlHelpViewer {
  public:
    explicit TSystemHtmlHelpViewer(HtmlHelpAFunction htmlHelp) : htmlHelp_(htmlHelp) {}

    void HtmlHelp(const QString& file, unsigned command, std::intptr_t data) override {
        // The 8-bit form takes the path in the system's code page; the help
        // window belongs to the desktop, not to a window of ours.
        const QByteArray path = QDir::toNativeSeparators(file).toLocal8Bit();
        htmlHelp_(GetDesktopWindow(), path.constData(), command, DWORD_PTR(data));
    }

  private:
    HtmlHelpAFunction htmlHelp_;
};

} // namespace

std::string HtmlHelpLibraryPath() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, HtmlHelpControlKey, 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return {};
    // 255 bytes, with room for a terminating zero the registry may not have stored.
    char path[256] = {};
    DWORD size = 255;
    DWORD type = 0;
    const LONG rc =
        RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(path), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return {};
    std::string result(path, strnlen(path, size));
    if (type == REG_EXPAND_SZ && !result.empty()) {
        char expanded[MAX_PATH] = {};
        const DWORD n = ExpandEnvironmentStringsA(result.c_str(), expanded, MAX_PATH);
        if (n == 0 || n > MAX_PATH)
            return {};
        result = expanded;
    }
    return result;
}

std::unique_ptr<IHtmlHelpViewer> LoadHtmlHelpViewer() {
    const std::string path = HtmlHelpLibraryPath();
    if (path.empty())
        return nullptr;
    // Kept loaded until the program ends.
    HMODULE library = LoadLibraryA(path.c_str());
    if (!library)
        return nullptr;
    auto entry = reinterpret_cast<HtmlHelpAFunction>(
        reinterpret_cast<void*>(GetProcAddress(library, "HtmlHelpA")));
    if (!entry) {
        FreeLibrary(library);
        return nullptr;
    }
    return std::make_unique<TSystemHtmlHelpViewer>(entry);
}
