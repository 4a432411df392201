#include "search/Settings.h"

#include "base/AsciiCase.h"
#include "base/ExecutablePath.h"
#include "search/ProfileFile.h"

#include <algorithm>
#include <set>
#include <stdexcept>

#ifndef FINDARO_WEBSITE
#error "FINDARO_WEBSITE must be defined by the build"
#endif
#ifndef FINDARO_COPYRIGHT
#error "FINDARO_COPYRIGHT must be defined by the build"
#endif

TOptionsRec OptionsRec;

const char* const ProductName = "Findaro";
const char* const HelpFileName = "Findaro.chm";
const double ProgramVersion = 1.0;
const char* const WebSiteAddress = FINDARO_WEBSITE;
const char* const CopyrightLine = FINDARO_COPYRIGHT;

namespace {

const char* const Section = "Settings";
const std::string DNKeyPrefix = "SearchDN";

std::string& PathOverride() {
    static std::string path;
    return path;
}

// The integer keys in the order a save writes them; DNCount and DomainName
// have their own places among them (see SaveSettings).
struct IntKey {
    const char* Name;
    int32_t TOptionsRec::*Field;
    int32_t Default;
};

const IntKey FlagsBeforeDNCount[] = {
    {"SearchName", &TOptionsRec::SearchName, 1},
    {"SearchDisplayName", &TOptionsRec::SearchDisplayName, 1},
    {"SearchSurname", &TOptionsRec::SearchSurname, 1},
    {"SearchFirstName", &TOptionsRec::SearchFirstName, 1},
    {"SearchTelephoneNumber", &TOptionsRec::SearchTelephoneNumber, 0},
    {"SearchSAMAccountName", &TOptionsRec::SearchSAMAccountName, 0},
    {"SearchUPN", &TOptionsRec::SearchUPN, 0},
    {"DisplayName", &TOptionsRec::DisplayName, 1},
    {"DisplayDisplayName", &TOptionsRec::DisplayDisplayName, 0},
    {"DisplayGivenName", &TOptionsRec::DisplayGivenName, 0},
    {"DisplaySurname", &TOptionsRec::DisplaySurname, 0},
    {"DisplaySamAccountName", &TOptionsRec::DisplaySamAccountName, 0},
    {"DisplayTelephoneNumber", &TOptionsRec::DisplayTelephoneNumber, 1},
    {"DisplayMobilePhone", &TOptionsRec::DisplayMobilePhone, 0},
    {"DisplayFax", &TOptionsRec::DisplayFax, 0},
    {"DisplayIPPhone", &TOptionsRec::DisplayIPPhone, 0},
    {"DisplayHomePhone", &TOptionsRec::DisplayHomePhone, 0},
    {"DisplayPager", &TOptionsRec::DisplayPager, 0},
    {"DisplayDescription", &TOptionsRec::DisplayDescription, 0},
    {"DisplayOffice", &TOptionsRec::DisplayOffice, 0},
    {"DisplayDepartment", &TOptionsRec::DisplayDepartment, 1},
    {"DisplayCompany", &TOptionsRec::DisplayCompany, 0},
    {"FormWidth", &TOptionsRec::FormWidth, 500},
    {"FormHeight", &TOptionsRec::FormHeight, 400},
    {"MaxResults", &TOptionsRec::MaxResults, 100},
};

const IntKey FlagsBeforeDomainName[] = {
    {"CurrentDomain", &TOptionsRec::CurrentDomain, 1},
    {"SearchReferrals", &TOptionsRec::SearchReferrals, 0},
    {"SearchChildren", &TOptionsRec::SearchChildren, 1},
};

const IntKey FlagsAfterDomainName[] = {
    {"HookHotkey", &TOptionsRec::HookHotkey, 1},
    {"HideConfig", &TOptionsRec::HideConfig, 0},
    // Read as "SearchTimeOut" below; the same key, since names ignore case.
    {"SearchTimeout", &TOptionsRec::SearchTimeout, 10},
};

// The numbers of the "SearchDN<n>" keys present below `count`, ascending.
// Reading only these keeps a huge hand-edited DNCount from stalling start-up.
std::set<int32_t> PresentContainerNumbers(const std::string& path, int32_t count) {
    std::set<int32_t> numbers;
    for (const std::string& key : ReadProfileKeys(path, Section)) {
        if (key.size() <= DNKeyPrefix.size() || key.size() > DNKeyPrefix.size() + 10)
            continue;
        if (!findaro::StartsWithAsciiNoCase(key, DNKeyPrefix))
            continue;
        std::string digits = key.substr(DNKeyPrefix.size());
        // Only the spelling a save produces: decimal without leading zeros.
        if (!std::all_of(digits.begin(), digits.end(),
                         [](char c) { return c >= '0' && c <= '9'; }) ||
            (digits.size() > 1 && digits[0] == '0'))
            continue;
        long long n = std::stoll(digits);
        if (n < count)
            numbers.insert(static_cast<int32_t>(n));
    }
    return numbers;
}

void WriteKey(const std::string& path, const std::string& key, const std::string& value) {
    if (!WriteProfileString(path, Section, key, value))
        throw std::runtime_error("Unable to write to " + path);
}

void WriteInts(const std::string& path, const IntKey* begin, const IntKey* end) {
    for (const IntKey* k = begin; k != end; ++k)
        WriteKey(path, k->Name, std::to_string(OptionsRec.*(k->Field)));
}

void ReadInts(const std::string& path, const IntKey* begin, const IntKey* end) {
    for (const IntKey* k = begin; k != end; ++k) {
        std::string name = k->Field == &TOptionsRec::SearchTimeout ? "SearchTimeOut" : k->Name;
        OptionsRec.*(k->Field) = ReadProfileInt(path, Section, name, k->Default);
    }
}

} // namespace

std::string SettingsPathForExecutable(const std::string& exePath) {
    size_t slash = exePath.rfind('/');
    size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    size_t dot = exePath.rfind('.');
    if (dot == std::string::npos || dot < nameStart)
        return exePath + ".INI";
    return exePath.substr(0, dot) + ".INI";
}

std::string SettingsFilePath() {
    if (!PathOverride().empty())
        return PathOverride();
    const std::string exe = findaro::ExecutablePath();
    if (exe.empty())
        throw std::runtime_error("Unable to determine the program's path");
    return SettingsPathForExecutable(exe);
}

void SetSettingsFilePath(const std::string& path) {
    PathOverride() = path;
}

void LoadSettings() {
    const std::string path = SettingsFilePath();
    OptionsRec = TOptionsRec{}; // a second load must not add to the first

    // Only the low 8 bits count: 256 reads as 0, 257 as 1.
    int32_t searchType = ReadProfileInt(path, Section, "SearchType", 1);
    OptionsRec.SearchType = static_cast<int8_t>(static_cast<uint8_t>(searchType & 0xFF));
    ReadInts(path, std::begin(FlagsBeforeDNCount), std::end(FlagsBeforeDNCount));
    ReadInts(path, std::begin(FlagsBeforeDomainName), std::end(FlagsBeforeDomainName));
    ReadInts(path, std::begin(FlagsAfterDomainName), std::end(FlagsAfterDomainName));

    OptionsRec.DomainName = ReadProfileString(path, Section, "DomainName", "");

    int32_t count = ReadProfileInt(path, Section, "DNCount", 0);
    if (count <= 0)
        return;
    for (int32_t i : PresentContainerNumbers(path, count)) {
        std::string dn = ReadProfileString(path, Section, DNKeyPrefix + std::to_string(i), "");
        if (!dn.empty())
            OptionsRec.SearchDN.push_back(dn);
    }
}

void SaveSettings() {
    const std::string path = SettingsFilePath();

    WriteKey(path, "SearchType", std::to_string(OptionsRec.SearchType));
    WriteInts(path, std::begin(FlagsBeforeDNCount), std::end(FlagsBeforeDNCount));
    WriteKey(path, "DNCount", std::to_string(OptionsRec.SearchDN.size()));
    WriteInts(path, std::begin(FlagsBeforeDomainName), std::end(FlagsBeforeDomainName));
    WriteKey(path, "DomainName", OptionsRec.DomainName);
    WriteInts(path, std::begin(FlagsAfterDomainName), std::end(FlagsAfterDomainName));

    // Higher numbers left by a longer list stay; DNCount keeps them unread.
    for (size_t i = 0; i < OptionsRec.SearchDN.size(); ++i)
        WriteKey(path, DNKeyPrefix + std::to_string(i), OptionsRec.SearchDN[i]);
}
