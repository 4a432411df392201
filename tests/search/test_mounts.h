#pragma once
// Linux only: mounts that make writes fail even for root, in a private mount
// namespace of the test process, and a file system run out of space.

#include "search/test_files.h"

#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

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
    dir.AddCleanup([where] { ::umount2(where.c_str(), MNT_DETACH); });
    ASSERT_EQ(::mount(nullptr, where.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr),
              0)
        << std::strerror(errno);
}

inline void BindWritable(TempDir& dir, const std::string& source, const std::string& where) {
    ASSERT_EQ(::mount(source.c_str(), where.c_str(), nullptr, MS_BIND, nullptr), 0)
        << std::strerror(errno);
    dir.AddCleanup([where] { ::umount2(where.c_str(), MNT_DETACH); });
}

// A tmpfs of `bytes` below `where`, to run a file system out of space.
inline void MountSmallTmpfs(TempDir& dir, const std::string& where, size_t bytes) {
    ::mkdir(where.c_str(), 0755);
    std::string opts = "size=" + std::to_string(bytes);
    ASSERT_EQ(::mount("tmpfs", where.c_str(), "tmpfs", 0, opts.c_str()), 0) << std::strerror(errno);
    dir.AddCleanup([where] { ::umount2(where.c_str(), MNT_DETACH); });
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
