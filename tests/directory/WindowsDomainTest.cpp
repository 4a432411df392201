// The Windows directory client (wldap32 and the system's locator) against
// the test domain's controller.
//
// Under Wine the bind as the logged-on user (negotiate with no credentials)
// crashes inside Wine's own SASL callback, so these tests bind with the test
// user's explicit name and password through the test-only switch; everything
// after the bind (search, entries, referrals, the browser) is the code the
// program runs. The credential-free bind can only be checked on Windows.

#include "BoundConnections.h"
#include "directory/Cldap.h"
#include "directory/DcLocator.h"
#include "search/SearchRun.h"

#include "LdapApi.h"
#include "PasswordBindForTests.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v != nullptr ? v : "";
}

constexpr uint32_t kFlags = dcflags::ReturnDnsName | dcflags::IsFlatName;

class WindowsDomainTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dc = Env("FINDARO_TEST_DC");
        base = Env("FINDARO_TEST_BASE");
        dnsDomain = Env("FINDARO_TEST_DOMAIN");
        netbios = Env("FINDARO_TEST_NETBIOS");
        const std::string user = Env("FINDARO_TEST_USER");
        const std::string password = Env("FINDARO_TEST_USER_PASSWORD");
        // A missing variable fails, so a broken harness cannot pass as a skip.
        ASSERT_FALSE(dc.empty() || base.empty() || dnsDomain.empty() || netbios.empty() ||
                     user.empty() || password.empty())
            << "run inside tests/harness/with-test-domain tests/harness/with-wine";
        findaro::UsePasswordBindForTests(user, netbios, password);
    }

    std::unique_ptr<TQMLDAP> bound(std::initializer_list<const char*> attributes = {}) {
        return dirtest::boundConnection(dc, attributes);
    }
    std::unique_ptr<TQMLDAPBrowse> browser() { return dirtest::boundBrowser(dc); }

    std::string dn(const std::string& relative) const {
        return relative.empty() ? base : relative + "," + base;
    }

    std::string dc, base, dnsDomain, netbios;
};

TEST_F(WindowsDomainTest, LocatorFindsTheControllerByDnsName) {
    for (const std::string& name : {dnsDomain, dnsDomain + "."}) {
        std::string dcName = "left over";
        EXPECT_EQ(LocateDomainController(name.c_str(), kFlags, dcName), 0u) << name;
        // The DNS host name, whatever case the locator answers in.
        std::string lower = dcName;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        EXPECT_EQ(lower, "\\\\" + dc) << name;
    }
    std::string lowerHost = FindDirectoryServer(dnsDomain);
    std::transform(lowerHost.begin(), lowerHost.end(), lowerHost.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    EXPECT_EQ(lowerHost, dc);
}

TEST_F(WindowsDomainTest, LocatorFailsForAnUnknownDomainWithTheSystemsText) {
    std::string dcName = "left over";
    const uint32_t rc = LocateDomainController("nowhere.invalid", kFlags, dcName);
    EXPECT_NE(rc, 0u);
    EXPECT_EQ(dcName, "");
    EXPECT_EQ(FindDirectoryServer("nowhere.invalid"), "");
    const std::string text = WindowsErrorText(rc);
    EXPECT_FALSE(text.empty());
    EXPECT_NE(text.back(), '\n');
}

TEST_F(WindowsDomainTest, SearchesAccumulateUntilClearedAndFailuresKeepEntries) {
    auto connection = bound({"cn"});
    connection->SetFilter("(objectClass=user)");
    connection->SetBaseDN(dn("OU=Bulk2"));
    ASSERT_EQ(connection->Search(), 0) << connection->ErrorText();
    ASSERT_EQ(connection->EntryCount, 50);

    connection->SetBaseDN(dn("OU=Sales,OU=Staff"));
    ASSERT_EQ(connection->Search(), 0);
    EXPECT_EQ(connection->EntryCount, 2);
    ASSERT_EQ(connection->Entries.size(), 52u);
    std::vector<std::string> sales = {connection->Entries[50]->DN, connection->Entries[51]->DN};
    std::sort(sales.begin(), sales.end());
    EXPECT_EQ(sales,
              (std::vector<std::string>{dn("CN=Smith\\, John,OU=Sales,OU=Staff"),
                                        dn("CN=Zo\xc3\xab M\xc3\xbcller,OU=Sales,OU=Staff")}));
    EXPECT_EQ(connection->GetEntry(52), nullptr);

    connection->SetBaseDN(dn("OU=Nowhere"));
    EXPECT_EQ(connection->Search(), LDAP_NO_SUCH_OBJECT);
    EXPECT_EQ(connection->ErrorText(), ldap_err2stringA(LDAP_NO_SUCH_OBJECT));
    EXPECT_EQ(connection->Entries.size(), 52u);
    EXPECT_EQ(connection->EntryCount, 2);
}

TEST_F(WindowsDomainTest, SizeLimitKeepsTheFirstEntries) {
    auto connection = bound({"cn"});
    connection->SetFilter("(objectClass=user)");
    connection->SetBaseDN(dn("OU=Bulk1"));
    ASSERT_EQ(connection->Search(), 0);
    ASSERT_EQ(connection->EntryCount, 50);
    EXPECT_FALSE(connection->Partial);

    connection->ClearResults();
    EXPECT_EQ(connection->SetSizeLimit(10), 0);
    EXPECT_EQ(connection->Search(), 0);
    EXPECT_EQ(connection->LastResult, LDAP_SIZELIMIT_EXCEEDED);
    EXPECT_TRUE(connection->Partial);
    EXPECT_EQ(connection->EntryCount, 10);
    EXPECT_EQ(connection->Entries.size(), 10u);
}

TEST_F(WindowsDomainTest, ValuesArriveByteForByte) {
    auto connection = bound({"displayName", "objectSid", "objectClass"});
    // The filter carries UTF-8 as well.
    connection->SetFilter("(displayName=Zo\xc3\xab M\xc3\xbcller)");
    connection->SetBaseDN(dn("OU=Staff"));
    ASSERT_EQ(connection->Search(), 0);
    ASSERT_EQ(connection->EntryCount, 1);
    const TQMLDObject& zoe = *connection->GetEntry(0);
    EXPECT_EQ(zoe.FindAttribute("displayname")->ValueText(0), "Zo\xc3\xab M\xc3\xbcller");
    // A SID holds zero bytes: S-1-5-21-a-b-c-RID, 28 bytes.
    const TQMLDAttribute* sid = zoe.FindAttribute("objectSid");
    ASSERT_NE(sid, nullptr);
    ASSERT_EQ(sid->Values.size(), 1u);
    EXPECT_EQ(sid->Values[0]->Size, 28u + 1);
    EXPECT_EQ(std::string(sid->Values[0]->Data.get(), 8), std::string("\1\5\0\0\0\0\0\5", 8));
    // Multi-valued, in the server's order.
    const TQMLDAttribute* classes = zoe.FindAttribute("objectClass");
    ASSERT_NE(classes, nullptr);
    ASSERT_GE(classes->Values.size(), 4u);
    EXPECT_EQ(classes->ValueText(0), "top");
    EXPECT_EQ(classes->ValueText(static_cast<int32_t>(classes->Values.size()) - 1), "user");
}

TEST_F(WindowsDomainTest, BrowserReadsTheRootAndListsChildren) {
    auto b = browser();
    std::vector<std::string> names = {"kept"}, values = {"kept"};
    ASSERT_EQ(b->ReadRootDSE(names, values), 0);
    ASSERT_EQ(names.size(), values.size());
    EXPECT_EQ(names[0], "kept");
    bool sawBase = false;
    for (size_t i = 0; i < names.size(); ++i)
        sawBase = sawBase || (_stricmp(names[i].c_str(), "defaultNamingContext") == 0 &&
                              values[i] == base);
    EXPECT_TRUE(sawBase);

    // Users and groups are listed with the containers; escaped names come back plain.
    b->SetBaseDN(dn("OU=Sales,OU=Staff"));
    std::vector<std::string> children, dns;
    ASSERT_EQ(b->ListChildren(children, dns), 0);
    ASSERT_EQ(children.size(), dns.size());
    std::sort(children.begin(), children.end());
    EXPECT_EQ(children,
              (std::vector<std::string>{"Sales Team", "Smith, John", "Zo\xc3\xab M\xc3\xbcller"}));

    b->SetBaseDN(dn("OU=Nowhere"));
    std::vector<std::string> none = {"kept"}, noDns = {"kept"};
    EXPECT_EQ(b->ListChildren(none, noDns), LDAP_NO_SUCH_OBJECT);
    EXPECT_EQ(none, std::vector<std::string>{"kept"});
}

TEST_F(WindowsDomainTest, ANameThatDoesNotResolveFailsAtConnectOrBind) {
    // Windows fails the connect; Wine's client only connects at the bind.
    TQMLDAP connection;
    const int32_t connected = connection.Connect("nothing-here.invalid");
    const int32_t bound = connection.Bind();
    EXPECT_TRUE(connected != 0 || bound != 0) << connected << " " << bound;
    EXPECT_NE(connection.LastResult, 0);
    connection.SetBaseDN(base);
    EXPECT_NE(connection.Search(), 0);
    EXPECT_TRUE(connection.Entries.empty());
}

} // namespace
