// The proxy store in the registry of the current user (Windows; under Wine the
// prefix's own registry), in a scratch key beside the real one.
#include "about/ProxySettings.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// One raw value as another program may have stored it.
struct Raw {
    std::wstring name;
    DWORD type;
    std::string bytes;
};

Raw Dword(const wchar_t* name, DWORD v) {
    return {name, REG_DWORD, std::string(reinterpret_cast<const char*>(&v), sizeof v)};
}
Raw Text(const wchar_t* name, const std::wstring& text, DWORD type = REG_SZ) {
    return {name, type,
            std::string(reinterpret_cast<const char*>(text.c_str()),
                        (text.size() + 1) * sizeof(wchar_t))};
}

class ProxyRegistry : public ::testing::Test {
  protected:
    void SetUp() override {
        subkey = "Software\\Quillmere\\FindaroTest-" + std::to_string(GetCurrentProcessId());
        RegDeleteTreeA(HKEY_CURRENT_USER, subkey.c_str());
        SetProxySettingsLocation(subkey);
    }
    void TearDown() override {
        SetProxySettingsLocation({});
        RegDeleteTreeA(HKEY_CURRENT_USER, subkey.c_str());
    }

    void Store(const std::vector<Raw>& values) {
        RegDeleteTreeA(HKEY_CURRENT_USER, subkey.c_str());
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, subkey.c_str(), 0, nullptr, 0, KEY_WRITE,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        for (const Raw& v : values)
            ASSERT_EQ(RegSetValueExW(key, v.name.c_str(), 0, v.type,
                                     reinterpret_cast<const BYTE*>(v.bytes.data()),
                                     DWORD(v.bytes.size())),
                      ERROR_SUCCESS);
        RegCloseKey(key);
    }

    // The type and bytes of one stored value; type REG_NONE when it is missing.
    Raw Fetch(const wchar_t* name) {
        HKEY key = nullptr;
        Raw raw{name, REG_NONE, {}};
        if (RegOpenKeyExA(HKEY_CURRENT_USER, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return raw;
        DWORD size = 0;
        if (RegQueryValueExW(key, name, nullptr, &raw.type, nullptr, &size) == ERROR_SUCCESS) {
            raw.bytes.resize(size);
            RegQueryValueExW(key, name, nullptr, &raw.type,
                             reinterpret_cast<BYTE*>(raw.bytes.data()), &size);
        } else {
            raw.type = REG_NONE;
        }
        RegCloseKey(key);
        return raw;
    }

    // A record that shows which fields a load left alone.
    static TProxyRec Before() { return {7, "old-host", 7, "old-user", "old-pw"}; }
    static TProxyRec Load() {
        TProxyRec rec = Before();
        LoadProxySettings(rec);
        return rec;
    }

    std::string subkey;
};

void ExpectRec(const TProxyRec& r, const TProxyRec& want) {
    EXPECT_EQ(r.ProxyEnabled, want.ProxyEnabled);
    EXPECT_EQ(r.ProxyServer, want.ProxyServer);
    EXPECT_EQ(r.ProxyPort, want.ProxyPort);
    EXPECT_EQ(r.ProxyUser, want.ProxyUser);
    EXPECT_EQ(r.ProxyPassword, want.ProxyPassword);
}

TEST_F(ProxyRegistry, SaveWritesTheTypedValuesThatLoadBack) {
    const TProxyRec saved{1, "proxy.corp", 1080, "anna", "p\"w\\ \xc3\xbc"}; // ü in UTF-8
    SaveProxySettings(saved);
    EXPECT_EQ(Fetch(L"ProxyEnabled").type, DWORD(REG_DWORD));
    EXPECT_EQ(Fetch(L"ProxyEnabled").bytes, Dword(L"", 1).bytes);
    EXPECT_EQ(Fetch(L"ProxyPort").bytes, Dword(L"", 1080).bytes);
    // Strings with their terminating zero.
    EXPECT_EQ(Fetch(L"ProxyServer").type, DWORD(REG_SZ));
    EXPECT_EQ(Fetch(L"ProxyServer").bytes, Text(L"", L"proxy.corp").bytes);
    EXPECT_EQ(Fetch(L"ProxyUser").bytes, Text(L"", L"anna").bytes);
    EXPECT_EQ(Fetch(L"ProxyPassword").bytes, Text(L"", L"p\"w\\ \u00fc").bytes);
    ExpectRec(Load(), saved);

    const TProxyRec emptied{0, "", 0, "", ""};
    SaveProxySettings(emptied);
    EXPECT_EQ(Fetch(L"ProxyServer").bytes, Text(L"", L"").bytes);
    ExpectRec(Load(), emptied);
}

TEST_F(ProxyRegistry, LoadReadsInOrderAndStopsAtTheFirstFailure) {
    struct Case {
        const char* what;
        std::vector<Raw> values;
        TProxyRec want;
    };
    const std::vector<Raw> all = {Dword(L"ProxyEnabled", 1), Text(L"ProxyServer", L"h"),
                                  Dword(L"ProxyPort", 80), Text(L"ProxyUser", L"u"),
                                  Text(L"ProxyPassword", L"p")};
    const std::vector<Case> cases = {
        {"all five", all, {1, "h", 80, "u", "p"}},
        {"enabled 5 counts as is",
         {Dword(L"ProxyEnabled", 5), Dword(L"ProxyPort", 0)},
         {5, "", 0, "", ""}},
        {"ProxyEnabled missing: nothing read",
         {Text(L"ProxyServer", L"h"), Dword(L"ProxyPort", 80), Text(L"ProxyUser", L"u")},
         Before()},
        {"ProxyEnabled as a string: nothing read",
         {Text(L"ProxyEnabled", L"1"), Text(L"ProxyServer", L"h"), Dword(L"ProxyPort", 80)},
         Before()},
        {"ProxyServer missing reads empty and goes on",
         {Dword(L"ProxyEnabled", 1), Dword(L"ProxyPort", 80), Text(L"ProxyUser", L"u"),
          Text(L"ProxyPassword", L"p")},
         {1, "", 80, "u", "p"}},
        {"ProxyPort missing ends after ProxyServer",
         {Dword(L"ProxyEnabled", 1), Text(L"ProxyServer", L"h"), Text(L"ProxyUser", L"u")},
         {1, "h", 7, "old-user", "old-pw"}},
        {"ProxyUser as a DWORD ends after ProxyPort",
         {Dword(L"ProxyEnabled", 1), Text(L"ProxyServer", L"h"), Dword(L"ProxyPort", 2),
          Dword(L"ProxyUser", 3), Text(L"ProxyPassword", L"p")},
         {1, "h", 2, "old-user", "old-pw"}},
        {"expandable string read as it is",
         {Dword(L"ProxyEnabled", 1), Text(L"ProxyServer", L"%PROXYHOST%", REG_EXPAND_SZ),
          Dword(L"ProxyPort", 80)},
         {1, "%PROXYHOST%", 80, "", ""}},
        {"a text of another type ends the reading",
         {Dword(L"ProxyEnabled", 1), {L"ProxyServer", REG_BINARY, "ab"}},
         {1, "old-host", 7, "old-user", "old-pw"}},
        {"a DWORD of the wrong size ends the reading",
         {{L"ProxyEnabled", REG_DWORD, "\x01\x00"}},
         Before()},
        {"a string stored without its zero",
         {Dword(L"ProxyEnabled", 1), {L"ProxyServer", REG_SZ, std::string("h\0o\0", 4)}},
         {1, "ho", 7, "old-user", "old-pw"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Store(c.values);
        ExpectRec(Load(), c.want);
    }

    SCOPED_TRACE("no key");
    RegDeleteTreeA(HKEY_CURRENT_USER, subkey.c_str());
    ExpectRec(Load(), Before());
}

} // namespace
