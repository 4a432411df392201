#include "search/ProfileFile.h"

#include "base/AsciiCase.h"
#include "base/AtomicFile.h"

#include <algorithm>

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

std::string Lower(std::string s) {
    for (char& c : s)
        c = findaro::ToLowerAscii(c);
    return s;
}

// Section and key names are single lines, so a line feed cannot occur in either.
std::string KeyIndex(const std::string& lowerSection, const std::string& key) {
    return lowerSection + '\n' + Lower(key);
}

std::string UnquotedValue(const std::string& raw) {
    std::string v = Trim(raw);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    if (v.size() > MaxValueLength)
        v.resize(MaxValueLength);
    return v;
}

bool HasLineBreak(const std::string& s) {
    return s.find_first_of("\r\n") != std::string::npos;
}

std::string ReadOrEmpty(const std::string& path) {
    std::string content;
    if (findaro::ReadWholeFile(path, content) != findaro::FileRead::Ok)
        content.clear();
    return content;
}

} // namespace

TProfile::Line TProfile::MakeLine(std::string lineText, std::string eol) {
    Line line;
    line.text = std::move(lineText);
    line.eol = std::move(eol);
    const std::string& text = line.text;
    size_t b = 0;
    while (b < text.size() && IsBlank(text[b]))
        ++b;
    if (b < text.size() && text[b] == '[') {
        const size_t close = text.find(']', b + 1);
        line.kind = Line::Kind::Section;
        line.name = Trim(
            text.substr(b + 1, close == std::string::npos ? std::string::npos : close - b - 1));
        return line;
    }
    const size_t eq = text.find('=');
    if (eq != std::string::npos) {
        line.kind = Line::Kind::Key;
        line.name = Trim(text.substr(0, eq));
        line.valueStart = eq + 1;
    }
    return line;
}

TProfile::TProfile(const std::string& content) {
    size_t pos = 0;
    if (content.compare(0, Utf8Bom.size(), Utf8Bom) == 0) {
        bom_ = Utf8Bom;
        pos = Utf8Bom.size();
    }
    // One index entry per line at most: no rehashing on the way.
    keys_.reserve(static_cast<size_t>(std::count(content.begin(), content.end(), '\n')) + 1);
    bool eolSeen = false;
    std::string section;         // lower-cased name of the section being read
    bool firstOfName = false;    // and whether it is the first section of that name
    while (pos < content.size()) {
        const size_t nl = content.find('\n', pos);
        const size_t next = nl == std::string::npos ? content.size() : nl + 1;
        size_t textEnd = nl == std::string::npos ? content.size() : nl;
        // Carriage returns before the line feed, or at the very end, end the line too.
        while (textEnd > pos && content[textEnd - 1] == '\r')
            --textEnd;
        const LineIt it = lines_.insert(lines_.end(),
                                        MakeLine(content.substr(pos, textEnd - pos),
                                                 content.substr(textEnd, next - textEnd)));
        pos = next;

        if (!eolSeen && !it->eol.empty()) {
            eolSeen = true;
            newEol_ = it->eol == "\n" ? "\n" : "\r\n";
        }
        if (it->kind == Line::Kind::Section) {
            section = Lower(it->name);
            firstOfName = sectionEnds_.emplace(section, it).second;
            continue;
        }
        if (it->kind == Line::Kind::Key && sectionEnds_.count(section) != 0)
            keys_.emplace(KeyIndex(section, it->name), it); // the first line of a key counts
        // New keys go after the last non-blank line, before blank lines that
        // part the section from the next.
        if (firstOfName && !Trim(it->text).empty())
            sectionEnds_[section] = it;
    }
}

std::optional<std::string> TProfile::Value(const std::string& section,
                                           const std::string& key) const {
    const auto found = keys_.find(KeyIndex(Lower(Trim(section)), Trim(key)));
    if (found == keys_.end())
        return std::nullopt;
    const Line& line = *found->second;
    return UnquotedValue(line.text.substr(line.valueStart));
}

std::string TProfile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& def) const {
    return Value(section, key).value_or(def);
}

int32_t TProfile::ReadInt(const std::string& section, const std::string& key, int32_t def) const {
    int32_t v = 0;
    const std::optional<std::string> text = Value(section, key);
    return text && ParseProfileInt(*text, v) ? v : def;
}

std::vector<std::string> TProfile::Keys(const std::string& section) const {
    std::vector<std::string> keys;
    bool inSection = false;
    const std::string wanted = Trim(section);
    for (const Line& l : lines_) {
        if (l.kind == Line::Kind::Section)
            inSection = findaro::EqualsAsciiNoCase(l.name, wanted);
        else if (inSection && l.kind == Line::Kind::Key)
            keys.push_back(l.name);
    }
    return keys;
}

bool TProfile::Write(const std::string& section, const std::string& key,
                     const std::string& value) {
    const std::string sectionName = Trim(section);
    const std::string keyName = Trim(key);
    if (sectionName.empty() || keyName.empty() || HasLineBreak(section) ||
        section.find(']') != std::string::npos || HasLineBreak(key) ||
        key.find('=') != std::string::npos || keyName.front() == '[' ||
        value.find('\n') != std::string::npos)
        return false;

    const std::string lowerSection = Lower(sectionName);
    const std::string index = KeyIndex(lowerSection, keyName);
    if (const auto found = keys_.find(index); found != keys_.end()) {
        Line& l = *found->second;
        l.text.replace(l.valueStart, std::string::npos, value);
        return true;
    }

    LineIt after;
    if (const auto end = sectionEnds_.find(lowerSection); end != sectionEnds_.end()) {
        after = end->second;
    } else {
        if (!lines_.empty() && (lines_.back().eol.empty() || lines_.back().eol.back() != '\n'))
            lines_.back().eol += lines_.back().eol.empty() ? newEol_ : "\n";
        after = lines_.insert(lines_.end(), MakeLine("[" + section + "]", newEol_));
    }
    // Only the file's last line can lack a line feed; one is added (after
    // any carriage return already there) so that the new line is a line.
    if (after->eol.empty())
        after->eol = newEol_;
    else if (after->eol.back() != '\n')
        after->eol += '\n';
    const LineIt it = lines_.insert(std::next(after), MakeLine(key + "=" + value, newEol_));
    sectionEnds_[lowerSection] = it;
    keys_.emplace(index, it);
    return true;
}

std::string TProfile::Text() const {
    size_t size = bom_.size();
    for (const Line& l : lines_)
        size += l.text.size() + l.eol.size();
    std::string out;
    out.reserve(size);
    out += bom_;
    for (const Line& l : lines_) {
        out += l.text;
        out += l.eol;
    }
    return out;
}

std::string ReadProfileString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& def) {
    return TProfile(ReadOrEmpty(path)).ReadString(section, key, def);
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
    return TProfile(ReadOrEmpty(path)).ReadInt(section, key, def);
}

std::vector<std::string> ReadProfileKeys(const std::string& path, const std::string& section) {
    return TProfile(ReadOrEmpty(path)).Keys(section);
}

bool WriteProfileString(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value) {
    std::string content;
    if (findaro::ReadWholeFile(path, content) == findaro::FileRead::Failed)
        return false;
    TProfile profile(content);
    return profile.Write(section, key, value) && findaro::ReplaceFile(path, profile.Text());
}
