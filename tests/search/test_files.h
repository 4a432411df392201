#pragma once
// Small file-system helpers for the settings tests: a scratch folder, whole
// file reads and writes, and mounts that make writes fail even for root
// (which ignores permission bits).

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <sched.h>
#include <sstream>
#include <stdexcept>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

class TempDir {
  public:
    TempDir() {
        std::string tmpl = "/tmp/findaro-test-XXXXXX";
        if (!::mkdtemp(tmpl.data()))
            throw std::runtime_error("mkdtemp failed");
        path_ = tmpl;
    }
    ~TempDir() {
        // Mounts made below it go first, or the removal fails with EBUSY.
        for (auto it = mounts_.rbegin(); it != mounts_.rend(); ++it)
            ::umount2(it->c_str(), MNT_DETACH);
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    void AddMount(const std::string& where) { mounts_.push_back(where); }

  private:
    std::string path_;
    std::vector<std::string> mounts_;
};

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

inline bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// Every entry of a folder but "." and "..", sorted.
inline std::vector<std::string> ListDir(const std::string& path) {
    std::vector<std::string> names;
    if (DIR* d = ::opendir(path.c_str())) {
        while (dirent* e = ::readdir(d)) {
            std::string n = e->d_name;
            if (n != "." && n != "..")
                names.push_back(n);
        }
        ::closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Mounts made by a test stay inside the test process: a private mount
// namespace, so a crash cannot leave them behind on the machine.
inline bool EnterPrivateMountNamespace() {
    static bool entered = false;
    if (entered)
        return true;
    if (::unshare(CLONE_NEWNS) != 0)
        return false;
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return false;
    entered = true;
    return true;
}

#define REQUIRE_MOUNTS()                                                                           \
    do {                                                                                           \
        if (!EnterPrivateMountNamespace())                                                         \
            GTEST_SKIP() << "needs CAP_SYS_ADMIN for a private mount namespace: "                  \
                         << std::strerror(errno);                                                  \
    } while (0)

// Binds `source` onto `where` and makes that view read-only: writes through
// it fail with EROFS for every user, root included.
inline void BindReadOnly(TempDir& dir, const std::string& source, const std::string& where) {
    ASSERT_EQ(::mount(source.c_str(), where.c_str(), nullptr, MS_BIND, nullptr), 0)
        << std::strerror(errno);
    dir.AddMount(where);
    ASSERT_EQ(::mount(nullptr, where.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr),
              0)
        << std::strerror(errno);
}

inline void BindWritable(TempDir& dir, const std::string& source, const std::string& where) {
    ASSERT_EQ(::mount(source.c_str(), where.c_str(), nullptr, MS_BIND, nullptr), 0)
        << std::strerror(errno);
    dir.AddMount(where);
}

// A tmpfs of `bytes` below `where`, to run a file system out of space.
inline void MountSmallTmpfs(TempDir& dir, const std::string& where, size_t bytes) {
    ::mkdir(where.c_str(), 0755);
    std::string opts = "size=" + std::to_string(bytes);
    ASSERT_EQ(::mount("tmpfs", where.c_str(), "tmpfs", 0, opts.c_str()), 0) << std::strerror(errno);
    dir.AddMount(where);
}

// Takes every free block of the file system holding `path`, for a disk that
// is full before a write starts.
inline void FillFileSystem(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << std::strerror(errno);
    static const std::string block(4096, 'f');
    while (std::fwrite(block.data(), 1, block.size(), f) == block.size())
        ;
    std::fclose(f);
    // What is left is smaller than a block; take it byte by byte.
    f = std::fopen(path.c_str(), "ab");
    ASSERT_NE(f, nullptr);
    std::setvbuf(f, nullptr, _IONBF, 0);
    while (std::fputc('f', f) != EOF)
        ;
    std::fclose(f);
}
