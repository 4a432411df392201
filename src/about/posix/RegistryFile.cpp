#include "about/posix/RegistryFile.h"

#include "base/AtomicFile.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <sstream>
#include <sys/stat.h>

namespace {

const char* const Header = "Windows Registry Editor Version 5.00";

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string TrimBlanks(const std::string& s) {
    size_t b = 0, e = s.size();
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (b < e && blank(s[b]))
        ++b;
    while (e > b && blank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// UTF-16LE bytes to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf16LeToUtf8(const std::string& bytes) {
    std::string out;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        uint32_t u =
            static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8);
        if (u >= 0xD800 && u < 0xDC00 && i + 3 < bytes.size()) {
            uint32_t lo = static_cast<unsigned char>(bytes[i + 2]) |
                          (static_cast<unsigned char>(bytes[i + 3]) << 8);
            if (lo >= 0xDC00 && lo < 0xE000) {
                AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00));
                i += 2;
                continue;
            }
        }
        AppendUtf8(out, u >= 0xD800 && u < 0xE000 ? 0xFFFD : u);
    }
    return out;
}

// UTF-8 to UTF-16LE bytes; a byte that starts no valid sequence stands for
// itself (Latin-1), so that nothing is dropped.
std::string Utf8ToUtf16Le(const std::string& s) {
    std::string out;
    auto put = [&out](uint32_t u) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>(u >> 8);
    };
    for (size_t i = 0; i < s.size();) {
        unsigned char c = s[i];
        int extra = c >= 0xF0 && c < 0xF8 ? 3 : c >= 0xE0 ? 2 : c >= 0xC2 && c < 0xE0 ? 1 : 0;
        uint32_t cp = c;
        bool valid = c < 0x80 || extra > 0;
        if (extra > 0) {
            cp = c & (0x3F >> extra);
            for (int k = 1; k <= extra; ++k) {
                if (i + k >= s.size() || (static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) {
                    valid = false;
                    break;
                }
                cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
            }
        }
        if (!valid || cp > 0x10FFFF) {
            put(c);
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            put(0xD800 + ((cp - 0x10000) >> 10));
            put(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            put(cp);
        }
        i += extra + 1;
    }
    return out;
}

// The file as UTF-8 text: an export saved by the registry editor itself is
// UTF-16LE with a byte-order mark.
std::string DecodeFile(const std::string& raw) {
    if (raw.size() >= 2 && static_cast<unsigned char>(raw[0]) == 0xFF &&
        static_cast<unsigned char>(raw[1]) == 0xFE)
        return Utf16LeToUtf8(raw.substr(2));
    if (raw.rfind("\xEF\xBB\xBF", 0) == 0)
        return raw.substr(3);
    return raw;
}

struct Line {
    std::string text;
    std::string eol;
};

std::vector<Line> SplitLines(const std::string& content) {
    std::vector<Line> lines;
    size_t pos = 0;
    while (pos < content.size()) {
        size_t nl = content.find('\n', pos);
        Line l;
        if (nl == std::string::npos) {
            l.text = content.substr(pos);
            pos = content.size();
        } else {
            l.text = content.substr(pos, nl - pos);
            l.eol = "\n";
            pos = nl + 1;
        }
        if (!l.text.empty() && l.text.back() == '\r') {
            l.text.pop_back();
            l.eol = "\r" + l.eol;
        }
        lines.push_back(std::move(l));
    }
    return lines;
}

// A section header's key name, or nothing for any other line.
std::optional<std::string> SectionName(const std::string& line) {
    std::string t = TrimBlanks(line);
    if (t.size() < 2 || t.front() != '[' || t.back() != ']')
        return std::nullopt;
    return t.substr(1, t.size() - 2);
}

// A quoted string with the export format's escapes (\\ and \") starting at
// `pos` (the opening quote); `pos` ends after the closing quote. Nothing when
// the closing quote is missing.
std::optional<std::string> ParseQuoted(const std::string& s, size_t& pos) {
    if (pos >= s.size() || s[pos] != '"')
        return std::nullopt;
    std::string out;
    for (size_t i = pos + 1; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            out += s[++i];
        } else if (s[i] == '"') {
            pos = i + 1;
            return out;
        } else {
            out += s[i];
        }
    }
    return std::nullopt;
}

std::string Quote(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out + '"';
}

std::optional<std::string> ParseHexBytes(const std::string& list) {
    std::string bytes;
    std::string t = TrimBlanks(list);
    if (t.empty())
        return bytes;
    std::istringstream in(t);
    std::string item;
    while (std::getline(in, item, ',')) {
        item = TrimBlanks(item);
        if (item.empty() || item.size() > 2 ||
            !std::isxdigit(static_cast<unsigned char>(item[0])) ||
            (item.size() == 2 && !std::isxdigit(static_cast<unsigned char>(item[1]))))
            return std::nullopt;
        bytes += static_cast<char>(std::stoi(item, nullptr, 16));
    }
    if (t.back() == ',')
        return std::nullopt;
    return bytes;
}

std::string HexBytes(const std::string& bytes) {
    std::string out;
    char buf[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(buf, sizeof buf, "%02x", static_cast<unsigned char>(bytes[i]));
        if (i)
            out += ',';
        out += buf;
    }
    return out;
}

// A string stored as hex: UTF-16LE in version 5 files, the code page's bytes
// in REGEDIT4 ones; the terminating zero is not part of the text.
std::optional<std::string> DecodeHexString(const std::string& bytes, bool unicode) {
    if (!unicode) {
        std::string s = bytes;
        while (!s.empty() && s.back() == '\0')
            s.pop_back();
        return s;
    }
    if (bytes.size() % 2)
        return std::nullopt;
    std::string s = Utf16LeToUtf8(bytes);
    while (!s.empty() && s.back() == '\0')
        s.pop_back();
    return s;
}

RegValue ParseData(const std::string& data, bool unicode) {
    RegValue v;
    if (!data.empty() && data[0] == '"') {
        size_t pos = 0;
        std::optional<std::string> s = ParseQuoted(data, pos);
        if (s && TrimBlanks(data.substr(pos)).empty())
            v = RegValue::String(*s);
        return v;
    }
    std::string lower = Lower(data);
    if (lower.rfind("dword:", 0) == 0) {
        std::string digits = TrimBlanks(data.substr(6));
        if (digits.empty() || digits.size() > 8)
            return v;
        for (char c : digits)
            if (!std::isxdigit(static_cast<unsigned char>(c)))
                return v;
        return RegValue::Dword(static_cast<uint32_t>(std::stoul(digits, nullptr, 16)));
    }
    size_t colon = lower.find(':');
    if (colon == std::string::npos)
        return v;
    std::string kind = lower.substr(0, colon);
    std::optional<std::string> bytes = ParseHexBytes(data.substr(colon + 1));
    if (!bytes)
        return v;
    if (kind == "hex(1)" || kind == "hex(2)") {
        if (std::optional<std::string> s = DecodeHexString(*bytes, unicode)) {
            v.type = kind == "hex(1)" ? RegType::Sz : RegType::ExpandSz;
            v.text = *s;
        }
    } else if (kind == "hex(4)" && bytes->size() == 4) {
        const auto* b = reinterpret_cast<const unsigned char*>(bytes->data());
        v = RegValue::Dword(b[0] | (b[1] << 8) | (b[2] << 16) | (uint32_t(b[3]) << 24));
    }
    return v;
}

// One value line (with its continuation lines) of a section.
struct ValueLine {
    size_t first = 0, count = 1; // physical lines
    std::string name;            // "@" stays as it is
    bool deleted = false;        // "name"=-
    std::string data;
};

// The value at line `i`, or nothing for a line that names no value.
std::optional<ValueLine> ParseValueLine(const std::vector<Line>& lines, size_t i) {
    ValueLine v;
    v.first = i;
    std::string t = TrimBlanks(lines[i].text);
    size_t pos = 0;
    if (t.rfind('@', 0) == 0) {
        v.name = "@";
        pos = 1;
    } else if (std::optional<std::string> name = ParseQuoted(t, pos)) {
        v.name = *name;
    } else {
        return std::nullopt;
    }
    while (pos < t.size() && (t[pos] == ' ' || t[pos] == '\t'))
        ++pos;
    if (pos >= t.size() || t[pos] != '=') {
        v.data = "\x01"; // a value line cut short: a value in no known format
        return v;
    }
    std::string data = TrimBlanks(t.substr(pos + 1));
    // Long hex data goes on over lines that end in a backslash.
    if (Lower(data).rfind("hex", 0) == 0) {
        while (!data.empty() && data.back() == '\\' && v.first + v.count < lines.size()) {
            data.pop_back();
            data += TrimBlanks(lines[v.first + v.count].text);
            ++v.count;
        }
    }
    v.deleted = data == "-";
    v.data = data;
    return v;
}

// Missing folders on the way to `path`, made private to the user: the file
// holds a password.
bool MakeFolders(const std::string& folder) {
    struct stat st {};
    if (folder.empty() || ::stat(folder.c_str(), &st) == 0)
        return folder.empty() || S_ISDIR(st.st_mode);
    size_t slash = folder.rfind('/');
    if (slash != std::string::npos && slash > 0 && !MakeFolders(folder.substr(0, slash)))
        return false;
    return ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

bool IsUnicodeFile(const std::vector<Line>& lines) {
    for (const Line& l : lines) {
        std::string t = TrimBlanks(l.text);
        if (!t.empty())
            return t != "REGEDIT4";
    }
    return true;
}

std::string FormatValue(const std::string& name, const RegValue& v) {
    std::string head = (name == "@" ? std::string("@") : Quote(name)) + "=";
    char buf[16];
    switch (v.type) {
    case RegType::Dword:
        std::snprintf(buf, sizeof buf, "dword:%08x", v.dword);
        return head + buf;
    case RegType::Sz:
        // A line break cannot stand inside a quoted line; the hex form keeps it.
        if (v.text.find_first_of(std::string("\r\n\0", 3)) == std::string::npos)
            return head + Quote(v.text);
        return head + "hex(1):" + HexBytes(Utf8ToUtf16Le(v.text) + std::string(2, '\0'));
    case RegType::ExpandSz:
        return head + "hex(2):" + HexBytes(Utf8ToUtf16Le(v.text) + std::string(2, '\0'));
    case RegType::Other:
        break;
    }
    return head + "-";
}

} // namespace

bool TRegistryKeyFile::Open(const std::string& path, const std::string& key) {
    values_.clear();
    std::string raw;
    if (findaro::ReadWholeFile(path, raw) != findaro::FileRead::Ok)
        return false;
    std::vector<Line> lines = SplitLines(DecodeFile(raw));
    const bool unicode = IsUnicodeFile(lines);
    const std::string wanted = Lower(key);
    bool found = false, inKey = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (std::optional<std::string> section = SectionName(lines[i].text)) {
            inKey = Lower(*section) == wanted;
            found = found || inKey;
            continue;
        }
        if (!inKey)
            continue;
        std::optional<ValueLine> v = ParseValueLine(lines, i);
        if (!v)
            continue;
        i += v->count - 1;
        std::erase_if(values_, [&](const auto& p) { return Lower(p.first) == Lower(v->name); });
        if (!v->deleted)
            values_.emplace_back(v->name, ParseData(v->data, unicode));
    }
    return found;
}

std::optional<RegValue> TRegistryKeyFile::Value(const std::string& name) const {
    for (const auto& [n, v] : values_)
        if (Lower(n) == Lower(name))
            return v;
    return std::nullopt;
}

bool WriteRegistryValues(const std::string& path, const std::string& key,
                         const std::vector<std::pair<std::string, RegValue>>& values) {
    std::string raw;
    findaro::FileRead read = findaro::ReadWholeFile(path, raw);
    if (read == findaro::FileRead::Failed)
        return false;
    if (read == findaro::FileRead::Missing) {
        size_t slash = path.rfind('/');
        if (slash != std::string::npos && slash > 0 && !MakeFolders(path.substr(0, slash)))
            return false;
    }
    std::vector<Line> lines = SplitLines(DecodeFile(raw));
    std::string eol = "\r\n";
    for (const Line& l : lines)
        if (l.eol == "\n" || l.eol == "\r\n") {
            eol = l.eol;
            break;
        }
    if (lines.empty()) {
        lines.push_back({Header, eol});
        lines.push_back({"", eol});
    }
    if (!lines.back().eol.size())
        lines.back().eol = eol;

    // Drop the lines that set our values (stale duplicates included), and
    // remember where the key's last section ends for the new ones.
    const std::string wanted = Lower(key);
    std::optional<size_t> insertAt;
    std::vector<Line> kept;
    bool inKey = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (std::optional<std::string> section = SectionName(lines[i].text)) {
            inKey = Lower(*section) == wanted;
            kept.push_back(lines[i]);
            if (inKey)
                insertAt = kept.size();
            continue;
        }
        if (inKey) {
            if (std::optional<ValueLine> v = ParseValueLine(lines, i)) {
                bool ours = false;
                for (const auto& [name, value] : values)
                    ours = ours || Lower(name) == Lower(v->name);
                for (size_t k = 0; k < v->count; ++k)
                    if (!ours)
                        kept.push_back(lines[i + k]);
                i += v->count - 1;
                insertAt = kept.size();
                continue;
            }
        }
        kept.push_back(lines[i]);
    }
    if (!insertAt) {
        if (!TrimBlanks(kept.back().text).empty())
            kept.push_back({"", eol});
        kept.push_back({"[" + key + "]", eol});
        insertAt = kept.size();
    }
    std::vector<Line> added;
    // A damaged hex value whose last line promises a continuation must not
    // take our first line into it.
    const std::string before = TrimBlanks(kept[*insertAt - 1].text);
    if (!before.empty() && before.back() == '\\')
        added.push_back({"", eol});
    for (const auto& [name, value] : values)
        added.push_back({FormatValue(name, value), eol});
    kept.insert(kept.begin() + static_cast<std::ptrdiff_t>(*insertAt), added.begin(), added.end());

    std::string content;
    for (const Line& l : kept)
        content += l.text + (l.eol == "\r" ? eol : l.eol); // a lone CR ends no line elsewhere
    return findaro::ReplaceFile(path, content, 0600);
}
