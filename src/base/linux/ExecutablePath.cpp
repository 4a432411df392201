#include "base/ExecutablePath.h"

#include "base/PathParts.h"

#include <sys/stat.h>
#include <unistd.h>

namespace findaro {

std::string ExecutablePath() {
    std::string buf(4096, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
    if (n <= 0 || static_cast<size_t>(n) >= buf.size())
        return {};
    buf.resize(static_cast<size_t>(n));
    // A program replaced on disk while running still keeps its files beside it.
    const std::string deleted = " (deleted)";
    struct stat st {};
    if (buf.size() > deleted.size() &&
        buf.compare(buf.size() - deleted.size(), deleted.size(), deleted) == 0 &&
        ::stat(buf.c_str(), &st) != 0)
        buf.resize(buf.size() - deleted.size());
    return buf;
}

std::string ExecutableFolder() {
    return SplitPath(ExecutablePath()).Folder;
}

} // namespace findaro
