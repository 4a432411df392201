// The search run end to end on Windows against the test domain's controller:
// the system's locator for the domain's DNS name, the wide LDAP calls and the
// results table. The bind uses the test user's password (see
// tests/directory/WindowsDomainTest.cpp: Wine cannot bind as the logged-on
// user), and the domain is named, since a Wine prefix belongs to no domain.

#include "search/SearchRecorder.h"

#include "search/Diagnostics.h"
#include "search/SearchRun.h"
#include "search/Settings.h"

#include "PasswordBindForTests.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

using Lines = std::vector<std::string>;

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

class WindowsSearchRun : public ::testing::Test {
  protected:
    void SetUp() override {
        base = Env("FINDARO_TEST_BASE");
        ASSERT_FALSE(base.empty() || Env("FINDARO_TEST_DOMAIN").empty() ||
                     Env("FINDARO_TEST_USER_PASSWORD").empty())
            << "run inside tests/harness/with-test-domain tests/harness/with-wine";
        findaro::UsePasswordBindForTests(Env("FINDARO_TEST_USER"), Env("FINDARO_TEST_NETBIOS"),
                                         Env("FINDARO_TEST_USER_PASSWORD"));
        OptionsRec = TOptionsRec{};
        SetSettingsFilePath(::testing::TempDir() + "/no-such-findaro.INI");
        LoadSettings();
        OptionsRec.DomainName = Env("FINDARO_TEST_DOMAIN");
    }
    void TearDown() override { SetSettingsFilePath(""); }

    std::string base;
    TSearchRecorder view;
    TDiagnosticsLog log;
};

TEST_F(WindowsSearchRun, NoContainerSearchesTheUsersContainer) {
    EXPECT_EQ(RunSearch(view, log, "smith", OptionsRec), SearchOutcome::Completed);
    EXPECT_EQ(OptionsRec.SearchDN, Lines{"CN=Users," + base});
    EXPECT_EQ(view.Rows, (std::vector<Lines>{{"Sam Smith", "+1 555 0199", "Support"}}));
}

TEST_F(WindowsSearchRun, AFailedContainerIsLoggedAndTheOthersAreShownInUtf8) {
    OptionsRec.SearchDN = {"OU=Sales,OU=Staff," + base, "OU=Missing," + base};
    EXPECT_EQ(RunSearch(view, log, "m\xc3\xbcller", OptionsRec),
              SearchOutcome::CompletedWithErrors);
    ASSERT_EQ(view.Rows.size(), 1u);
    EXPECT_EQ(view.Rows[0][0], "Zo\xc3\xab M\xc3\xbcller");
    bool logged = false;
    for (const std::string& line : log.Lines())
        logged = logged || line.find("Error Performing Search : 32 ") != std::string::npos;
    EXPECT_TRUE(logged);
}

TEST_F(WindowsSearchRun, UnknownDomainFindsNoServer) {
    OptionsRec.DomainName = "nowhere.invalid";
    OptionsRec.SearchDN = {base};
    view.Rows = {{"earlier row"}};
    EXPECT_EQ(RunSearch(view, log, "smith", OptionsRec), SearchOutcome::NoServer);
    EXPECT_EQ(view.Rows, (std::vector<Lines>{{"earlier row"}}));
}

} // namespace
