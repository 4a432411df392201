#pragma once
#include "search/Settings.h"

#include <string>

// The LDAP filter for the typed text (UTF-8 bytes), from SearchType and the
// Search* flags of `options`. Parentheses, backslashes and NULs in the text
// are escaped; an asterisk stays a wildcard in every mode.
std::string BuildFilter(const TOptionsRec& options, const std::string& searchText);

// The text as an assertion value: "(", ")", "\\" and NUL as \28, \29, \5c, \00.
std::string EscapeFilterValue(const std::string& text);
