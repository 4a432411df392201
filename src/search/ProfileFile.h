#pragma once
// Profile (INI) file access with the Windows rules: section and key names
// compared without regard to case, values trimmed and unquoted, single keys
// updated in place, every other line kept.

#include <cstdint>
#include <string>
#include <vector>

// Reads a value: blanks around it removed, one pair of surrounding quotes
// removed, at most 2047 characters. Missing key or file: `def`.
std::string ReadProfileString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& def);

// Decimal, or hexadecimal after "0x", "0X" or "$"; anything else, or a value
// outside 32 bits, gives `def`.
int32_t ReadProfileInt(const std::string& path, const std::string& section, const std::string& key,
                       int32_t def);

// The key names of a section, in file order (empty when it or the file is missing).
std::vector<std::string> ReadProfileKeys(const std::string& path, const std::string& section);

// Replaces the key's line, or appends it at the end of its section (the
// section is appended when missing). Returns false when the file cannot be
// written; the file is then unchanged. A value holding a line break cannot be
// stored in a line-based file and is refused the same way.
//
// The new text goes to a temporary file in the same folder that replaces the
// old one, so that a failure never leaves a half-written file; the file keeps
// its line endings (a new file gets CRLF) and its permissions. Only where the
// folder refuses the temporary file is the file rewritten in place.
bool WriteProfileString(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value);

// The integer rules of ReadProfileInt applied to a value already read.
bool ParseProfileInt(const std::string& text, int32_t& result);
