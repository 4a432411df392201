#pragma once
// Case-insensitive comparison of names that the protocols and file formats
// define in ASCII (LDAP attribute names, profile keys, domain names). Bytes
// above 127 compare as they are, whatever the locale says.

#include <string_view>

namespace findaro {

constexpr char ToLowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr bool EqualsAsciiNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (ToLowerAscii(a[i]) != ToLowerAscii(b[i]))
            return false;
    return true;
}

constexpr bool StartsWithAsciiNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsAsciiNoCase(text.substr(0, prefix.size()), prefix);
}

} // namespace findaro
