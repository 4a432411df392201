#include "search/Settings.h"

#include "search/ProfileFile.h"

#include "SettingsTestFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

namespace {

using namespace settingstest;

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

} // namespace
