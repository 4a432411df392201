#pragma once
#include "search/Settings.h"

#include <string>

// The LDAP filter for the typed text (UTF-8 bytes), from SearchType and the
// Search* flags of `options`. The text enters the filter verbatim.
std::string BuildFilter(const TOptionsRec& options, const std::string& searchText);
