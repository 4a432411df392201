// The proxy store: the registry export file that stands for the per-user key.
#include "about/ProxySettings.h"
#include "about/posix/RegistryFile.h"

#include "search/test_files.h"

#include <gtest/gtest.h>

#include <random>

namespace {

const std::string KeyLine = "[HKEY_CURRENT_USER\\Software\\Quillmere\\ProxySettings]\r\n";
const std::string Header = "Windows Registry Editor Version 5.00\r\n\r\n";

class ProxyStore : public ::testing::Test {
  protected:
    void SetUp() override { SetProxySettingsLocation(path); }
    void TearDown() override { SetProxySettingsLocation({}); }

    // A record that shows which fields a load left alone.
    static TProxyRec Before() { return {7, "old-host", 7, "old-user", "old-pw"}; }
    TProxyRec Load() {
        TProxyRec rec = Before();
        LoadProxySettings(rec);
        return rec;
    }

    TempDir dir;
    std::string path = dir.file("Quillmere/ProxySettings.reg");
};

void ExpectRec(const TProxyRec& r, const TProxyRec& want) {
    EXPECT_EQ(r.ProxyEnabled, want.ProxyEnabled);
    EXPECT_EQ(r.ProxyServer, want.ProxyServer);
    EXPECT_EQ(r.ProxyPort, want.ProxyPort);
    EXPECT_EQ(r.ProxyUser, want.ProxyUser);
    EXPECT_EQ(r.ProxyPassword, want.ProxyPassword);
}

TEST_F(ProxyStore, DefaultFileIsBelowTheUsersConfigFolder) {
    SetProxySettingsLocation({});
    ::setenv("XDG_CONFIG_HOME", "/xdg/conf", 1);
    EXPECT_EQ(ProxySettingsLocation(), "/xdg/conf/Quillmere/ProxySettings.reg");
    ::setenv("XDG_CONFIG_HOME", "relative/is/ignored", 1);
    ::setenv("HOME", "/home/u", 1);
    EXPECT_EQ(ProxySettingsLocation(), "/home/u/.config/Quillmere/ProxySettings.reg");
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(ProxySettingsLocation(), "/home/u/.config/Quillmere/ProxySettings.reg");
}

TEST_F(ProxyStore, SaveCreatesAPrivateFileThatLoadsBack) {
    TProxyRec saved{1, "proxy.corp", 1080, "anna", "p\"w\\ ü"};
    SaveProxySettings(saved);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    ASSERT_EQ(::stat(dir.file("Quillmere").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    EXPECT_EQ(ReadFile(path), Header + KeyLine +
                                  "\"ProxyEnabled\"=dword:00000001\r\n"
                                  "\"ProxyServer\"=\"proxy.corp\"\r\n"
                                  "\"ProxyPort\"=dword:00000438\r\n"
                                  "\"ProxyUser\"=\"anna\"\r\n"
                                  "\"ProxyPassword\"=\"p\\\"w\\\\ ü\"\r\n");
    ExpectRec(Load(), saved);

    // A line break cannot stand in a quoted line; the hex form keeps it.
    saved.ProxyPassword = "two\nlines";
    SaveProxySettings(saved);
    ExpectRec(Load(), saved);
    // A rewrite of a file that holds a password stays private too.
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
}

TEST_F(ProxyStore, SaveKeepsForeignLinesAndValuesAndDropsStaleCopies) {
    ::mkdir(dir.file("Quillmere").c_str(), 0700);
    const std::string header = "Windows Registry Editor Version 5.00\n\n";
    WriteFile(path, header +
                        "[HKEY_CURRENT_USER\\Software\\Quillmere\\Other]\n"
                        "\"ProxyServer\"=\"not ours\"\n\n" +
                        "[hkey_current_user\\software\\quillmere\\proxysettings]\n"
                        "\"ProxyServer\"=\"stale\"\n"
                        "\"Colour\"=\"blue\"\n"
                        "\"ProxyServer\"=\"old\"\n"
                        "; a comment\n");
    SaveProxySettings({0, "new", 3128, "", ""});
    EXPECT_EQ(ReadFile(path), header + "[HKEY_CURRENT_USER\\Software\\Quillmere\\Other]\n"
                                       "\"ProxyServer\"=\"not ours\"\n\n"
                                       "[hkey_current_user\\software\\quillmere\\proxysettings]\n"
                                       "\"Colour\"=\"blue\"\n"
                                       "\"ProxyEnabled\"=dword:00000000\n"
                                       "\"ProxyServer\"=\"new\"\n"
                                       "\"ProxyPort\"=dword:00000c38\n"
                                       "\"ProxyUser\"=\"\"\n"
                                       "\"ProxyPassword\"=\"\"\n"
                                       "; a comment\n");
}

TEST_F(ProxyStore, SaveThatCannotWriteChangesNothing) {
    // A folder where the file should be: neither read nor replaced.
    ASSERT_EQ(::mkdir(dir.file("Quillmere").c_str(), 0700), 0);
    ASSERT_EQ(::mkdir(path.c_str(), 0700), 0);
    SaveProxySettings({1, "h", 1, "u", "p"});
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    ExpectRec(Load(), Before());
}

// Each file read over a record that shows which fields the load reached.
TEST_F(ProxyStore, LoadReadsInOrderAndStopsAtTheFirstFailure) {
    struct Case {
        const char* what;
        std::string values;
        TProxyRec want;
    };
    const std::string all = "\"ProxyEnabled\"=dword:00000001\n\"ProxyServer\"=\"h\"\n"
                            "\"ProxyPort\"=dword:00000050\n\"ProxyUser\"=\"u\"\n"
                            "\"ProxyPassword\"=\"p\"\n";
    const std::vector<Case> cases = {
        {"all five", all, {1, "h", 80, "u", "p"}},
        {"enabled 5 counts as is",
         "\"ProxyEnabled\"=dword:5\n\"ProxyPort\"=dword:0\n",
         {5, "", 0, "", ""}},
        {"ProxyEnabled missing: nothing read",
         "\"ProxyServer\"=\"h\"\n\"ProxyPort\"=dword:00000050\n\"ProxyUser\"=\"u\"\n", Before()},
        {"ProxyEnabled as a string: nothing read", "\"ProxyEnabled\"=\"1\"\n" + all.substr(30),
         Before()},
        {"ProxyServer missing reads empty and goes on",
         "\"ProxyEnabled\"=dword:1\n\"ProxyPort\"=dword:00000050\n\"ProxyUser\"=\"u\"\n"
         "\"ProxyPassword\"=\"p\"\n",
         {1, "", 80, "u", "p"}},
        {"ProxyPort missing ends after ProxyServer",
         "\"ProxyEnabled\"=dword:1\n\"ProxyServer\"=\"h\"\n\"ProxyUser\"=\"u\"\n",
         {1, "h", 7, "old-user", "old-pw"}},
        {"ProxyUser as a DWORD ends after ProxyPort",
         "\"ProxyEnabled\"=dword:1\n\"ProxyServer\"=\"h\"\n\"ProxyPort\"=dword:2\n"
         "\"ProxyUser\"=dword:3\n\"ProxyPassword\"=\"p\"\n",
         {1, "h", 2, "old-user", "old-pw"}},
        {"expandable string and DWORD in hex form",
         "\"ProxyEnabled\"=hex(4):01,00,00,00\n\"ProxyServer\"=hex(2):68,00,6f,00,\\\n"
         "  73,00,74,00,00,00\n\"ProxyPort\"=dword:00000050\n\"ProxyUser\"=\"u\"\n"
         "\"ProxyPassword\"=-\n",
         {1, "host", 80, "u", ""}},
        {"later lines win", all + "\"ProxyUser\"=\"second\"\n", {1, "h", 80, "second", "p"}},
        {"truncated text line",
         "\"ProxyEnabled\"=dword:1\n\"ProxyServer\"=\"h\n",
         {1, "old-host", 7, "old-user", "old-pw"}},
        {"value of an unknown type",
         "\"ProxyEnabled\"=dword:1\n\"ProxyServer\"=hex(7):41,00\n",
         {1, "old-host", 7, "old-user", "old-pw"}},
        {"DWORD with nine digits", "\"ProxyEnabled\"=dword:000000001\n", Before()},
        {"garbage", "\x01\xff garbage = \"\n\"ProxyEnabled\n", Before()},
    };
    ::mkdir(dir.file("Quillmere").c_str(), 0700);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFile(path, Header + KeyLine + c.values);
        ExpectRec(Load(), c.want);
    }

    SCOPED_TRACE("no key");
    WriteFile(path, Header + "[HKEY_CURRENT_USER\\Software\\Quillmere\\Other]\n" + all);
    ExpectRec(Load(), Before());
    ::unlink(path.c_str());
    ExpectRec(Load(), Before());
}

TEST_F(ProxyStore, ReadsAnExportSavedAsUtf16) {
    std::string text = Header + KeyLine + "\"ProxyEnabled\"=dword:1\r\n\"ProxyServer\"=\"wü\"\r\n";
    // ASCII bytes and ü (U+00FC, UTF-8 C3 BC) as UTF-16LE after its mark.
    std::string utf16 = "\xFF\xFE";
    for (size_t i = 0; i < text.size(); ++i) {
        if (static_cast<unsigned char>(text[i]) == 0xC3) {
            utf16 += std::string("\xFC\x00", 2);
            ++i;
        } else {
            utf16 += std::string{text[i], '\0'};
        }
    }
    ::mkdir(dir.file("Quillmere").c_str(), 0700);
    WriteFile(path, utf16);
    TProxyRec r = Load();
    EXPECT_EQ(r.ProxyEnabled, 1);
    EXPECT_EQ(r.ProxyServer, "wü");
}

TEST_F(ProxyStore, RandomDamageNeverCrashes) {
    std::string good = Header + KeyLine +
                       "\"ProxyEnabled\"=dword:00000001\r\n\"ProxyServer\"=hex(2):68,00,\\\r\n"
                       "  00,00\r\n\"ProxyPort\"=dword:00000050\r\n\"ProxyUser\"=\"u\"\r\n";
    ::mkdir(dir.file("Quillmere").c_str(), 0700);
    std::mt19937 rng(11);
    for (int round = 0; round < 300; ++round) {
        std::string damaged = good.substr(0, rng() % (good.size() + 1));
        for (int k = rng() % 4; k > 0 && !damaged.empty(); --k)
            damaged[rng() % damaged.size()] = static_cast<char>(rng());
        WriteFile(path, damaged);
        Load();
        SaveProxySettings({1, "h", 2, "u", "p"});
        SCOPED_TRACE("damaged: " + damaged + "\nsaved: " + ReadFile(path));
        ExpectRec(Load(), {1, "h", 2, "u", "p"});
        if (HasFailure())
            break;
    }
}

TEST(ProxyPort, ConvertsLikeTheDialog) {
    const std::vector<std::pair<std::string, int32_t>> cases = {
        {"8080", 8080}, {" 8080", 8080}, {"\t1080", 1080},
        {"80a", 80},    {"a80", 0},      {"", 0},
        {"-5", -5},     {"+7", 7},       {"99999999999", 2147483647},
    };
    for (const auto& [text, want] : cases)
        EXPECT_EQ(ProxyPortFromText(text), want) << '"' << text << '"';
}

} // namespace
