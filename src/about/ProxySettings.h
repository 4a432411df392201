#pragma once
// The proxy through which the update check reaches the web server, kept per
// user. The registry key Software\Quillmere\ProxySettings of the current user
// is, here, the file ProxySettings.reg in $XDG_CONFIG_HOME/Quillmere
// (~/.config/Quillmere without the variable), because it holds a password:
// mode 0600 in a folder of mode 0700.

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

// The file that stands for the key, unless SetProxySettingsFilePath chose
// another (tests).
std::string ProxySettingsFilePath();
void SetProxySettingsFilePath(const std::string& path); // empty: back to the default

// Reads the values in order into `rec`. A missing text value reads as empty;
// a missing key, a missing or non-DWORD integer or a text of another type ends
// the reading there, silently, the fields not yet read keeping their contents.
void LoadProxySettings(TProxyRec& rec = ProxyRec);
// Writes the five values, creating the key as needed; a failure is silent.
void SaveProxySettings(const TProxyRec& rec = ProxyRec);

// The port as the dialog converts its text: leading blanks, an optional sign
// and the leading digits ("80a" is 80); no digits give 0.
int32_t ProxyPortFromText(const std::string& text);
