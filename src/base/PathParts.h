#pragma once
// A file path's folder and name, as the file helpers need them.

#include <string>

namespace findaro {

struct PathParts {
    std::string Folder; // "." for a bare name, "/" for a file in the root
    std::string Name;
};

inline PathParts SplitPath(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {".", path};
    return {slash == 0 ? std::string("/") : path.substr(0, slash), path.substr(slash + 1)};
}

} // namespace findaro
