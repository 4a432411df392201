#pragma once
// Profile (INI) file access with the Windows rules: section and key names
// compared without regard to case, values trimmed and unquoted, single keys
// updated in place, every other line kept byte for byte.

#include <cstdint>
#include <list>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

// A profile file's text, parsed once: any number of reads and writes of
// keys, then the whole new text at once. Keeps every line it does not write
// as it was, line endings included; a run of carriage returns before a line
// feed, or at the end of the text, belongs to the line end.
class TProfile {
  public:
    TProfile() = default;
    explicit TProfile(const std::string& content);
    // Moving keeps the list's nodes, so the indexes stay valid; a copy would not.
    TProfile(TProfile&&) = default;
    TProfile& operator=(TProfile&&) = default;
    TProfile(const TProfile&) = delete;
    TProfile& operator=(const TProfile&) = delete;

    // The value of the first line holding `key` in a section named `section`:
    // blanks around it removed, one pair of surrounding quotes removed, at
    // most 2047 characters.
    std::optional<std::string> Value(const std::string& section, const std::string& key) const;
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& def) const;
    int32_t ReadInt(const std::string& section, const std::string& key, int32_t def) const;
    // The key names of every section of that name, in file order.
    std::vector<std::string> Keys(const std::string& section) const;

    // Replaces the key's value on its line, or adds the key after the last
    // non-blank line of the first section of that name (the section is
    // appended when missing). A new line gets the file's line ending (CRLF in
    // a new file). Returns false, changing nothing, for what a line-based
    // file cannot hold: a line feed in any part, a carriage return in a name,
    // "=" in the key, "]" in the section, an empty key or section. A carriage
    // return inside a value is text, as it is when read.
    bool Write(const std::string& section, const std::string& key, const std::string& value);

    std::string Text() const;

  private:
    struct Line {
        std::string text; // without its line ending
        std::string eol;  // the bytes that ended it, "" for a last line without one
        enum class Kind { Other, Section, Key } kind = Kind::Other;
        std::string name;      // section or key name as written, trimmed
        size_t valueStart = 0; // for a key line: just after its "="
    };
    using LineIt = std::list<Line>::iterator;

    static Line MakeLine(std::string text, std::string eol);

    std::string bom_; // kept as it was, but not part of the first line's text
    std::string newEol_ = "\r\n";
    std::list<Line> lines_; // stable positions, so the indexes below survive inserts
    // First line of each key, by lower-cased section and key name.
    std::unordered_map<std::string, LineIt> keys_;
    // Where a new key of a section goes: after this line of its first section.
    std::unordered_map<std::string, LineIt> sectionEnds_;
};

// One-off access to a file through TProfile. A file that is missing or
// cannot be read reads as empty.
std::string ReadProfileString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& def);
// Decimal, or hexadecimal after "0x", "0X" or "$"; anything else, or a value
// outside 32 bits, gives `def`.
int32_t ReadProfileInt(const std::string& path, const std::string& section, const std::string& key,
                       int32_t def);
std::vector<std::string> ReadProfileKeys(const std::string& path, const std::string& section);

// Reads the file, writes the key as TProfile::Write does and replaces the
// file as a whole (see ReplaceFile). Returns false when the key is refused or
// the file cannot be read or written; the file is then unchanged.
bool WriteProfileString(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value);

// The integer rules of ReadProfileInt applied to a value already read.
bool ParseProfileInt(const std::string& text, int32_t& result);
