#pragma once
// The one settings record of the process and its INI file beside the
// executable.

#include "BuildInfo.h" // the identity constants, still reached through this header

#include <cstdint>
#include <string>
#include <vector>

struct TOptionsRec {
    int8_t SearchType = 0;
    int32_t SearchName = 0;
    int32_t SearchDisplayName = 0;
    int32_t SearchSurname = 0;
    int32_t SearchFirstName = 0;
    int32_t SearchTelephoneNumber = 0;
    int32_t SearchSAMAccountName = 0;
    int32_t SearchUPN = 0;
    int32_t DisplayName = 0;
    int32_t DisplayDisplayName = 0;
    int32_t DisplayGivenName = 0;
    int32_t DisplaySurname = 0;
    int32_t DisplaySamAccountName = 0;
    int32_t DisplayTelephoneNumber = 0;
    int32_t DisplayMobilePhone = 0;
    int32_t DisplayFax = 0;
    int32_t DisplayIPPhone = 0;
    int32_t DisplayHomePhone = 0;
    int32_t DisplayPager = 0;
    int32_t DisplayDescription = 0;
    int32_t DisplayOffice = 0;
    int32_t DisplayDepartment = 0;
    int32_t DisplayCompany = 0;
    int32_t FormWidth = 0;
    int32_t FormHeight = 0;
    int32_t CurrentDomain = 0;
    std::string DomainName;
    int32_t SearchReferrals = 0;
    int32_t SearchChildren = 0;
    std::vector<std::string> SearchDN;
    int32_t MaxResults = 0;
    int32_t HookHotkey = 0;
    int32_t HideConfig = 0;
    int32_t SearchTimeout = 0;
};

extern TOptionsRec OptionsRec;

// The executable's path with its extension replaced by ".INI", unless a
// path was set with SetSettingsFilePath (the terminal front end, tests);
// looked up as FindSettingsFile does.
std::string SettingsFilePath();
void SetSettingsFilePath(const std::string& path); // empty: back to the default
// `exactPath` when something of that name exists; otherwise the first in byte
// order of the names in its folder that equal its name but for ASCII case
// ("Findaro.ini" for "findaro.INI"); otherwise `exactPath`.
std::string FindSettingsFile(const std::string& exactPath);
// `exePath` with the extension of its file name replaced by ".INI" (appended
// when the name has none).
std::string SettingsPathForExecutable(const std::string& exePath);

// Fills OptionsRec from scratch. A file that exists but cannot be read gives
// the defaults, and SettingsReadError says why.
void LoadSettings();
// "Cannot read <path>: <reason>" when the last load could not read the file
// it found, otherwise empty.
std::string SettingsReadError();
// Writes the record to the file the last load read (the exact name when there
// was none), all at once. Throws std::runtime_error("Unable to write to
// <path>") when that fails, or when the last load could not read the file;
// the file is then left as it was.
void SaveSettings();
