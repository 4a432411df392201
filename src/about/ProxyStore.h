#pragma once
// Where the proxy values live for the current user: the registry key itself
// on Windows, the file that stands for it elsewhere. CMake picks the backend.

#include "about/RegValue.h"

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// Looks one value up: no value when it does not exist (or cannot be read as
// a value at all, which the caller treats alike).
using RegLookup = std::function<std::optional<RegValue>(const char* name)>;

// Opens the key for reading without creating it and lets `read` look values
// up while it is open. False, without calling `read`, when it cannot be opened.
bool ReadProxyStore(const std::function<void(const RegLookup&)>& read);

// Opens or creates the key for writing and sets the values in order. False
// at the first failure; values not yet written keep what they held.
bool WriteProxyStore(const std::vector<std::pair<std::string, RegValue>>& values);
