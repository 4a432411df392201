// Profile writes where the platform's file modes, symbolic links and
// mounts decide: permissions kept, the umask, links, read-only views and a
// full file system.

#include "search/ProfileFile.h"

#include "search/test_files.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

TEST(ProfileFile, ReplacesTheFileAndKeepsItsPermissions) {
    TempDir dir;
    const std::string ini = dir.file("a.INI");
    WriteFile(ini, "[Settings]\nA=0\n");
    ASSERT_EQ(::chmod(ini.c_str(), 0640), 0);
    ASSERT_EQ(::chown(ini.c_str(), 12345, 23456), 0) << std::strerror(errno);

    ASSERT_TRUE(WriteProfileString(ini, "Settings", "A", "1"));
    struct stat st {};
    ASSERT_EQ(::stat(ini.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(st.st_uid, 12345u);
    EXPECT_EQ(st.st_gid, 23456u);
    EXPECT_EQ(ReadFile(ini), "[Settings]\nA=1\n");
    EXPECT_EQ(ListDir(dir.path()), std::vector<std::string>{"a.INI"});
}

TEST(ProfileFile, NewFileFollowsTheUmask) {
    TempDir dir;
    const std::string ini = dir.file("a.INI");
    mode_t old = ::umask(027);
    bool ok = WriteProfileString(ini, "Settings", "A", "1");
    ::umask(old);
    ASSERT_TRUE(ok);
    struct stat st {};
    ASSERT_EQ(::stat(ini.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST(ProfileFile, WritesThroughASymbolicLink) {
    TempDir dir;
    ::mkdir(dir.file("real").c_str(), 0755);
    const std::string target = dir.file("real/shared.INI");
    WriteFile(target, "[Settings]\nA=0\n");
    const std::string link = dir.file("a.INI");
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);

    ASSERT_TRUE(WriteProfileString(link, "Settings", "A", "1"));
    struct stat st {};
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(ReadFile(target), "[Settings]\nA=1\n");
    EXPECT_EQ(ListDir(dir.file("real")), std::vector<std::string>{"shared.INI"});
}

TEST(ProfileFile, ReadOnlyFileIsNotReplaced) {
    REQUIRE_MOUNTS();
    TempDir dir;
    const std::string ini = dir.file("a.INI");
    WriteFile(ini, "[Settings]\nA=0\n");
    // The folder stays writable, so a rename over the file would succeed;
    // the file itself is read-only for root too.
    BindReadOnly(dir, ini, ini);

    EXPECT_FALSE(WriteProfileString(ini, "Settings", "A", "1"));
    EXPECT_EQ(ReadFile(ini), "[Settings]\nA=0\n");
    EXPECT_EQ(ListDir(dir.path()), std::vector<std::string>{"a.INI"});
}

TEST(ProfileFile, WritableFileInAReadOnlyFolderIsRewrittenInPlace) {
    REQUIRE_MOUNTS();
    TempDir dir;
    const std::string real = dir.file("real");
    const std::string view = dir.file("view");
    ASSERT_EQ(::mkdir(real.c_str(), 0755), 0);
    ASSERT_EQ(::mkdir(view.c_str(), 0755), 0);
    WriteFile(real + "/a.INI", "[Settings]\r\nA=0\r\n");
    // "view" shows the folder read-only, with the file itself bound writable.
    BindReadOnly(dir, real, view);
    BindWritable(dir, real + "/a.INI", view + "/a.INI");
    const std::string ini = view + "/a.INI";

    struct stat before {
    }, after{};
    ASSERT_EQ(::stat(ini.c_str(), &before), 0);
    ASSERT_TRUE(WriteProfileString(ini, "Settings", "A", "1"));
    ASSERT_TRUE(WriteProfileString(ini, "Settings", "B", "2"));
    ASSERT_EQ(::stat(ini.c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino);
    EXPECT_EQ(ReadFile(ini), "[Settings]\r\nA=1\r\nB=2\r\n");

    // Shrinking in place leaves no stale tail behind.
    ASSERT_TRUE(WriteProfileString(ini, "Settings", "A", ""));
    EXPECT_EQ(ReadFile(ini), "[Settings]\r\nA=\r\nB=2\r\n");
    EXPECT_EQ(ListDir(real), std::vector<std::string>{"a.INI"});

    // A new file cannot be created there at all.
    EXPECT_FALSE(WriteProfileString(view + "/new.INI", "Settings", "A", "1"));
}

TEST(ProfileFile, FullFileSystemLeavesTheOldFileWhole) {
    REQUIRE_MOUNTS();
    TempDir dir;
    const std::string small = dir.file("small");
    MountSmallTmpfs(dir, small, 8192);
    const std::string ini = small + "/a.INI";
    // One page in use; the next version needs two more while the old one stays.
    const std::string original = "[Settings]\r\nPad=" + std::string(4000, 'p') + "\r\n";
    WriteFile(ini, original);

    EXPECT_FALSE(WriteProfileString(ini, "Settings", "More", std::string(200, 'm')));
    EXPECT_EQ(ReadFile(ini), original);
    EXPECT_EQ(ListDir(small), std::vector<std::string>{"a.INI"});
}

} // namespace
