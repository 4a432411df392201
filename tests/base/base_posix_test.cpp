// File replacement where Linux file modes and mounts decide: the mode of a
// new file and a full file system.

#include "base/AtomicFile.h"

#include "search/test_files.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

TEST(ReplaceFile, NewFileTakesTheGivenModeLessTheUmask) {
    TempDir dir;
    const mode_t old = ::umask(022);
    const bool privateOk = findaro::ReplaceFile(dir.file("private"), "secret", 0600);
    const bool sharedOk = findaro::ReplaceFile(dir.file("shared"), "text");
    ::umask(old);
    ASSERT_TRUE(privateOk);
    ASSERT_TRUE(sharedOk);
    struct stat st {};
    ASSERT_EQ(::stat(dir.file("private").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    ASSERT_EQ(::stat(dir.file("shared").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
    EXPECT_EQ(ReadFile(dir.file("private")), "secret");
}

TEST(ReplaceFile, FullDiskFailsWithItsReasonAndChangesNothing) {
    REQUIRE_MOUNTS();
    TempDir dir;
    const std::string small = dir.file("small");
    MountSmallTmpfs(dir, small, 16384);
    WriteFile(small + "/a", "old");
    FillFileSystem(small + "/filler");
    errno = 0;
    EXPECT_FALSE(findaro::ReplaceFile(small + "/a", std::string(10000, 'n')));
    EXPECT_EQ(errno, ENOSPC);
    EXPECT_EQ(ReadFile(small + "/a"), "old");
    EXPECT_EQ(ListDir(small), (std::vector<std::string>{"a", "filler"}));

    std::string content;
    EXPECT_EQ(findaro::ReadWholeFile(small + "/a", content), findaro::FileRead::Ok);
    EXPECT_EQ(content, "old");
    EXPECT_EQ(findaro::ReadWholeFile(small + "/none", content), findaro::FileRead::Missing);
    EXPECT_EQ(findaro::ReadWholeFile(small, content), findaro::FileRead::Failed);
    EXPECT_EQ(errno, EISDIR);
}

} // namespace
