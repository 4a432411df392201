// findaro-search as a user runs it, against the test domain.

#include "cli/CliTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

std::string Env(const char* name) {
    const char* value = getenv(name);
    return value ? value : "";
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

struct Result {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class FindaroSearch : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(Env("FINDARO_TEST_DC").empty())
            << "FINDARO_TEST_DC is not set: run inside tests/harness/with-test-domain";
        base = Env("FINDARO_TEST_BASE");
        dir = std::filesystem::path(::testing::TempDir()) /
              ("findaro-search-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir);
        ini = (dir / "test.INI").string();
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    void WriteIni(const Lines& containers, const std::string& extra = "") {
        std::ofstream out(ini, std::ios::binary);
        out << "[Settings]\n" << extra << "DNCount=" << containers.size() << "\n";
        for (size_t i = 0; i < containers.size(); ++i)
            out << "SearchDN" << i << "=" << containers[i] << "\n";
    }

    // Arguments are single-quoted for the shell; none of ours holds a quote.
    // `prefix` runs it through another command (as another user, say).
    Result Run(const std::string& arguments, const std::string& prefix = "") {
        const std::string out = (dir / "out").string();
        const std::string err = (dir / "err").string();
        const std::string command = prefix + "'" + FINDARO_SEARCH_EXE + "' " + arguments +
                                    " >'" + out + "' 2>'" + err + "'";
        const int status = std::system(command.c_str());
        Result result;
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.out = ReadFile(out);
        result.err = ReadFile(err);
        return result;
    }

    std::string base;
    std::filesystem::path dir;
    std::string ini;
};

} // namespace

TEST_F(FindaroSearch, PrintsTheFoundPeopleUnderTheShownColumns) {
    WriteIni({"OU=Staff," + base, "CN=Users," + base});
    const Result tsv = Run("--tsv --ini '" + ini + "' smith");
    EXPECT_EQ(tsv.exitCode, 0) << tsv.err;
    const Lines lines = SplitLines(tsv.out);
    ASSERT_EQ(lines.size(), 5u) << tsv.out;
    EXPECT_EQ(lines[0], "Name\tTelephone Number\tDepartment");
    const Lines people(lines.begin() + 1, lines.end());
    for (const char* row : {"Smith, John\t+1 555 0100\tSales",
                            "Jane Smith\t+1 555 0101\tEngineering", "Adam Smithers\t\tPlatform"})
        EXPECT_NE(std::find(people.begin(), people.end() - 1, row), people.end() - 1) << row;
    EXPECT_EQ(people.back(), "Sam Smith\t+1 555 0199\tSupport");
    EXPECT_TRUE(Contains(tsv.err, "Connecting to Directory"));

    // Aligned for a terminal: the telephone column starts at the same display
    // column under a UTF-8 name as under the header.
    const Result aligned = Run("--ini '" + ini + "' zo");
    EXPECT_EQ(aligned.exitCode, 0) << aligned.err;
    const Lines table = SplitLines(aligned.out);
    ASSERT_EQ(table.size(), 2u) << aligned.out;
    EXPECT_EQ(table[0], "Name        Telephone Number  Department");
    EXPECT_EQ(table[1], "Zoë Müller  +49 30 1234567    Sales");
}

TEST_F(FindaroSearch, ReadsTheSettingsButNeverWritesThem) {
    // No container: the run adds the users' container in memory only.
    WriteIni({}, "DisplayTelephoneNumber=0\nDisplayDepartment=0\n");
    const std::string before = ReadFile(ini);
    const Result result = Run("--tsv --diagnostics --ini '" + ini + "' -- sam smith");
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "Name\nSam Smith\n");
    EXPECT_TRUE(Contains(result.err, "\tStarting Search in : CN=Users," + base));
    EXPECT_TRUE(Contains(result.err, "\tFilter : (&(objectClass=user)(|(name=sam smith*)"));
    EXPECT_EQ(ReadFile(ini), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir),
                            std::filesystem::directory_iterator()),
              3)
        << "only the settings file and the two captured outputs may exist";
}

TEST_F(FindaroSearch, ExitCodeTellsHowTheRunEnded) {
    struct Case {
        const char* what;
        Lines containers;
        std::string extra;
        int exitCode;
        std::string stderrHolds;
        std::string stdoutHolds;
    };
    const Case cases[] = {
        {"no server for the domain",
         {"OU=Staff," + base},
         "DomainName=NOSUCHDOMAIN\n",
         1,
         "No LDAP Server for this domain could be found",
         ""},
        {"one container missing",
         {"OU=Missing," + base, "OU=Sales,OU=Staff," + base},
         "",
         2,
         "One or more errors occured - Check the diagnostics screen for details",
         "Smith, John"},
        {"searched without matches", {"OU=Empty," + base}, "", 0, "Searching : OU=Empty,", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteIni(c.containers, c.extra);
        const Result result = Run("--ini '" + ini + "' smith");
        EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
        EXPECT_TRUE(Contains(result.err, c.stderrHolds)) << result.err;
        if (c.exitCode == 1) {
            EXPECT_EQ(result.out, "");
        } else {
            EXPECT_TRUE(Contains(result.out, c.stdoutHolds)) << result.out;
        }
    }
    const Result missingIni = Run("--ini '" + (dir / "absent.INI").string() + "' smith");
    EXPECT_EQ(missingIni.exitCode, 64);
    EXPECT_TRUE(Contains(missingIni.err, "absent.INI"));

    // A file that exists but cannot be read is not searched with the defaults.
    WriteIni({"OU=Staff," + base});
    std::filesystem::permissions(ini, std::filesystem::perms::owner_write);
    std::filesystem::permissions(dir, std::filesystem::perms::all);
    const Result unreadable =
        Run("--ini '" + ini + "' smith", "setpriv --reuid=65534 --regid=65534 --clear-groups ");
    EXPECT_EQ(unreadable.exitCode, 1) << unreadable.err;
    EXPECT_EQ(unreadable.err,
              "findaro-search: Cannot read " + ini + ": Permission denied\n");
    EXPECT_EQ(unreadable.out, "");
}
