// Connection behaviour against peers on loopback that refuse, never
// complete the handshake, or accept and stay silent.
#include "DirectoryTestSupport.h"
#include "directory/Cldap.h"

#include <gtest/gtest.h>
#include <ldap.h>

#include <climits>
#include <cstdint>
#include <utility>

namespace {

using dirtest::SilentListener;
using dirtest::Stopwatch;

std::string loopback(int port) {
    return "127.0.0.1:" + std::to_string(port);
}

// Both connection classes must give up within the 5 s connection bound.
TEST(Unreachable, ConnectFailsWithinItsBound) {
    SilentListener full("127.0.0.1", 0);
    ASSERT_TRUE(full.fillAcceptQueue());
    struct Case {
        const char* what;
        std::string host;
    } cases[] = {
        {"nobody listens", loopback(dirtest::unusedLoopbackPort())},
        {"accept queue full", loopback(full.port())},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Stopwatch search;
        TQMLDAP connection;
        int32_t rc = connection.Connect(c.host);
        EXPECT_NE(rc, 0);
        EXPECT_EQ(connection.LastResult, rc);
        EXPECT_TRUE(connection.Connection) << "the handle is kept for Unbind";
        EXPECT_LT(search.seconds(), 8.0);

        Stopwatch browse;
        TQMLDAPBrowse browser;
        EXPECT_NE(browser.Connect(c.host), 0);
        EXPECT_LT(browse.seconds(), 8.0);
    }
}

TEST(Unreachable, BrowserReadsFailAndLeaveListsEmpty) {
    TQMLDAPBrowse neverConnected;
    TQMLDAPBrowse refused;
    refused.Connect(loopback(dirtest::unusedLoopbackPort()));
    refused.Bind();
    for (TQMLDAPBrowse* browser : {&neverConnected, &refused}) {
        std::vector<std::string> names, values;
        EXPECT_NE(browser->ReadRootDSE(names, values), 0);
        EXPECT_TRUE(names.empty());
        EXPECT_TRUE(values.empty());
        browser->SetBaseDN("DC=corp,DC=example,DC=test");
        EXPECT_NE(browser->ListChildren(names, values), 0);
        EXPECT_TRUE(names.empty());
        EXPECT_TRUE(values.empty());
    }
}

TEST(Unreachable, NeverConnectedSearchFails) {
    TQMLDAP connection;
    EXPECT_NE(connection.Bind(), 0);
    EXPECT_NE(connection.Search(), 0);
    EXPECT_EQ(connection.EntryCount, 0);
    EXPECT_EQ(connection.GetEntry(0), nullptr);
    EXPECT_EQ(connection.Unbind(), 0);
}

// A server that takes the connection and then never answers ends each read
// in the client's time-out instead of holding the program.
TEST(SilentServer, ReadsEndInTimeout) {
    SilentListener silent;
    TQMLDAP connection;
    ASSERT_EQ(connection.Connect(loopback(silent.port())), 0);
    connection.SetTimeLimit(1);
    connection.SetBaseDN("DC=corp,DC=example,DC=test");
    connection.SetFilter("(objectClass=user)");
    Stopwatch search;
    EXPECT_EQ(connection.Search(), LDAP_TIMEOUT);
    EXPECT_EQ(connection.LastResult, LDAP_TIMEOUT);
    EXPECT_LT(search.seconds(), 1 + 10 + 3.0);
    EXPECT_TRUE(connection.Entries.empty());

    TQMLDAPBrowse browser;
    ASSERT_EQ(browser.Connect(loopback(silent.port())), 0);
    std::vector<std::string> names, values;
    Stopwatch read;
    EXPECT_EQ(browser.ReadRootDSE(names, values), LDAP_TIMEOUT);
    EXPECT_LT(read.seconds(), 8.0);
    EXPECT_TRUE(names.empty() && values.empty());
}

// The client's own wait: the limit plus a margin, bounded, whatever the
// settings file says (no overflow past the largest 32-bit number).
TEST(SearchWait, LimitPlusMarginWithinTheCeiling) {
    const std::pair<int32_t, int32_t> cases[] = {
        {1, 11},   {10, 20},         {120, 130},           {121, 130},       {0, 130},
        {-1, 130}, {INT32_MAX, 130}, {INT32_MAX - 5, 130}, {INT32_MIN, 130},
    };
    for (const auto& [limit, wait] : cases)
        EXPECT_EQ(SearchWaitSeconds(limit), wait) << "time limit " << limit;
}

// A server that went silent and the largest time limit the file can hold: the
// search still ends, at the ceiling, instead of holding the program for ever.
TEST(SilentServer, HugeTimeLimitEndsAtTheCeiling) {
    SilentListener silent;
    TQMLDAP connection;
    ASSERT_EQ(connection.Connect(loopback(silent.port())), 0);
    connection.SetTimeLimit(INT32_MAX);
    connection.SetBaseDN("DC=corp,DC=example,DC=test");
    connection.SetFilter("(objectClass=user)");
    Stopwatch search;
    EXPECT_EQ(connection.Search(), LDAP_TIMEOUT);
    EXPECT_LT(search.seconds(), 130 + 5.0);
}

// The three setters act on the handle; the referral switch in particular
// must follow the flag rather than the address it is passed through.
TEST(Options, SettersReachTheHandle) {
    TQMLDAP connection;
    connection.Connect(loopback(dirtest::unusedLoopbackPort()));
    ASSERT_TRUE(connection.Connection);
    struct Case {
        int32_t flag;
        int expected;
    } referrals[] = {{0, 0}, {1, 1}, {-7, 1}, {0, 0}};
    for (const Case& c : referrals) {
        EXPECT_EQ(connection.SetReferrals(c.flag), LDAP_OPT_SUCCESS);
        int value = -1;
        ldap_get_option(connection.Connection.get(), LDAP_OPT_REFERRALS, &value);
        EXPECT_EQ(value != 0, c.expected != 0) << "flag " << c.flag;
    }
    for (int32_t limit : {0, 1, 1500}) {
        EXPECT_EQ(connection.SetSizeLimit(limit), LDAP_OPT_SUCCESS);
        EXPECT_EQ(connection.SetTimeLimit(limit + 3), LDAP_OPT_SUCCESS);
        int size = -1, time = -1;
        ldap_get_option(connection.Connection.get(), LDAP_OPT_SIZELIMIT, &size);
        ldap_get_option(connection.Connection.get(), LDAP_OPT_TIMELIMIT, &time);
        EXPECT_EQ(size, limit);
        EXPECT_EQ(time, limit + 3);
    }
    connection.SetSearchChildren(5);
    EXPECT_EQ(connection.Scope, LDAP_SCOPE_SUBTREE);
    connection.SetSearchChildren(0);
    EXPECT_EQ(connection.Scope, LDAP_SCOPE_ONELEVEL);
}

} // namespace
