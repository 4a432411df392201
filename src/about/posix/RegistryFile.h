#pragma once
// A per-user registry key kept as a file in the registry editor's export
// format ("Windows Registry Editor Version 5.00", [key] sections, typed
// "name"=data lines), so that the values can be moved to and from a Windows
// registry as they are.

#include "about/RegValue.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

// The values of one key as the file holds them. Later lines win over earlier
// ones, as an import of the file would have it.
class TRegistryKeyFile {
  public:
    // False when the file cannot be read or holds no section for `key`
    // (compared without regard to case, like registry key names).
    bool Open(const std::string& path, const std::string& key);
    // No value: the value does not exist in the key.
    std::optional<RegValue> Value(const std::string& name) const;

  private:
    std::vector<std::pair<std::string, RegValue>> values_;
};

// Sets `values` in `key`, creating the file and the key as needed and keeping
// every other line of the file. The file is replaced in one step; a new one
// gets mode 0600 and missing folders mode 0700. False when nothing could be
// written; the file is then unchanged.
bool WriteRegistryValues(const std::string& path, const std::string& key,
                         const std::vector<std::pair<std::string, RegValue>>& values);
