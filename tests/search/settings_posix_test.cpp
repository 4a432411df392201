// Settings files that cannot be written or read, made so with mounts,
// permissions and a second user; several spellings of the file's name side
// by side, which only a case-sensitive file system holds; and the settings
// path of a program found through /proc.

#include "search/ProfileFile.h"

#include "SettingsTestFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

using namespace settingstest;

TEST_F(SettingsTest, ReadOnlyFileFailsWithItsPathAndKeepsTheRecord) {
    REQUIRE_MOUNTS();
    const std::string original = "[Settings]\r\nSearchType=0\r\n";
    WriteFile(ini, original);
    // Read-only for root as well: the file is bound read-only onto itself.
    BindReadOnly(dir, ini, ini);
    LoadSettings();
    OptionsRec.SearchType = 2;
    OptionsRec.SearchDN = {"OU=New"};

    try {
        SaveSettings();
        FAIL() << "SaveSettings succeeded on a read-only file";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), ("Unable to write to " + ini).c_str());
    }
    EXPECT_EQ(ReadFile(ini), original);
    EXPECT_EQ(OptionsRec.SearchType, 2);
    EXPECT_EQ(OptionsRec.SearchDN, std::vector<std::string>{"OU=New"});
    EXPECT_EQ(ListDir(dir.path()), std::vector<std::string>{"findaro.INI"});
}

TEST_F(SettingsTest, FailedSaveLeavesTheFileExactlyAsItWas) {
    REQUIRE_MOUNTS();
    // Three containers saved earlier; the new list of two needs more room than
    // the full file system has left, so the save must change nothing at all.
    const std::string original = "[Settings]\r\nDNCount=3\r\nSearchDN0=OU=A\r\nSearchDN1=OU=B\r\n"
                                 "SearchDN2=OU=C\r\nPad=" +
                                 std::string(3000, 'p') + "\r\n";
    for (bool inPlace : {false, true}) {
        SCOPED_TRACE(inPlace ? "folder refuses new files: rewritten in place" : "replaced");
        TempDir scratch;
        const std::string small = scratch.file("small");
        MountSmallTmpfs(scratch, small, 16384);
        WriteFile(small + "/findaro.INI", original);
        FillFileSystem(small + "/filler");
        std::string folder = small;
        if (inPlace) {
            folder = scratch.file("view");
            ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
            BindReadOnly(scratch, small, folder);
            BindWritable(scratch, small + "/findaro.INI", folder + "/findaro.INI");
        }
        ini = folder + "/findaro.INI";
        SetSettingsFilePath(ini);
        LoadSettings();
        ASSERT_EQ(OptionsRec.SearchDN, (std::vector<std::string>{"OU=A", "OU=B", "OU=C"}));
        OptionsRec.SearchDN = {std::string(3000, 'x'), std::string(3000, 'y')};

        try {
            SaveSettings();
            ADD_FAILURE() << "SaveSettings succeeded on a full file system";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), ("Unable to write to " + ini).c_str());
        }
        EXPECT_TRUE(ReadFile(ini) == original) << "the file changed";
        EXPECT_EQ(ListDir(small), (std::vector<std::string>{"filler", "findaro.INI"}));
    }
}

TEST_F(SettingsTest, UnreadableFileGivesTheDefaultsAndIsNotOverwritten) {
    const std::string original = "[Settings]\r\nMaxResults=300\r\nDNCount=1\r\nSearchDN0=OU=A\r\n";
    struct Case {
        const char* name;
        const char* reason;
    } cases[] = {
        {"folder in the file's place", "Is a directory"},
        {"mode 0200 for an ordinary user", "Permission denied"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir scratch;
        ini = scratch.file("findaro.INI");
        SetSettingsFilePath(ini);
        const bool asUser = std::string(c.reason) == "Permission denied";
        if (asUser) {
            WriteFile(ini, original);
            ASSERT_EQ(::chmod(ini.c_str(), 0200), 0);
            ASSERT_EQ(::chmod(scratch.path().c_str(), 0755), 0);
            ASSERT_EQ(::seteuid(65534), 0) << std::strerror(errno); // nobody
        } else {
            ASSERT_EQ(::mkdir(ini.c_str(), 0755), 0);
        }
        OptionsRec.MaxResults = 7;
        LoadSettings();
        if (asUser) {
            ASSERT_EQ(::seteuid(0), 0);
        }

        EXPECT_EQ(SettingsReadError(), "Cannot read " + ini + ": " + c.reason);
        EXPECT_EQ(OptionsRec.MaxResults, 100);
        EXPECT_TRUE(OptionsRec.SearchDN.empty());
        // Root could read it now, but what was loaded is the defaults.
        EXPECT_THROW(SaveSettings(), std::runtime_error);
        if (asUser) {
            EXPECT_EQ(ReadFile(ini), original);
        }
        EXPECT_EQ(ListDir(scratch.path()), std::vector<std::string>{"findaro.INI"});
    }

    // A readable file clears the error.
    SetSettingsFilePath(dir.file("findaro.INI"));
    LoadSettings();
    EXPECT_EQ(SettingsReadError(), "");
}

TEST(SettingsPath, DefaultsToTheRunningExecutable) {
    std::string exe(4096, '\0');
    ssize_t n = ::readlink("/proc/self/exe", exe.data(), exe.size());
    ASSERT_GT(n, 0);
    exe.resize(static_cast<size_t>(n));
    EXPECT_EQ(SettingsFilePath(), exe + ".INI"); // the test binary has no extension

    SetSettingsFilePath("/tmp/elsewhere.INI");
    EXPECT_EQ(SettingsFilePath(), "/tmp/elsewhere.INI");
    SetSettingsFilePath("");
    EXPECT_EQ(SettingsFilePath(), exe + ".INI");
}

// Several spellings of the name side by side, as only a case-sensitive file
// system holds them.
TEST(SettingsLookup, FindsTheFileWhateverTheCaseOfItsName) {
    // Each file holds its own MaxResults, so the one read shows.
    struct Case {
        std::vector<std::string> present;
        const char* read; // nullptr: none, the defaults
        const char* saved;
    } cases[] = {
        {{}, nullptr, "findaro.INI"},
        {{"Findaro.ini"}, "Findaro.ini", "Findaro.ini"}, // as the welcome notice says
        {{"FINDARO.INI"}, "FINDARO.INI", "FINDARO.INI"},
        {{"Findaro.ini", "findaro.INI"}, "findaro.INI", "findaro.INI"}, // the exact name first
        {{"findaro.ini", "Findaro.INI", "FINDARO.ini"}, "FINDARO.ini", "FINDARO.ini"}, // byte order
        {{"findaro.INI.bak", "xfindaro.ini", "findaro.IN"}, nullptr, "findaro.INI"},
    };
    for (const Case& c : cases) {
        std::string names;
        for (const std::string& n : c.present)
            names += n + " ";
        SCOPED_TRACE(names);
        TempDir dir;
        for (size_t i = 0; i < c.present.size(); ++i)
            WriteFile(dir.file(c.present[i]),
                      "[Settings]\r\nMaxResults=" + std::to_string(200 + i) + "\r\n");
        SetSettingsFilePath(dir.file("findaro.INI"));

        LoadSettings();
        int expected = 100;
        for (size_t i = 0; i < c.present.size(); ++i)
            if (c.read && c.present[i] == c.read)
                expected = static_cast<int>(200 + i);
        EXPECT_EQ(OptionsRec.MaxResults, expected);

        OptionsRec.MaxResults = 42;
        SaveSettings();
        EXPECT_EQ(ReadProfileInt(dir.file(c.saved), "Settings", "MaxResults", 0), 42);
        std::vector<std::string> after = c.present;
        if (!c.read)
            after.push_back(c.saved);
        std::sort(after.begin(), after.end());
        EXPECT_EQ(ListDir(dir.path()), after) << "no second file";
    }
    SetSettingsFilePath("");
    OptionsRec = TOptionsRec{};
}

TEST(SettingsLookup, SavesToTheFileThatWasRead) {
    TempDir dir;
    WriteFile(dir.file("Findaro.ini"), "[Settings]\r\nMaxResults=200\r\n");
    SetSettingsFilePath(dir.file("findaro.INI"));
    LoadSettings();
    // A spelling that would win a new lookup appears after the load.
    WriteFile(dir.file("FINDARO.INI"), "[Settings]\r\nMaxResults=300\r\n");
    OptionsRec.MaxResults = 42;
    SaveSettings();
    EXPECT_EQ(ReadProfileInt(dir.file("Findaro.ini"), "Settings", "MaxResults", 0), 42);
    EXPECT_EQ(ReadProfileInt(dir.file("FINDARO.INI"), "Settings", "MaxResults", 0), 300);
    SetSettingsFilePath("");
    OptionsRec = TOptionsRec{};
}

} // namespace
