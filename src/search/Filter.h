#pragma once
#include <string>

// The LDAP filter for the typed text (UTF-8 bytes), from SearchType and the
// Search* flags of OptionsRec. Parentheses, backslashes and NULs in the text
// are escaped; an asterisk stays a wildcard in every mode.
std::string BuildFilter(const std::string& searchText);

// The text as an assertion value: "(", ")", "\\" and NUL as \28, \29, \5c, \00.
std::string EscapeFilterValue(const std::string& text);
