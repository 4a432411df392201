// Whole-file reading and all-or-nothing replacement with the Windows file
// calls: a temporary file in the same folder, flushed, then put in the old
// file's place in one step.

#include "base/AtomicFile.h"

#include "base/PathParts.h"
#include "base/windows/WideText.h"
#include "base/windows/WindowsHeader.h"
// windows.h names its own function ReplaceFile.
#undef ReplaceFile

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <string>

namespace findaro {

namespace {

// errno for the last Windows error, so callers report failures one way.
int ErrnoFromLastError(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
        return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    default:
        return EIO;
    }
}

bool Fail() {
    errno = ErrnoFromLastError(GetLastError());
    return false;
}

class Handle {
  public:
    explicit Handle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { reset(); }
    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != INVALID_HANDLE_VALUE; }
    void reset(HANDLE h = INVALID_HANDLE_VALUE) {
        if (h_ != INVALID_HANDLE_VALUE)
            CloseHandle(h_);
        h_ = h;
    }
    // Closes now and reports what a delayed write may only show here.
    bool close() {
        const HANDLE h = h_;
        h_ = INVALID_HANDLE_VALUE;
        return h == INVALID_HANDLE_VALUE || CloseHandle(h) != 0;
    }

  private:
    HANDLE h_;
};

// Removes the temporary file on every way out unless it took the old one's place.
class TempFileGuard {
  public:
    explicit TempFileGuard(std::wstring path) : path_(std::move(path)) {}
    TempFileGuard(const TempFileGuard&) = delete;
    TempFileGuard& operator=(const TempFileGuard&) = delete;
    ~TempFileGuard() {
        if (!path_.empty()) {
            const int saved = errno;
            DeleteFileW(path_.c_str());
            errno = saved;
        }
    }
    void release() { path_.clear(); }

  private:
    std::wstring path_;
};

bool WriteAll(HANDLE h, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(data.size() - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(h, data.data() + done, chunk, &written, nullptr) || written == 0)
            return Fail();
        done += written;
    }
    return true;
}

bool SetSize(HANDLE h, uint64_t size) {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(size);
    return (SetFilePointerEx(h, at, nullptr, FILE_BEGIN) && SetEndOfFile(h)) || Fail();
}

bool RewriteInPlace(HANDLE h, const std::string& content) {
    // Growing the file first means a full disk fails here, before any byte
    // changes; a shorter text is cut to size only after it is written.
    LARGE_INTEGER oldSize{};
    if (!GetFileSizeEx(h, &oldSize))
        return Fail();
    if (content.size() > static_cast<uint64_t>(oldSize.QuadPart) && !SetSize(h, content.size()))
        return false;
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(h, start, nullptr, FILE_BEGIN))
        return Fail();
    if (!WriteAll(h, content) || !SetSize(h, content.size()))
        return false;
    return FlushFileBuffers(h) || Fail();
}

std::wstring TempName(const std::string& folder, const std::string& name, unsigned attempt) {
    return WideFromUtf8(folder + "/." + name + "." + std::to_string(GetCurrentProcessId()) + "." +
                        std::to_string(GetTickCount64()) + "." + std::to_string(attempt) + ".tmp");
}

} // namespace

FileRead ReadWholeFile(const std::string& path, std::string& content) {
    content.clear();
    const std::wstring wide = WideFromUtf8(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        errno = ErrnoFromLastError(error);
        return errno == ENOENT ? FileRead::Missing : FileRead::Failed;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        errno = EISDIR;
        return FileRead::Failed;
    }
    Handle h(CreateFileW(wide.c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) {
        errno = ErrnoFromLastError(GetLastError());
        return errno == ENOENT ? FileRead::Missing : FileRead::Failed;
    }
    if (GetFileType(h.get()) != FILE_TYPE_DISK) {
        errno = EINVAL;
        return FileRead::Failed;
    }
    LARGE_INTEGER size{};
    if (GetFileSizeEx(h.get(), &size) && size.QuadPart > 0)
        content.reserve(static_cast<size_t>(size.QuadPart));
    char buf[65536];
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(h.get(), buf, sizeof buf, &n, nullptr)) {
            Fail();
            content.clear();
            return FileRead::Failed;
        }
        if (n == 0)
            break;
        content.append(buf, n);
    }
    return FileRead::Ok;
}

bool ReplaceFile(const std::string& path, const std::string& content, mode_t /*newFileMode*/) {
    if (path.empty()) {
        errno = ENOENT;
        return false;
    }
    const std::wstring target = WideFromUtf8(path);

    // A file we could not write in place must not be replaced either (a
    // read-only file, or one another program holds without sharing).
    Handle writable(CreateFileW(target.c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    bool exists = static_cast<bool>(writable);
    if (!exists) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) {
            // A folder in the file's place is refused as the other platform does.
            const DWORD attributes = GetFileAttributesW(target.c_str());
            errno = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)
                        ? EINVAL
                        : ErrnoFromLastError(error);
            return false;
        }
    } else if (GetFileType(writable.get()) != FILE_TYPE_DISK) {
        errno = EINVAL;
        return false;
    }

    const auto [folder, name] = SplitPath(path);
    std::wstring tmp;
    Handle fd;
    for (unsigned attempt = 0; attempt < 100 && !fd; ++attempt) {
        tmp = TempName(folder, name, attempt);
        fd.reset(CreateFileW(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_HIDDEN, nullptr));
        if (!fd && GetLastError() != ERROR_FILE_EXISTS)
            break;
    }
    if (!fd) {
        const DWORD error = GetLastError();
        // A folder that allows no new entry may still hold a writable file.
        if (exists && (error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT))
            return RewriteInPlace(writable.get(), content);
        errno = ErrnoFromLastError(error);
        return false;
    }
    TempFileGuard guard(tmp);
    if (!WriteAll(fd.get(), content) || !FlushFileBuffers(fd.get()) || !fd.close())
        return Fail();
    writable.reset(); // the replacement needs the old file closed

    // ReplaceFileW keeps the old file's security and attributes; a new file
    // is moved into place. Either step is all or nothing.
    const BOOL replaced =
        exists ? ReplaceFileW(target.c_str(), tmp.c_str(), nullptr,
                              REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
               : MoveFileExW(tmp.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);
    if (!replaced)
        return Fail();
    guard.release();
    // The temporary file was hidden while it was one; the old file's own
    // attributes came over with ReplaceFileW.
    if (!exists)
        SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    return true;
}

} // namespace findaro
