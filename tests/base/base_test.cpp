#include "base/AsciiCase.h"
#include "base/AtomicFile.h"
#include "base/PathParts.h"

#include "search/test_files.h"

#include <gtest/gtest.h>

namespace {

TEST(AsciiCase, FoldsOnlyAsciiLetters) {
    struct Case {
        std::string a, b;
        bool equal;
    } cases[] = {
        {"SearchDN", "searchdn", true},
        {"[Settings]", "[SETTINGS]", true},
        {"a", "b", false},
        {"ab", "a", false},
        // Bytes above 127 are compared as they are, whatever the locale.
        {"\xC4", "\xE4", false},
        {"Zo\xC3\xAB", "ZO\xC3\xAB", true},
        {"@", "`", false}, // neighbours of the letters are not letters
        {"[", "{", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(findaro::EqualsAsciiNoCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
    EXPECT_TRUE(findaro::StartsWithAsciiNoCase("SEARCHDN12", "SearchDN"));
    EXPECT_FALSE(findaro::StartsWithAsciiNoCase("Search", "SearchDN"));
}

TEST(PathParts, SplitsFolderAndName) {
    struct Case {
        const char *path, *folder, *name;
    } cases[] = {
        {"/opt/findaro/findaro.INI", "/opt/findaro", "findaro.INI"},
        {"/findaro.INI", "/", "findaro.INI"},
        {"findaro.INI", ".", "findaro.INI"},
        {"", ".", ""},
    };
    for (const Case& c : cases) {
        const findaro::PathParts parts = findaro::SplitPath(c.path);
        EXPECT_EQ(parts.Folder, c.folder) << c.path;
        EXPECT_EQ(parts.Name, c.name) << c.path;
    }
}

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
