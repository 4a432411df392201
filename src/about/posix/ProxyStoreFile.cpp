// The proxy key as a file in the registry editor's export format.
#include "about/ProxySettings.h"
#include "about/ProxyStore.h"
#include "about/posix/RegistryFile.h"

#include <cstdlib>

namespace {
std::string& LocationOverride() {
    static std::string path;
    return path;
}
} // namespace

std::string ProxySettingsLocation() {
    if (!LocationOverride().empty())
        return LocationOverride();
    std::string base;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    // A relative value is invalid and to be ignored.
    if (xdg && xdg[0] == '/') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home ? home : "") + "/.config";
    }
    return base + "/Quillmere/ProxySettings.reg";
}

void SetProxySettingsLocation(const std::string& location) {
    LocationOverride() = location;
}

bool ReadProxyStore(const std::function<void(const RegLookup&)>& read) {
    TRegistryKeyFile key;
    if (!key.Open(ProxySettingsLocation(), ProxySettingsKey))
        return false;
    read([&key](const char* name) { return key.Value(name); });
    return true;
}

bool WriteProxyStore(const std::vector<std::pair<std::string, RegValue>>& values) {
    // The file is replaced in one step, so no value is left half written.
    return WriteRegistryValues(ProxySettingsLocation(), ProxySettingsKey, values);
}
