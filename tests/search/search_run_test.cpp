// The search run end to end against the test domain's controller.

#include "search/SearchRecorder.h"

#include "directory/DirectoryTestSupport.h"
#include "DomainPeers.h"

#include "search/Diagnostics.h"
#include "search/SearchRun.h"
#include "search/Settings.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <cstdlib>
#include <dirent.h>
#include <filesystem>
#include <memory>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

using Lines = std::vector<std::string>;

namespace {

const std::string kSmithFilter = "Filter : (&(objectClass=user)(|(name=smith*)(displayName=smith*)"
                                 "(sn=smith*)(givenName=smith*)))";
const std::string kErrorStatus =
    "One or more errors occured - Check the diagnostics screen for details";

std::string Env(const char* name) {
    const char* value = getenv(name);
    return value ? value : "";
}

// The log without its time stamps.
Lines Messages(const TDiagnosticsLog& log) {
    Lines messages;
    for (const std::string& line : log.Lines())
        messages.push_back(line.substr(line.find('\t') + 1));
    return messages;
}

// Column 0 of every row.
Lines Names(const TSearchRecorder& view) {
    Lines names;
    for (const auto& row : view.Rows)
        names.push_back(row.empty() ? "" : row[0]);
    return names;
}

int OpenSockets() {
    int count = 0;
    for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        const auto target = std::filesystem::read_symlink(fd.path(), error);
        if (!error && target.string().rfind("socket:", 0) == 0)
            ++count;
    }
    return count;
}

bool Contains(const Lines& lines, const std::string& text) {
    for (const std::string& line : lines)
        if (line == text)
            return true;
    return false;
}

class SearchRun : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(Env("FINDARO_TEST_DC").empty())
            << "FINDARO_TEST_DC is not set: run inside tests/harness/with-test-domain";
        base = Env("FINDARO_TEST_BASE");
        // A settings file that does not exist gives every default.
        OptionsRec = TOptionsRec{};
        SetSettingsFilePath(::testing::TempDir() + "/no-such-findaro.INI");
        LoadSettings();
    }
    void TearDown() override { SetSettingsFilePath(""); }

    // Rows of an earlier run, which a run that stops early must leave alone.
    void Preload() {
        view.Rows = {{"earlier row"}};
        view.Calls.clear();
    }

    SearchOutcome Run(const std::string& text) { return RunSearch(view, log, text, OptionsRec); }

    std::string base;
    TSearchRecorder view;
    TDiagnosticsLog log;
};

} // namespace

TEST_F(SearchRun, NoContainerSearchesTheUsersContainerAndKeepsIt) {
    ASSERT_TRUE(OptionsRec.SearchDN.empty());
    const int socketsBefore = OpenSockets();
    EXPECT_EQ(Run("smith"), SearchOutcome::Completed);
    EXPECT_EQ(OpenSockets(), socketsBefore) << "a connection was left open";

    const std::string users = "CN=Users," + base;
    EXPECT_EQ(OptionsRec.SearchDN, Lines{users});
    EXPECT_EQ(view.Rows, (std::vector<Lines>{{"Sam Smith", "+1 555 0199", "Support"}}));
    EXPECT_EQ(Messages(log),
              (Lines{"Connecting to Directory", "Selected LDAP Server : " + Env("FINDARO_TEST_DC"),
                     "Binding to Directory", "Adding Attributes", "Building Filter", kSmithFilter,
                     "Setting size limit of : 100", "Starting Search in : " + users,
                     "Finished Search in : " + users}));
    EXPECT_EQ(view.Calls,
              (Lines{"BusyCursor:on", "RepaintWindow", "SetStatus:Connecting to Directory",
                     "ClearRows", "ProcessEvents", "SetStatus:Clear previous search",
                     "SetStatus:Searching : " + users, "SetStatus:Displaying Results",
                     "AddRow:Sam Smith|+1 555 0199|Support", "SetStatus:", "BusyCursor:off"}));

    // The next run finds the container in the settings and reads no root entry.
    EXPECT_EQ(Run("smith"), SearchOutcome::Completed);
    EXPECT_EQ(OptionsRec.SearchDN, Lines{users});
    EXPECT_EQ(view.Rows.size(), 1u);
}

TEST_F(SearchRun, AFailedContainerIsLoggedAndTheOthersAreStillShown) {
    const std::string missing = "OU=Missing," + base;
    OptionsRec.SearchDN = {"OU=Sales,OU=Staff," + base, missing, "OU=Engineering,OU=Staff," + base};
    Preload();
    const int socketsBefore = OpenSockets();
    EXPECT_EQ(Run("smith"), SearchOutcome::CompletedWithErrors);
    EXPECT_EQ(OpenSockets(), socketsBefore);

    const Lines names = Names(view);
    ASSERT_EQ(names.size(), 3u);
    EXPECT_EQ(names[0], "Smith, John");
    EXPECT_TRUE(Contains(names, "Jane Smith"));
    EXPECT_TRUE(Contains(names, "Adam Smithers"));

    const Lines messages = Messages(log);
    EXPECT_TRUE(Contains(messages, "Error Performing Search : 32 No such object"));
    EXPECT_TRUE(Contains(messages, "Finished Search in : OU=Engineering,OU=Staff," + base));
    EXPECT_FALSE(Contains(messages, "Finished Search in : " + missing));
    for (const std::string& line : messages)
        EXPECT_EQ(line.find("Status Code"), std::string::npos) << line;

    // The pointer to the diagnostics comes last, after the cursor is back.
    const Lines tail(view.Calls.end() - 3, view.Calls.end());
    EXPECT_EQ(tail, (Lines{"SetStatus:", "BusyCursor:off", "SetStatusLater:" + kErrorStatus}));
}

TEST_F(SearchRun, SizeLimitAppliesToEachContainer) {
    OptionsRec.MaxResults = 10;
    OptionsRec.SearchDN = {"OU=Bulk1," + base, "OU=Bulk2," + base};
    EXPECT_EQ(Run("bulk"), SearchOutcome::Completed);
    const Lines names = Names(view);
    ASSERT_EQ(names.size(), 20u);
    for (size_t i = 0; i < 20; ++i)
        EXPECT_EQ(names[i].rfind(i < 10 ? "Bulk One " : "Bulk Two ", 0), 0u) << names[i];
    EXPECT_TRUE(Contains(Messages(log), "Setting size limit of : 10"));
    EXPECT_TRUE(Contains(Messages(log), "Finished Search in : OU=Bulk2," + base));
    EXPECT_TRUE(view.CallsOf("SetStatusLater").empty());
}

TEST_F(SearchRun, OverlappingContainersListThePeopleTwice) {
    OptionsRec.SearchDN = {"OU=Staff," + base, "OU=Engineering,OU=Staff," + base,
                           "OU=Empty," + base};
    EXPECT_EQ(Run("smith"), SearchOutcome::Completed);
    const Lines names = Names(view);
    ASSERT_EQ(names.size(), 5u) << ::testing::PrintToString(names);
    const Lines inner(names.begin() + 3, names.end());
    EXPECT_TRUE(Contains(inner, "Jane Smith"));
    EXPECT_TRUE(Contains(inner, "Adam Smithers"));
    EXPECT_TRUE(Contains(Messages(log), "Finished Search in : OU=Empty," + base));
}

TEST_F(SearchRun, NoDisplayFlagGivesOneEmptyRowPerEntry) {
    OptionsRec.SearchDN = {"OU=Staff," + base};
    EXPECT_EQ(Run("smith"), SearchOutcome::Completed);
    const size_t found = view.Rows.size();
    ASSERT_EQ(found, 3u);

    OptionsRec.DisplayName = OptionsRec.DisplayTelephoneNumber = OptionsRec.DisplayDepartment = 0;
    EXPECT_EQ(Run("smith"), SearchOutcome::Completed);
    EXPECT_EQ(view.Rows, std::vector<Lines>(found, Lines{}));
    EXPECT_TRUE(Contains(Messages(log), "Adding Attributes"));
}

TEST_F(SearchRun, ParenthesesAndBackslashesInTheTextAreSearchedForNotParsed) {
    OptionsRec.SearchDN = {"OU=Staff," + base};
    OptionsRec.SearchType = 0;
    Preload();
    // Unescaped, "(" made the filter invalid and ")(name=*" matched everybody.
    for (const char* text : {"(", "a\\", "x)(name=*"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(Run(text), SearchOutcome::Completed);
        EXPECT_TRUE(view.Rows.empty());
        EXPECT_TRUE(view.CallsOf("SetStatusLater").empty());
    }
    // The log shows the filter as it went to the server.
    EXPECT_TRUE(Contains(Messages(log), "Filter : (&(objectClass=user)(|(name=x\\29\\28name=*)"
                                        "(displayName=x\\29\\28name=*)(sn=x\\29\\28name=*)"
                                        "(givenName=x\\29\\28name=*)))"));
    // A comma needs no escaping in a filter: "Smith, John" is found as typed.
    EXPECT_EQ(Run("Smith, John"), SearchOutcome::Completed);
    EXPECT_EQ(Names(view), Lines{"Smith, John"});
}

TEST_F(SearchRun, NoServerForTheDomain) {
    OptionsRec.DomainName = "NOSUCHDOMAIN";
    Preload();
    EXPECT_EQ(Run("smith"), SearchOutcome::NoServer);
    EXPECT_EQ(Messages(log), Lines{"Connecting to Directory"});
    EXPECT_EQ(view.Rows, std::vector<Lines>{{"earlier row"}});
    // The box waits for the user, so the hourglass is gone before it shows.
    // The status line names the domain while the box is up and after it.
    EXPECT_EQ(view.Calls,
              (Lines{"BusyCursor:on", "RepaintWindow", "SetStatus:Connecting to Directory",
                     "SetStatus:no domain controller found for NOSUCHDOMAIN: check DomainName "
                     "in the settings",
                     "BusyCursor:off",
                     "ShowMessage:No LDAP Server for this domain could be found|Findaro|Error"}));
}

TEST_F(SearchRun, BindWithoutATicketIsRefused) {
    const std::string ticket = Env("KRB5CCNAME");
    const std::string cache = ::testing::TempDir() + "/findaro-no-ticket.cc";
    std::filesystem::remove(cache);
    setenv("KRB5CCNAME", ("FILE:" + cache).c_str(), 1);
    OptionsRec.SearchDN = {"OU=Staff," + base};
    Preload();
    const int socketsBefore = OpenSockets();
    const SearchOutcome outcome = Run("smith");
    setenv("KRB5CCNAME", ticket.c_str(), 1);
    EXPECT_EQ(outcome, SearchOutcome::BindFailed);
    EXPECT_EQ(OpenSockets(), socketsBefore) << "the refused connection was left open";

    const Lines messages = Messages(log);
    ASSERT_EQ(messages.size(), 5u) << ::testing::PrintToString(messages);
    EXPECT_EQ(messages[2], "Binding to Directory");
    EXPECT_EQ(messages[3], "Error Binding to Directory");
    EXPECT_EQ(messages[4].rfind("   Status Code = ", 0), 0u);
    EXPECT_NE(messages[4], "   Status Code = 0");
    EXPECT_EQ(view.Rows, std::vector<Lines>{{"earlier row"}});
    EXPECT_EQ(view.Calls,
              (Lines{"BusyCursor:on", "RepaintWindow", "SetStatus:Connecting to Directory",
                     "SetStatus:not logged on to the domain: log on again, or run kinit",
                     "BusyCursor:off"}));
}

TEST_F(SearchRun, UnreachableControllerEndsAfterTheConnectionBound) {
    // A domain of its own, whose only controller first listens nowhere (the
    // locator finds it in DNS and gives up), then takes exactly one
    // connection (the locator's probe) and no more: with a backlog of 0 the
    // probe fills the accept queue, and every later SYN is dropped.
    const std::string zone = "unreachable.example.test";
    ASSERT_TRUE(SambaTool("dns zonecreate 127.0.0.2 " + zone));
    const bool added = SambaTool("dns add 127.0.0.2 " + zone + " dc9 A 127.0.0.9") &&
                       SambaTool("dns add 127.0.0.2 " + zone + " _ldap._tcp.dc._msdcs SRV 'dc9." + zone +
                                " 389 0 100'");
    OptionsRec.DomainName = zone;
    const SearchOutcome down = added ? Run("smith") : SearchOutcome::Completed;
    const Lines downStatus = view.CallsOf("SetStatus");

    const int listener = ListenOnLoopback("127.0.0.9", 389, 0);
    ASSERT_GE(listener, 0);

    OptionsRec.DomainName = zone;
    OptionsRec.SearchDN = {"OU=Staff," + base};
    Preload();
    const auto start = std::chrono::steady_clock::now();
    const SearchOutcome outcome = added ? Run("smith") : SearchOutcome::Completed;
    const auto seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    SambaTool("dns zonedelete 127.0.0.2 " + zone);
    close(listener);
    ASSERT_TRUE(added) << "could not add the controller's DNS records";

    EXPECT_EQ(down, SearchOutcome::NoServer);
    EXPECT_TRUE(Contains(downStatus,
                         "SetStatus:no domain controller of " + zone + " answers: check the network"));

    EXPECT_EQ(outcome, SearchOutcome::ConnectFailed);
    const Lines messages = Messages(log);
    ASSERT_EQ(messages.size(), 4u) << ::testing::PrintToString(messages);
    EXPECT_EQ(messages[1], "Selected LDAP Server : dc9." + zone);
    EXPECT_EQ(messages[2], "Error Connecting to Directory");
    EXPECT_EQ(messages[3].rfind("   Status Code = ", 0), 0u);
    EXPECT_NE(messages[3], "   Status Code = 0");
    EXPECT_GE(seconds, 4.5) << "the attempt ended before its bound";
    EXPECT_LT(seconds, 15.0) << "the attempt was not bounded";
    EXPECT_EQ(view.Rows, std::vector<Lines>{{"earlier row"}});
    EXPECT_EQ(view.Calls.back(), "BusyCursor:off");
    EXPECT_EQ(view.CallsOf("SetStatus"),
              (Lines{"SetStatus:Connecting to Directory",
                     "SetStatus:cannot reach dc9." + zone +
                         ": check the network, then search again"}));
}

// No container, and a controller that stops answering once the run is bound:
// the root entry cannot be read. The run says so rather than passing an empty
// table off as a search that found nobody.
TEST_F(SearchRun, UnreadableRootEntryWithoutAContainerIsAFailure) {
    std::unique_ptr<dirtest::StoppedController> stopped;
    view.OnCall = [&](const std::string& call) {
        if (call == "ClearRows" && !stopped)
            stopped = std::make_unique<dirtest::StoppedController>();
    };
    const SearchOutcome outcome = Run("smith");
    ASSERT_TRUE(stopped && stopped->stopped());
    stopped.reset();

    EXPECT_EQ(outcome, SearchOutcome::NoContainer);
    EXPECT_TRUE(OptionsRec.SearchDN.empty());
    const Lines messages = Messages(log);
    ASSERT_GE(messages.size(), 2u) << ::testing::PrintToString(messages);
    EXPECT_EQ(messages[messages.size() - 2], "Error Reading Default Container");
    EXPECT_EQ(messages.back().rfind("   Status Code = ", 0), 0u);
    EXPECT_NE(messages.back(), "   Status Code = 0");
    EXPECT_TRUE(view.CallsOf("AddRow").empty());
    EXPECT_EQ(view.Calls.back(), "SetStatusLater:The default container could not be read - "
                                 "Check the diagnostics screen for details");
}
