#include "search/ProfileFile.h"

#include "base/AsciiCase.h"
#include "base/AtomicFile.h"

#include <optional>

namespace {

constexpr size_t MaxValueLength = 2047;
const std::string Utf8Bom = "\xEF\xBB\xBF";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

struct Line {
    std::string text; // without its line ending
    std::string eol;  // "\r\n", "\n" or "" (last line without one)
};

enum class LineKind { Other, Section, Key };

struct ParsedLine {
    LineKind kind = LineKind::Other;
    std::string name; // section or key name, trimmed
    size_t valueStart = 0;
};

struct Profile {
    std::string bom; // kept as it was, but not part of the first line's text
    std::vector<Line> lines;

    std::string Eol() const {
        for (const Line& l : lines)
            if (!l.eol.empty())
                return l.eol;
        return "\r\n"; // the platform's convention for profile files
    }

    std::string Text() const {
        std::string out = bom;
        for (const Line& l : lines)
            out += l.text + l.eol;
        return out;
    }
};

Profile ParseProfile(const std::string& content) {
    Profile p;
    size_t pos = 0;
    if (content.compare(0, Utf8Bom.size(), Utf8Bom) == 0) {
        p.bom = Utf8Bom;
        pos = Utf8Bom.size();
    }
    while (pos < content.size()) {
        size_t nl = content.find('\n', pos);
        Line l;
        if (nl == std::string::npos) {
            l.text = content.substr(pos);
            pos = content.size();
        } else {
            size_t end = nl;
            if (end > pos && content[end - 1] == '\r') {
                --end;
                l.eol = "\r\n";
            } else {
                l.eol = "\n";
            }
            l.text = content.substr(pos, end - pos);
            pos = nl + 1;
        }
        p.lines.push_back(std::move(l));
    }
    return p;
}

ParsedLine Classify(const std::string& text) {
    ParsedLine r;
    size_t b = 0;
    while (b < text.size() && IsBlank(text[b]))
        ++b;
    if (b < text.size() && text[b] == '[') {
        size_t close = text.find(']', b + 1);
        r.kind = LineKind::Section;
        r.name = Trim(
            text.substr(b + 1, close == std::string::npos ? std::string::npos : close - b - 1));
        return r;
    }
    size_t eq = text.find('=');
    if (eq != std::string::npos) {
        r.kind = LineKind::Key;
        r.name = Trim(text.substr(0, eq));
        r.valueStart = eq + 1;
    }
    return r;
}

// Index of the first line holding `key` in a section named `section`.
std::optional<size_t> FindKey(const Profile& p, const std::string& section,
                              const std::string& key) {
    bool inSection = false;
    for (size_t i = 0; i < p.lines.size(); ++i) {
        ParsedLine pl = Classify(p.lines[i].text);
        if (pl.kind == LineKind::Section)
            inSection = findaro::EqualsAsciiNoCase(pl.name, section);
        else if (inSection && pl.kind == LineKind::Key && findaro::EqualsAsciiNoCase(pl.name, key))
            return i;
    }
    return std::nullopt;
}

std::string UnquotedValue(const std::string& raw) {
    std::string v = Trim(raw);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    if (v.size() > MaxValueLength)
        v.resize(MaxValueLength);
    return v;
}

bool LoadProfile(const std::string& path, Profile& p) {
    std::string content;
    if (findaro::ReadWholeFile(path, content) != findaro::FileRead::Ok)
        return false;
    p = ParseProfile(content);
    return true;
}

bool HasLineBreak(const std::string& s) {
    return s.find_first_of("\r\n") != std::string::npos;
}

} // namespace

std::string ReadProfileString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& def) {
    Profile p;
    if (!LoadProfile(path, p))
        return def;
    std::optional<size_t> at = FindKey(p, section, key);
    if (!at)
        return def;
    const std::string& text = p.lines[*at].text;
    return UnquotedValue(text.substr(Classify(text).valueStart));
}

bool ParseProfileInt(const std::string& text, int32_t& result) {
    std::string digits = text;
    int base = 10;
    bool negative = false;
    if (digits.size() >= 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        base = 16;
        digits.erase(0, 2);
    } else if (!digits.empty() && digits[0] == '$') {
        base = 16;
        digits.erase(0, 1);
    } else if (!digits.empty() && digits[0] == '-') {
        negative = true;
        digits.erase(0, 1);
    }
    if (digits.empty())
        return false;
    uint64_t value = 0;
    for (char c : digits) {
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return false;
        value = value * base + d;
        if (value > 0xFFFFFFFFull)
            return false;
    }
    if (base == 16) {
        // Hexadecimal spells the 32-bit pattern, so 0xFFFFFFFF is -1.
        result = static_cast<int32_t>(static_cast<uint32_t>(value));
        return true;
    }
    if (negative) {
        if (value > 2147483648ull)
            return false;
        result = static_cast<int32_t>(-static_cast<int64_t>(value));
        return true;
    }
    if (value > 2147483647ull)
        return false;
    result = static_cast<int32_t>(value);
    return true;
}

int32_t ReadProfileInt(const std::string& path, const std::string& section, const std::string& key,
                       int32_t def) {
    int32_t v = 0;
    return ParseProfileInt(ReadProfileString(path, section, key, ""), v) ? v : def;
}

std::vector<std::string> ReadProfileKeys(const std::string& path, const std::string& section) {
    std::vector<std::string> keys;
    Profile p;
    if (!LoadProfile(path, p))
        return keys;
    bool inSection = false;
    for (const Line& l : p.lines) {
        ParsedLine pl = Classify(l.text);
        if (pl.kind == LineKind::Section)
            inSection = findaro::EqualsAsciiNoCase(pl.name, section);
        else if (inSection && pl.kind == LineKind::Key)
            keys.push_back(pl.name);
    }
    return keys;
}

bool WriteProfileString(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value) {
    if (path.empty() || section.empty() || Trim(key).empty() || HasLineBreak(section) ||
        section.find(']') != std::string::npos || HasLineBreak(key) ||
        key.find('=') != std::string::npos || HasLineBreak(value))
        return false;

    std::string content;
    if (findaro::ReadWholeFile(path, content) == findaro::FileRead::Failed)
        return false;

    Profile p = ParseProfile(content);
    const std::string eol = p.Eol();
    const std::string keyLine = key + "=" + value;

    if (std::optional<size_t> at = FindKey(p, section, key)) {
        Line& l = p.lines[*at];
        l.text = l.text.substr(0, Classify(l.text).valueStart) + value;
    } else {
        // After the last non-blank line of the first section of that name, so
        // that blank lines separating it from the next section stay after it.
        std::optional<size_t> insertAfter;
        bool inSection = false;
        for (size_t i = 0; i < p.lines.size(); ++i) {
            ParsedLine pl = Classify(p.lines[i].text);
            if (pl.kind == LineKind::Section) {
                if (insertAfter)
                    break;
                inSection = findaro::EqualsAsciiNoCase(pl.name, section);
                if (inSection)
                    insertAfter = i;
            } else if (inSection && !Trim(p.lines[i].text).empty()) {
                insertAfter = i;
            }
        }
        if (insertAfter) {
            Line& prev = p.lines[*insertAfter];
            if (prev.eol.empty())
                prev.eol = eol;
            p.lines.insert(p.lines.begin() + static_cast<std::ptrdiff_t>(*insertAfter) + 1,
                           Line{keyLine, eol});
        } else {
            if (!p.lines.empty() && p.lines.back().eol.empty())
                p.lines.back().eol = eol;
            p.lines.push_back(Line{"[" + section + "]", eol});
            p.lines.push_back(Line{keyLine, eol});
        }
    }

    return findaro::ReplaceFile(path, p.Text());
}
