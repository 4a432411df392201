#pragma once
#include <string>

// The LDAP filter for the typed text (UTF-8 bytes), from SearchType and the
// Search* flags of OptionsRec. The text enters the filter verbatim.
std::string BuildFilter(const std::string& searchText);
