#include "base/ExecutablePath.h"

#include "base/PathParts.h"
#include "base/windows/WideText.h"
#include "base/windows/WindowsHeader.h"

#include <algorithm>

namespace findaro {

std::string ExecutablePath() {
    // The call cuts a longer path to the buffer and says so only by filling it.
    for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
        std::wstring buf(size, L'\0');
        const DWORD n = GetModuleFileNameW(nullptr, buf.data(), size);
        if (n == 0)
            return {};
        if (n < size) {
            buf.resize(n);
            // The core splits paths at '/', which every Windows call accepts too.
            std::string path = Utf8FromWide(buf);
            std::replace(path.begin(), path.end(), '\\', '/');
            return path;
        }
    }
    return {};
}

std::string ExecutableFolder() {
    return SplitPath(ExecutablePath()).Folder;
}

} // namespace findaro
