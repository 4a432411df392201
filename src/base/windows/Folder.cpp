#include "base/Folder.h"

#include "base/windows/WideText.h"
#include "base/windows/WindowsHeader.h"

namespace findaro {

bool PathExists(const std::string& path) {
    return !path.empty() && GetFileAttributesW(WideFromUtf8(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> FolderNames(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found{};
    const HANDLE find = FindFirstFileW(WideFromUtf8(folder + "/*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::string name = Utf8FromWide(found.cFileName);
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return names;
}

} // namespace findaro
