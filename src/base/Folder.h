#pragma once
// What a folder holds, as the settings lookup needs it.

#include <string>
#include <vector>

namespace findaro {

// Whether anything has this name, a symbolic link included (even one that
// points nowhere).
bool PathExists(const std::string& path);

// The names in `folder` ("." and ".." left out); empty when it cannot be read.
std::vector<std::string> FolderNames(const std::string& folder);

} // namespace findaro
