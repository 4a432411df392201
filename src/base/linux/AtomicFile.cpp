#include "base/AtomicFile.h"

#include "base/PathParts.h"
#include "base/UniqueFd.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace findaro {

namespace {

// Removes the temporary file on every way out unless it was renamed into place.
class TempFileGuard {
  public:
    explicit TempFileGuard(std::string path) : path_(std::move(path)) {}
    TempFileGuard(const TempFileGuard&) = delete;
    TempFileGuard& operator=(const TempFileGuard&) = delete;
    ~TempFileGuard() {
        if (!path_.empty()) {
            const int saved = errno;
            ::unlink(path_.c_str());
            errno = saved;
        }
    }
    void release() { path_.clear(); }

  private:
    std::string path_;
};

bool WriteAll(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

mode_t CurrentUmask() {
    // Read rather than set-and-restore: other threads may be creating files.
    if (std::FILE* f = std::fopen("/proc/self/status", "re")) {
        char line[256];
        unsigned mask = 0;
        bool found = false;
        while (!found && std::fgets(line, sizeof line, f))
            found = std::sscanf(line, "Umask: %o", &mask) == 1;
        std::fclose(f);
        if (found)
            return static_cast<mode_t>(mask);
    }
    return 022;
}

// A symbolic link keeps pointing at the file: the file it names is replaced.
std::string ResolveTarget(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            std::string r = real;
            std::free(real);
            return r;
        }
    }
    return path;
}

bool RewriteInPlace(int fd, const std::string& content) {
    // Reserving first means a full disk fails here, before any byte changes.
    if (!content.empty()) {
        const int err = ::posix_fallocate(fd, 0, static_cast<off_t>(content.size()));
        if (err != 0) {
            errno = err;
            return false;
        }
    }
    if (::lseek(fd, 0, SEEK_SET) != 0 || !WriteAll(fd, content))
        return false;
    if (::ftruncate(fd, static_cast<off_t>(content.size())) != 0)
        return false;
    return ::fsync(fd) == 0;
}

void SyncFolder(const std::string& folder) {
    UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir)
        ::fsync(dir.get()); // best effort: the rename itself has succeeded
}

} // namespace

FileRead ReadWholeFile(const std::string& path, std::string& content) {
    content.clear();
    // Non-blocking, so that a FIFO in the file's place cannot stall the caller.
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd)
        return errno == ENOENT ? FileRead::Missing : FileRead::Failed;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        return FileRead::Failed;
    if (!S_ISREG(st.st_mode)) {
        errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        return FileRead::Failed;
    }
    if (st.st_size > 0)
        content.reserve(static_cast<size_t>(st.st_size));
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            content.clear();
            return FileRead::Failed;
        }
        if (n == 0)
            break;
        content.append(buf, static_cast<size_t>(n));
    }
    return FileRead::Ok;
}

bool ReplaceFile(const std::string& path, const std::string& content, mode_t newFileMode) {
    if (path.empty()) {
        errno = ENOENT;
        return false;
    }
    const std::string target = ResolveTarget(path);

    // A file we could not write in place must not be replaced either.
    UniqueFd writable(::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat old {};
    const bool exists = static_cast<bool>(writable);
    if (!exists && errno != ENOENT)
        return false;
    if (exists) {
        if (::fstat(writable.get(), &old) != 0)
            return false;
        if (!S_ISREG(old.st_mode)) {
            errno = EINVAL;
            return false;
        }
    }

    const auto [folder, name] = SplitPath(target);
    std::string tmpl = folder + "/." + name + ".XXXXXX";
    UniqueFd fd(::mkostemp(tmpl.data(), O_CLOEXEC));
    if (!fd) {
        // A folder that allows no new entry may still hold a writable file.
        if (exists && (errno == EACCES || errno == EPERM || errno == EROFS))
            return RewriteInPlace(writable.get(), content);
        return false;
    }
    TempFileGuard guard(tmpl);

    if (exists && (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) &&
        ::fchown(fd.get(), old.st_uid, old.st_gid) != 0) {
        // Replacing would hand the file to us; keep its owner by writing in place.
        fd.reset();
        ::unlink(tmpl.c_str());
        guard.release();
        return RewriteInPlace(writable.get(), content);
    }
    const mode_t mode = exists ? (old.st_mode & 07777) : (newFileMode & ~CurrentUmask() & 07777);
    if (::fchmod(fd.get(), mode) != 0 || !WriteAll(fd.get(), content) || ::fsync(fd.get()) != 0 ||
        !fd.close())
        return false;
    if (::rename(tmpl.c_str(), target.c_str()) != 0)
        return false;
    guard.release();
    SyncFolder(folder);
    return true;
}

} // namespace findaro
