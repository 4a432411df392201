// Arbitrary bytes as a settings file: load, change the record, save, load
// again. The save must keep every line it does not own byte for byte, read
// back as written, and leave no temporary file behind.

#include "search/Settings.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <set>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

[[noreturn]] void Fail(const char* what, const std::string& detail = "") {
    std::fprintf(stderr, "profile_fuzz: %s %s\n", what, detail.c_str());
    std::abort();
}

const std::string& Folder() {
    static const std::string folder = [] {
        // A RAM-backed folder where there is one: a save syncs twice.
        std::string tmpl = (::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp");
        tmpl += "/findaro-fuzz-XXXXXX";
        if (!::mkdtemp(tmpl.data()))
            Fail("mkdtemp");
        return tmpl;
    }();
    return folder;
}

std::vector<std::string> Entries() {
    std::vector<std::string> names;
    if (DIR* d = ::opendir(Folder().c_str())) {
        while (dirent* e = ::readdir(d))
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
                names.push_back(e->d_name);
        ::closedir(d);
    }
    return names;
}

std::string ReadAll(const std::string& path) {
    std::string s;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
            s.append(buf, n);
        std::fclose(f);
    }
    return s;
}

void WriteAll(const std::string& path, const uint8_t* data, size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(data, 1, size, f) != size || std::fclose(f) != 0)
        Fail("cannot write the input file");
}

// Lines split at each line feed, each with its own bytes (the feed included).
std::vector<std::string> RawLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t nl = text.find('\n', pos);
        size_t end = nl == std::string::npos ? text.size() : nl + 1;
        lines.push_back(text.substr(pos, end - pos));
        pos = end;
    }
    return lines;
}

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos)
        return "";
    size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

std::string WithoutLineEnd(std::string line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    return line;
}

// The key name of a key line, lower-cased; empty for any other line.
std::string KeyOf(const std::string& line) {
    std::string text = WithoutLineEnd(line);
    if (Trim(text).rfind('[', 0) == 0)
        return "";
    size_t eq = text.find('=');
    return eq == std::string::npos ? "" : Lower(Trim(text.substr(0, eq)));
}

// The section a section line opens, lower-cased; nullopt-like "\n" otherwise.
std::string SectionOf(const std::string& line) {
    std::string text = Trim(WithoutLineEnd(line));
    if (text.empty() || text[0] != '[')
        return "\n";
    size_t close = text.find(']');
    return Lower(Trim(text.substr(1, close == std::string::npos ? std::string::npos : close - 1)));
}

std::set<std::string> SavedKeys(size_t containers) {
    std::set<std::string> keys = {"searchtype",
                                  "searchname",
                                  "searchdisplayname",
                                  "searchsurname",
                                  "searchfirstname",
                                  "searchtelephonenumber",
                                  "searchsamaccountname",
                                  "searchupn",
                                  "displayname",
                                  "displaydisplayname",
                                  "displaygivenname",
                                  "displaysurname",
                                  "displaysamaccountname",
                                  "displaytelephonenumber",
                                  "displaymobilephone",
                                  "displayfax",
                                  "displayipphone",
                                  "displayhomephone",
                                  "displaypager",
                                  "displaydescription",
                                  "displayoffice",
                                  "displaydepartment",
                                  "displaycompany",
                                  "formwidth",
                                  "formheight",
                                  "maxresults",
                                  "dncount",
                                  "currentdomain",
                                  "searchreferrals",
                                  "searchchildren",
                                  "domainname",
                                  "hookhotkey",
                                  "hideconfig",
                                  "searchtimeout"};
    for (size_t i = 0; i < containers; ++i)
        keys.insert("searchdn" + std::to_string(i));
    return keys;
}

// Every line of `before` is in `after`, in order and byte for byte, except
// that a key line of the save's own section may have a new value and the
// last line may gain the line feed it lacked; every other line of `after` is
// a line the save added.
void CheckForeignLinesKept(const std::string& before, const std::string& after,
                           const std::set<std::string>& keys) {
    std::vector<std::string> b = RawLines(before), a = RawLines(after);
    // A byte order mark stays in front and is not part of the first line.
    const std::string bom = "\xEF\xBB\xBF";
    if (before.rfind(bom, 0) == 0) {
        if (after.rfind(bom, 0) != 0)
            Fail("byte order mark lost");
        b = RawLines(before.substr(3));
        a = RawLines(after.substr(3));
    }
    size_t i = 0, j = 0;
    std::string section = "\n";
    std::set<std::string> replaced;
    while (j < a.size()) {
        if (i < b.size()) {
            const std::string opened = SectionOf(b[i]);
            const std::string current = opened != "\n" ? opened : section;
            const std::string key = KeyOf(b[i]);
            const bool last = i + 1 == b.size();
            if (a[j] == b[i] || (last && b[i].back() != '\n' &&
                                 (a[j] == b[i] + "\n" || a[j] == b[i] + "\r\n"))) {
                section = current;
                ++i, ++j;
                continue;
            }
            // A replaced value keeps its line's name part and its line end.
            const size_t eq = b[i].find('=');
            if (current == "settings" && !key.empty() && keys.count(key) &&
                !replaced.count(key) && a[j].compare(0, eq + 1, b[i], 0, eq + 1) == 0) {
                replaced.insert(key);
                section = current;
                ++i, ++j;
                continue;
            }
        }
        // Added by the save: one of its keys, or its section's heading.
        if (!keys.count(KeyOf(a[j])) && SectionOf(a[j]) != "settings")
            Fail("unexpected line in the saved file:", a[j]);
        ++j;
    }
    if (i != b.size())
        Fail("a line of the file was lost:", b[i]);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = Folder() + "/findaro.INI";
    WriteAll(path, data, size);
    const std::string before(reinterpret_cast<const char*>(data), size);
    SetSettingsFilePath(path);

    LoadSettings();
    if (!SettingsReadError().empty())
        Fail("a regular file could not be read:", SettingsReadError());

    // A change of every kind of field, including a longer and a shorter list.
    TOptionsRec wanted = OptionsRec;
    wanted.SearchType = static_cast<int8_t>(size % 3);
    wanted.MaxResults = static_cast<int32_t>(size);
    wanted.HideConfig = !wanted.HideConfig;
    wanted.DomainName = size % 2 ? "CORP" : "";
    wanted.SearchDN.assign(size % 4, "OU=Staff,DC=example,DC=com");
    OptionsRec = wanted;
    try {
        SaveSettings();
    } catch (const std::runtime_error& e) {
        Fail("save failed:", e.what());
    }
    const std::string after = ReadAll(path);
    CheckForeignLinesKept(before, after, SavedKeys(wanted.SearchDN.size()));

    const std::vector<std::string> entries = Entries();
    if (entries.size() != 1 || entries[0] != "findaro.INI")
        Fail("a temporary file was left behind");

    LoadSettings();
    const TOptionsRec& read = OptionsRec;
    if (read.SearchType != wanted.SearchType || read.MaxResults != wanted.MaxResults ||
        read.HideConfig != wanted.HideConfig || read.DomainName != wanted.DomainName ||
        read.SearchDN != wanted.SearchDN || read.FormWidth != wanted.FormWidth)
        Fail("the saved record does not read back");
    return 0;
}
