// The search run end to end against the test domain's controller.

#include "search/SearchRecorder.h"

#include "search/Diagnostics.h"
#include "search/SearchRun.h"
#include "search/Settings.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <cstdlib>
#include <dirent.h>
#include <filesystem>
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

// samba-tool dns with the harness's administrator; true when it succeeded.
bool AdminDns(const std::string& arguments) {
    std::string command =
        "samba-tool dns " + arguments + " -U \"Administrator%$FINDARO_TEST_ADMIN_PASSWORD\"";
    if (!Env("FINDARO_TEST_SMBCONF").empty())
        command += " -s \"$FINDARO_TEST_SMBCONF\"";
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
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

TEST_F(SearchRun, AnInvalidFilterFailsTheContainerSearch) {
    OptionsRec.SearchDN = {"OU=Staff," + base};
    Preload();
    EXPECT_EQ(Run("("), SearchOutcome::CompletedWithErrors);
    EXPECT_TRUE(view.Rows.empty()) << "the rows are emptied before the first container";
    const Lines messages = Messages(log);
    ASSERT_GE(messages.size(), 2u);
    EXPECT_EQ(messages.back().rfind("Error Performing Search : ", 0), 0u) << messages.back();
    EXPECT_NE(messages.back(), "Error Performing Search : 0 ");
    EXPECT_EQ(view.Calls.back(), "SetStatusLater:" + kErrorStatus);
}

TEST_F(SearchRun, NoServerForTheDomain) {
    OptionsRec.DomainName = "NOSUCHDOMAIN";
    Preload();
    EXPECT_EQ(Run("smith"), SearchOutcome::NoServer);
    EXPECT_EQ(Messages(log), Lines{"Connecting to Directory"});
    EXPECT_EQ(view.Rows, std::vector<Lines>{{"earlier row"}});
    // The box waits for the user, so the hourglass is gone before it shows.
    EXPECT_EQ(view.Calls,
              (Lines{"BusyCursor:on", "RepaintWindow", "SetStatus:Connecting to Directory",
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
    EXPECT_EQ(view.Calls, (Lines{"BusyCursor:on", "RepaintWindow",
                                 "SetStatus:Connecting to Directory", "BusyCursor:off"}));
}

TEST_F(SearchRun, UnreachableControllerEndsAfterTheConnectionBound) {
    // A domain of its own, whose only controller takes exactly one connection
    // (the locator's probe) and then no more: with a backlog of 0 the probe
    // fills the accept queue, and every later SYN is dropped.
    const std::string zone = "unreachable.example.test";
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(389);
    inet_pton(AF_INET, "127.0.0.9", &address.sin_addr);
    const int on = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(listener, 0), 0);

    ASSERT_TRUE(AdminDns("zonecreate 127.0.0.2 " + zone));
    const bool added = AdminDns("add 127.0.0.2 " + zone + " dc9 A 127.0.0.9") &&
                       AdminDns("add 127.0.0.2 " + zone + " _ldap._tcp.dc._msdcs SRV 'dc9." + zone +
                                " 389 0 100'");

    OptionsRec.DomainName = zone;
    OptionsRec.SearchDN = {"OU=Staff," + base};
    Preload();
    const auto start = std::chrono::steady_clock::now();
    const SearchOutcome outcome = added ? Run("smith") : SearchOutcome::Completed;
    const auto seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    AdminDns("zonedelete 127.0.0.2 " + zone);
    close(listener);
    ASSERT_TRUE(added) << "could not add the controller's DNS records";

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
    EXPECT_EQ(view.CallsOf("SetStatus"), Lines{"SetStatus:Connecting to Directory"});
}
