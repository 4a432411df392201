#include "base/AsciiCase.h"
#include "base/AtomicFile.h"
#include "base/PathParts.h"

#include "search/test_files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

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

TEST(ReplaceFile, ReplacesWholeAndLeavesNothingElseBehind) {
    TempDir dir;
    const std::string file = dir.file("a.INI");
    ASSERT_TRUE(findaro::ReplaceFile(file, "first\r\n"));
    EXPECT_EQ(ReadFile(file), "first\r\n");
    // Shorter and longer texts over an existing file, and an empty one.
    for (const std::string& text : {std::string("x"), std::string(100000, 'l'), std::string()}) {
        ASSERT_TRUE(findaro::ReplaceFile(file, text)) << std::strerror(errno);
        EXPECT_EQ(ReadFile(file), text);
    }
    EXPECT_EQ(ListDir(dir.path()), std::vector<std::string>{"a.INI"}) << "no temporary file";

    std::string content = "stale";
    EXPECT_EQ(findaro::ReadWholeFile(file, content), findaro::FileRead::Ok);
    EXPECT_EQ(content, "");
}

TEST(ReplaceFile, RefusesAFolderOrAMissingFolderAndReadsReportWhy) {
    TempDir dir;
    ASSERT_TRUE(std::filesystem::create_directory(dir.file("b.INI")));
    errno = 0;
    EXPECT_FALSE(findaro::ReplaceFile(dir.file("b.INI"), "text"));
    EXPECT_NE(errno, 0);
    EXPECT_FALSE(findaro::ReplaceFile(dir.file("missing/c.INI"), "text"));
    EXPECT_FALSE(findaro::ReplaceFile("", "text"));
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(ListDir(dir.path()), std::vector<std::string>{"b.INI"});
    EXPECT_TRUE(ListDir(dir.file("b.INI")).empty());

    std::string content = "stale";
    EXPECT_EQ(findaro::ReadWholeFile(dir.file("none"), content), findaro::FileRead::Missing);
    EXPECT_EQ(content, "");
    EXPECT_EQ(findaro::ReadWholeFile(dir.file("b.INI"), content), findaro::FileRead::Failed);
    EXPECT_EQ(errno, EISDIR);
}

} // namespace
