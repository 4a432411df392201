#pragma once
// Profile (INI) file access with the Windows rules: section and key names
// compared without regard to case, values trimmed and unquoted, single keys
// updated in place, every other line kept.

#include <cstdint>
#include <string>

// Reads a value: blanks around it removed, one pair of surrounding quotes
// removed, at most 2047 characters. Missing key or file: `def`.
std::string ReadProfileString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& def);

// Decimal, or hexadecimal after "0x", "0X" or "$"; anything else, or a value
// outside 32 bits, gives `def`.
int32_t ReadProfileInt(const std::string& path, const std::string& section,
                       const std::string& key, int32_t def);

// Replaces the key's line, or appends it at the end of its section (the
// section is appended when missing). Returns false when the file cannot be
// written; the file is then unchanged.
bool WriteProfileString(const std::string& path, const std::string& section,
                        const std::string& key, const std::string& value);
