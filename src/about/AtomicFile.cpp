#include "about/AtomicFile.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool MakeFolders(const std::string& folder, mode_t mode) {
    struct stat st {};
    if (folder.empty() || ::stat(folder.c_str(), &st) == 0)
        return folder.empty() || S_ISDIR(st.st_mode);
    size_t slash = folder.rfind('/');
    if (slash != std::string::npos && slash > 0 && !MakeFolders(folder.substr(0, slash), mode))
        return false;
    return ::mkdir(folder.c_str(), mode) == 0 || errno == EEXIST;
}

bool WriteAll(int fd, const std::string& content) {
    size_t done = 0;
    while (done < content.size()) {
        ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

} // namespace

bool ReplaceFileContents(const std::string& path, const std::string& content, mode_t fileMode,
                         mode_t folderMode) {
    std::string target = path;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char* real = ::realpath(path.c_str(), nullptr);
        if (!real)
            return false;
        target = real;
        std::free(real);
    }
    size_t slash = target.rfind('/');
    std::string folder = slash == std::string::npos ? "." : target.substr(0, slash);
    if (folder.empty())
        folder = "/";
    if (!MakeFolders(folder, folderMode))
        return false;

    std::string tmp = target + ".XXXXXX";
    int fd = ::mkostemp(tmp.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = ::fchmod(fd, fileMode) == 0 && WriteAll(fd, content) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok || ::rename(tmp.c_str(), target.c_str()) != 0) {
        ::unlink(tmp.c_str());
        return false;
    }
    int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir); // best effort: the rename has happened
        ::close(dir);
    }
    return true;
}
