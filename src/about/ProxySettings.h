#pragma once
// The proxy through which the update check reaches the web server, kept per
// user in the registry key Software\Quillmere\ProxySettings of the current
// user. Outside Windows the key is the file ProxySettings.reg in
// $XDG_CONFIG_HOME/Quillmere (~/.config/Quillmere without the variable),
// mode 0600 in a folder of mode 0700, because it holds a password.

#include <cstdint>
#include <string>

struct TProxyRec {
    int32_t ProxyEnabled = 0; // non-zero: SOCKS 5 through ProxyServer:ProxyPort
    std::string ProxyServer;
    int32_t ProxyPort = 0;
    std::string ProxyUser; // empty: no authentication
    std::string ProxyPassword;
};

extern TProxyRec ProxyRec;

extern const char* const ProxySettingsKey; // HKEY_CURRENT_USER\Software\Quillmere\ProxySettings

// Where the values are kept, unless SetProxySettingsLocation chose another
// place (tests): the file that stands for the key, or on Windows the key's
// path under HKEY_CURRENT_USER.
std::string ProxySettingsLocation();
void SetProxySettingsLocation(const std::string& location); // empty: back to the default

// Reads the values in order into `rec`. A missing text value reads as empty;
// a missing key, a missing or non-DWORD integer or a text of another type ends
// the reading there, silently, the fields not yet read keeping their contents.
void LoadProxySettings(TProxyRec& rec = ProxyRec);
// Writes the five values, creating the key as needed; a failure is silent.
void SaveProxySettings(const TProxyRec& rec = ProxyRec);

// The port as the dialog converts its text: leading blanks, an optional sign
// and the leading digits ("80a" is 80); no digits give 0.
int32_t ProxyPortFromText(const std::string& text);
