#include "search/Settings.h"

#include "search/ProfileFile.h"

#include "search/test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

namespace {

// A first save of the defaults with two containers, in the order of a save.
const std::string FirstSave = "[Settings]\r\n"
                              "SearchType=1\r\n"
                              "SearchName=1\r\n"
                              "SearchDisplayName=1\r\n"
                              "SearchSurname=1\r\n"
                              "SearchFirstName=1\r\n"
                              "SearchTelephoneNumber=0\r\n"
                              "SearchSAMAccountName=0\r\n"
                              "SearchUPN=0\r\n"
                              "DisplayName=1\r\n"
                              "DisplayDisplayName=0\r\n"
                              "DisplayGivenName=0\r\n"
                              "DisplaySurname=0\r\n"
                              "DisplaySamAccountName=0\r\n"
                              "DisplayTelephoneNumber=1\r\n"
                              "DisplayMobilePhone=0\r\n"
                              "DisplayFax=0\r\n"
                              "DisplayIPPhone=0\r\n"
                              "DisplayHomePhone=0\r\n"
                              "DisplayPager=0\r\n"
                              "DisplayDescription=0\r\n"
                              "DisplayOffice=0\r\n"
                              "DisplayDepartment=1\r\n"
                              "DisplayCompany=0\r\n"
                              "FormWidth=500\r\n"
                              "FormHeight=400\r\n"
                              "MaxResults=100\r\n"
                              "DNCount=2\r\n"
                              "CurrentDomain=1\r\n"
                              "SearchReferrals=0\r\n"
                              "SearchChildren=1\r\n"
                              "DomainName=\r\n"
                              "HookHotkey=1\r\n"
                              "HideConfig=0\r\n"
                              "SearchTimeout=10\r\n"
                              "SearchDN0=OU=Staff,DC=example,DC=com\r\n"
                              "SearchDN1=CN=Users,DC=example,DC=com\r\n";

// The key lines of FirstSave, one string each, without line endings.
std::vector<std::string> FirstSaveKeyLines() {
    std::vector<std::string> lines;
    size_t pos = FirstSave.find("\r\n") + 2;
    while (pos < FirstSave.size()) {
        size_t end = FirstSave.find("\r\n", pos);
        lines.push_back(FirstSave.substr(pos, end - pos));
        pos = end + 2;
    }
    return lines;
}

std::string Join(const std::vector<std::string>& lines, size_t count, const std::string& eol) {
    std::string out;
    for (size_t i = 0; i < count; ++i)
        out += lines[i] + eol;
    return out;
}

class SettingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        OptionsRec = TOptionsRec{};
        ini = dir.file("findaro.INI");
        SetSettingsFilePath(ini);
    }
    void TearDown() override {
        SetSettingsFilePath("");
        OptionsRec = TOptionsRec{};
    }

    TempDir dir;
    std::string ini;
};

TEST_F(SettingsTest, FirstSaveOfTheDefaultsWritesEveryKeyInOrder) {
    LoadSettings();
    EXPECT_FALSE(Exists(ini)) << "loading must not create the file";
    EXPECT_TRUE(OptionsRec.SearchDN.empty());
    EXPECT_EQ(OptionsRec.SearchType, 1);
    EXPECT_EQ(OptionsRec.SearchTimeout, 10);

    OptionsRec.SearchDN = {"OU=Staff,DC=example,DC=com", "CN=Users,DC=example,DC=com"};
    SaveSettings();
    EXPECT_EQ(ReadFile(ini), FirstSave);
    EXPECT_EQ(ListDir(dir.path()), std::vector<std::string>{"findaro.INI"});

    // Saving the same record again changes nothing.
    SaveSettings();
    EXPECT_EQ(ReadFile(ini), FirstSave);
}

TEST_F(SettingsTest, ContainerGapsCloseOnReadingAndStaleKeysStayOnSaving) {
    WriteFile(ini, "[Settings]\r\nDNCount=3\r\nSearchDN0=OU=A\r\nSearchDN2=OU=C\r\n");
    OptionsRec.SearchDN = {"OU=Earlier"}; // a load fills the record from scratch
    OptionsRec.MaxResults = 7;
    LoadSettings();
    EXPECT_EQ(OptionsRec.SearchDN, (std::vector<std::string>{"OU=A", "OU=C"}));
    EXPECT_EQ(OptionsRec.MaxResults, 100);

    OptionsRec.SearchDN = {"OU=A", "OU=C"};
    SaveSettings();
    const std::string text = ReadFile(ini);
    EXPECT_NE(text.find("DNCount=2\r\n"), std::string::npos);
    EXPECT_NE(text.find("SearchDN0=OU=A\r\n"), std::string::npos);
    EXPECT_NE(text.find("SearchDN1=OU=C\r\n"), std::string::npos);
    EXPECT_NE(text.find("SearchDN2=OU=C\r\n"), std::string::npos) << "stale key stays";

    OptionsRec = TOptionsRec{};
    LoadSettings();
    EXPECT_EQ(OptionsRec.SearchDN, (std::vector<std::string>{"OU=A", "OU=C"}));
}

TEST_F(SettingsTest, ContainerCountBoundsTheKeysRead) {
    struct Case {
        const char* count;
        std::vector<std::string> expected;
    } cases[] = {
        {"0", {}},
        {"-1", {}},
        {"abc", {}},
        {"1", {"OU=Zero"}},
        {"2", {"OU=Zero"}}, // SearchDN1 is empty: skipped
        // A huge hand-edited count reads only the keys that exist.
        {"2147483647", {"OU=Zero", "OU=Seven"}},
    };
    for (const Case& c : cases) {
        WriteFile(ini, std::string("[Settings]\nDNCount=") + c.count +
                           "\nSearchDN0=OU=Zero\nSearchDN1=\nSearchDN07=OU=Padded\n"
                           "SearchDN7=OU=Seven\n");
        OptionsRec = TOptionsRec{};
        LoadSettings();
        EXPECT_EQ(OptionsRec.SearchDN, c.expected) << "DNCount=" << c.count;
    }
}

TEST_F(SettingsTest, ReadsValuesByTheProfileRules) {
    struct Case {
        const char* line;
        int32_t TOptionsRec::*field; // null: SearchType
        int32_t expected;
    } cases[] = {
        {"SearchType=2", nullptr, 2},
        {"SearchType=0x1", nullptr, 1},
        {"SearchType=abc", nullptr, 1},
        {"SearchType=256", nullptr, 0},
        {"SearchType=257", nullptr, 1},
        {"SearchType=$2", nullptr, 2},
        {"SearchType=255", nullptr, -1},
        {"SearchType=", nullptr, 1},
        {"HideConfig=5", &TOptionsRec::HideConfig, 5},
        {"maxresults = $1F4 ", &TOptionsRec::MaxResults, 500},
        {"FormWidth='-20'", &TOptionsRec::FormWidth, -20},
        {"FormHeight=4294967296", &TOptionsRec::FormHeight, 400},
        {"HookHotkey=0", &TOptionsRec::HookHotkey, 0},
        {"SEARCHTIMEOUT=0X1e", &TOptionsRec::SearchTimeout, 30},
    };
    for (const Case& c : cases) {
        WriteFile(ini, std::string("[settings]\r\n") + c.line + "\r\n");
        OptionsRec = TOptionsRec{};
        LoadSettings();
        int32_t got = c.field ? OptionsRec.*(c.field) : OptionsRec.SearchType;
        EXPECT_EQ(got, c.expected) << c.line;
    }

    WriteFile(ini, "[Settings]\r\nDomainName=  'CORP'  \r\nDNCount=1\r\n"
                   "SearchDN0= \"OU=Staff, DC=x\" \r\n");
    OptionsRec = TOptionsRec{};
    LoadSettings();
    EXPECT_EQ(OptionsRec.DomainName, "CORP");
    EXPECT_EQ(OptionsRec.SearchDN, std::vector<std::string>{"OU=Staff, DC=x"});
}

TEST_F(SettingsTest, HandWrittenTimeoutIsReadAndReplacedOnItsLine) {
    WriteFile(ini, "[Settings]\r\nsearchtimeout=30\r\nMaxResults=50\r\n");
    LoadSettings();
    EXPECT_EQ(OptionsRec.SearchTimeout, 30);
    EXPECT_EQ(OptionsRec.MaxResults, 50);

    OptionsRec.SearchTimeout = 45;
    SaveSettings();
    const std::string text = ReadFile(ini);
    EXPECT_EQ(text.rfind("[Settings]\r\nsearchtimeout=45\r\nMaxResults=50\r\n", 0), 0u) << text;
    EXPECT_EQ(text.find("SearchTimeout="), std::string::npos) << "no second line";
}

TEST_F(SettingsTest, SaveKeepsForeignLinesSectionsAndLineEndings) {
    const std::string before = "; prepared by IT\n[Before]\nA = 1\n\n";
    const std::string after = "\n[After]\nSearchType=9\nB=\"two\"\n";
    WriteFile(ini, before + "[SETTINGS]\nUnknownKey=keep me\n;SearchName=0\n" + after);
    LoadSettings();
    OptionsRec.SearchDN = {"OU=Staff,DC=example,DC=com", "CN=Users,DC=example,DC=com"};
    SaveSettings();

    auto keys = FirstSaveKeyLines();
    EXPECT_EQ(ReadFile(ini), before + "[SETTINGS]\nUnknownKey=keep me\n;SearchName=0\n" +
                                 Join(keys, keys.size(), "\n") + after);
}

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

TEST_F(SettingsTest, CarriageReturnsBeforeTheLineFeedEndTheLine) {
    // As left by some editors' round trips, and a lone one at the very end.
    // A lone one inside a line is text, and a save keeps it.
    WriteFile(ini, "[Settings]\r\r\nDomainName=CO\rRP\r\r\nDNCount=1\r\r\nMaxResults=250\r\r\n"
                   "SearchDN0=OU=A\r");
    LoadSettings();
    EXPECT_EQ(OptionsRec.DomainName, "CO\rRP");
    EXPECT_EQ(OptionsRec.MaxResults, 250);
    EXPECT_EQ(OptionsRec.SearchDN, std::vector<std::string>{"OU=A"});

    SaveSettings();
    const std::string text = ReadFile(ini);
    EXPECT_EQ(text.rfind("[Settings]\r\r\nDomainName=CO\rRP\r\r\nDNCount=1\r\r\nMaxResults=250\r\r\n"
                         "SearchDN0=OU=A\r\nSearchType=1\r\n",
                         0),
              0u)
        << text;
    OptionsRec = TOptionsRec{};
    LoadSettings();
    EXPECT_EQ(OptionsRec.SearchDN, std::vector<std::string>{"OU=A"});
}

TEST_F(SettingsTest, ManyContainersLoadInOrder) {
    // Every key is looked up once in one parse of the file.
    std::string text = "[Settings]\nDNCount=20000\n";
    std::vector<std::string> expected;
    for (int i = 0; i < 20000; ++i) {
        expected.push_back("OU=Team " + std::to_string(i) + ",DC=example,DC=com");
        text += "SearchDN" + std::to_string(i) + "=" + expected.back() + "\n";
    }
    WriteFile(ini, text);
    LoadSettings();
    EXPECT_EQ(OptionsRec.SearchDN, expected);
    SaveSettings();
    EXPECT_EQ(ReadFile(ini).rfind("[Settings]\nDNCount=20000\nSearchDN0=OU=Team 0,", 0), 0u);
}

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

TEST(SettingsPath, ReplacesTheExtensionOfTheFileName) {
    struct Case {
        const char* exe;
        const char* ini;
    } cases[] = {
        {"/opt/findaro/Findaro.exe", "/opt/findaro/Findaro.INI"},
        {"/work/build/bin/findaro", "/work/build/bin/findaro.INI"},
        {"/srv/v1.2/findaro", "/srv/v1.2/findaro.INI"}, // the folder's dot is not an extension
        {"/x/findaro.tar.gz", "/x/findaro.tar.INI"},
        {"findaro.exe", "findaro.INI"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SettingsPathForExecutable(c.exe), c.ini) << c.exe;
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

} // namespace
