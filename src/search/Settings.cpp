#include "search/Settings.h"

#include "base/AsciiCase.h"
#include "base/AtomicFile.h"
#include "base/ExecutablePath.h"
#include "base/Folder.h"
#include "base/PathParts.h"
#include "search/Columns.h"
#include "search/ProfileFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>
#include <stdexcept>

TOptionsRec OptionsRec;

namespace {

const char* const Section = "Settings";
const std::string DNKeyPrefix = "SearchDN";

std::string& PathOverride() {
    static std::string path;
    return path;
}

// What the last load found: the file it read (or would have read) for which
// exact name, and why it could not read it.
struct LoadedFile {
    std::string ExactPath;
    std::string Path;
    std::string ReadError;
};

LoadedFile& LastLoad() {
    static LoadedFile loaded;
    return loaded;
}

std::string ExactSettingsPath() {
    if (!PathOverride().empty())
        return PathOverride();
    const std::string exe = findaro::ExecutablePath();
    if (exe.empty())
        throw std::runtime_error("Unable to determine the program's path");
    return SettingsPathForExecutable(exe);
}

// The integer keys in the order a save writes them: SearchType, the search
// fields and the columns (from their one catalogue), then these; DNCount and
// DomainName have their own places among them (see SaveSettings).
struct IntKey {
    const char* Key;
    int32_t TOptionsRec::*Flag;
    int32_t Default;
};

const IntKey SizesBeforeDNCount[] = {
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
std::set<int32_t> PresentContainerNumbers(const TProfile& profile, int32_t count) {
    std::set<int32_t> numbers;
    for (const std::string& key : profile.Keys(Section)) {
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

// Any table whose rows carry Key, Flag and Default.
template <typename Rows> void WriteInts(TProfile& profile, const Rows& rows) {
    for (const auto& k : rows)
        profile.Write(Section, k.Key, std::to_string(OptionsRec.*(k.Flag)));
}

template <typename Rows> void ReadInts(const TProfile& profile, const Rows& rows) {
    for (const auto& k : rows) {
        std::string name = k.Flag == &TOptionsRec::SearchTimeout ? "SearchTimeOut" : k.Key;
        OptionsRec.*(k.Flag) = profile.ReadInt(Section, name, k.Default);
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

std::string FindSettingsFile(const std::string& exactPath) {
    if (findaro::PathExists(exactPath))
        return exactPath;
    const auto [folder, name] = findaro::SplitPath(exactPath);
    // Among several spellings the first in byte order wins, whatever order
    // the folder lists them in.
    std::string best;
    for (const std::string& candidate : findaro::FolderNames(folder))
        if (findaro::EqualsAsciiNoCase(candidate, name) && (best.empty() || candidate < best))
            best = candidate;
    if (best.empty())
        return exactPath;
    return exactPath.substr(0, exactPath.size() - name.size()) + best;
}

std::string SettingsFilePath() {
    return FindSettingsFile(ExactSettingsPath());
}

void SetSettingsFilePath(const std::string& path) {
    PathOverride() = path;
}

std::string SettingsReadError() {
    return LastLoad().ReadError;
}

void LoadSettings() {
    LoadedFile loaded;
    loaded.ExactPath = ExactSettingsPath();
    loaded.Path = FindSettingsFile(loaded.ExactPath);
    OptionsRec = TOptionsRec{}; // a second load must not add to the first

    std::string content;
    if (findaro::ReadWholeFile(loaded.Path, content) == findaro::FileRead::Failed)
        loaded.ReadError = "Cannot read " + loaded.Path + ": " + std::strerror(errno);
    LastLoad() = loaded;
    const TProfile profile(content); // empty when missing or unreadable: the defaults

    // Only the low 8 bits count: 256 reads as 0, 257 as 1.
    const int32_t searchType = profile.ReadInt(Section, "SearchType", 1);
    OptionsRec.SearchType = static_cast<int8_t>(static_cast<uint8_t>(searchType & 0xFF));
    ReadInts(profile, SearchFieldTable());
    ReadInts(profile, ResultColumnTable());
    ReadInts(profile, SizesBeforeDNCount);
    ReadInts(profile, FlagsBeforeDomainName);
    ReadInts(profile, FlagsAfterDomainName);

    OptionsRec.DomainName = profile.ReadString(Section, "DomainName", "");

    const int32_t count = profile.ReadInt(Section, "DNCount", 0);
    if (count <= 0)
        return;
    for (int32_t i : PresentContainerNumbers(profile, count)) {
        std::string dn = profile.ReadString(Section, DNKeyPrefix + std::to_string(i), "");
        if (!dn.empty())
            OptionsRec.SearchDN.push_back(std::move(dn));
    }
}

void SaveSettings() {
    // The file that was read, so that a second spelling made since does not
    // split the settings in two.
    const std::string exact = ExactSettingsPath();
    const LoadedFile& loaded = LastLoad();
    const std::string path = loaded.ExactPath == exact ? loaded.Path : FindSettingsFile(exact);
    const std::runtime_error failed("Unable to write to " + path);
    // A file that could not be read must not be overwritten with defaults.
    if (loaded.ExactPath == exact && !loaded.ReadError.empty())
        throw failed;

    std::string content;
    if (findaro::ReadWholeFile(path, content) == findaro::FileRead::Failed)
        throw failed;
    TProfile profile(content);

    // Every key applied to the text as read, then one write: a save that
    // fails leaves the file exactly as it was.
    profile.Write(Section, "SearchType", std::to_string(OptionsRec.SearchType));
    WriteInts(profile, SearchFieldTable());
    WriteInts(profile, ResultColumnTable());
    WriteInts(profile, SizesBeforeDNCount);
    profile.Write(Section, "DNCount", std::to_string(OptionsRec.SearchDN.size()));
    WriteInts(profile, FlagsBeforeDomainName);
    const bool domainWritten = profile.Write(Section, "DomainName", OptionsRec.DomainName);
    WriteInts(profile, FlagsAfterDomainName);

    // Higher numbers left by a longer list stay; DNCount keeps them unread.
    bool containersWritten = true;
    for (size_t i = 0; i < OptionsRec.SearchDN.size(); ++i)
        containersWritten &=
            profile.Write(Section, DNKeyPrefix + std::to_string(i), OptionsRec.SearchDN[i]);

    if (!domainWritten || !containersWritten || !findaro::ReplaceFile(path, profile.Text()))
        throw failed;
}
