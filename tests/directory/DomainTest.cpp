// The connection and the browser against the test domain's real controller,
// bound with the test user's Kerberos ticket.
#include "BoundConnections.h"
#include "DirectoryTestSupport.h"
#include "directory/Cldap.h"

#include <gtest/gtest.h>
#include <ldap.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using dirtest::Domain;

class DomainTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(dirtest::requireDomain(domain)); }

    std::unique_ptr<TQMLDAP> bound(std::initializer_list<const char*> attributes = {}) {
        return dirtest::boundConnection(domain.dc, attributes);
    }
    std::unique_ptr<TQMLDAPBrowse> browser() { return dirtest::boundBrowser(domain.dc); }

    std::string dn(const std::string& relative) const {
        return relative.empty() ? domain.base : relative + "," + domain.base;
    }

    Domain domain;
};

std::vector<std::string> entryDns(const TQMLDAP& connection, size_t from = 0) {
    std::vector<std::string> dns;
    for (size_t i = from; i < connection.Entries.size(); ++i)
        dns.push_back(connection.Entries[i]->DN);
    return dns;
}

std::string bytesOf(const TQMLDAttribute* attribute, size_t index = 0) {
    if (attribute == nullptr || index >= attribute->Values.size())
        return "<none>";
    const TQMLDAttributeValue& v = *attribute->Values[index];
    return std::string(v.Data.get(), v.Size - 1);
}

TEST_F(DomainTest, BindNeedsTheUsersTicket) {
    auto withTicket = bound();
    EXPECT_EQ(withTicket->LastResult, 0);
    withTicket->Unbind();

    // No credentials cache: the bind has nothing to authenticate with.
    const char* saved = std::getenv("KRB5CCNAME");
    std::string restore = saved != nullptr ? saved : "";
    setenv("KRB5CCNAME", "FILE:/nonexistent/findaro-no-ticket", 1);
    TQMLDAP withoutTicket;
    ASSERT_EQ(withoutTicket.Connect(domain.dc), 0);
    int32_t rc = withoutTicket.Bind();
    EXPECT_NE(rc, 0);
    EXPECT_EQ(withoutTicket.LastResult, rc);
    EXPECT_STRNE(withoutTicket.ErrorText().c_str(), ldap_err2string(0));
    // An unauthenticated connection must not see the people either.
    withoutTicket.SetFilter("(sAMAccountName=zmueller)");
    withoutTicket.SetBaseDN(domain.base);
    withoutTicket.SetSearchChildren(1);
    withoutTicket.Search();
    EXPECT_TRUE(withoutTicket.Entries.empty());
    withoutTicket.Unbind();
    setenv("KRB5CCNAME", restore.c_str(), 1);
}

TEST_F(DomainTest, SearchesAccumulateUntilCleared) {
    auto connection = bound({"cn"});
    connection->SetFilter("(objectClass=user)");
    connection->SetBaseDN(dn("OU=Bulk2"));
    ASSERT_EQ(connection->Search(), 0);
    ASSERT_EQ(connection->EntryCount, 50);

    connection->SetBaseDN(dn("OU=Sales,OU=Staff"));
    ASSERT_EQ(connection->Search(), 0);
    EXPECT_EQ(connection->EntryCount, 2);
    ASSERT_EQ(connection->Entries.size(), 52u);
    std::vector<std::string> sales = entryDns(*connection, 50);
    std::sort(sales.begin(), sales.end());
    EXPECT_EQ(sales,
              (std::vector<std::string>{dn("CN=Smith\\, John,OU=Sales,OU=Staff"),
                                        dn("CN=Zo\xc3\xab M\xc3\xbcller,OU=Sales,OU=Staff")}));
    EXPECT_NE(connection->GetEntry(51), nullptr);
    EXPECT_EQ(connection->GetEntry(52), nullptr);
    EXPECT_EQ(connection->GetEntry(-1), nullptr);

    // A failed search reports the server's code and keeps what was collected.
    connection->SetBaseDN(dn("OU=Nowhere"));
    EXPECT_EQ(connection->Search(), LDAP_NO_SUCH_OBJECT);
    EXPECT_EQ(connection->LastResult, LDAP_NO_SUCH_OBJECT);
    EXPECT_EQ(connection->ErrorText(), ldap_err2string(LDAP_NO_SUCH_OBJECT));
    EXPECT_EQ(connection->Entries.size(), 52u);
    EXPECT_EQ(connection->EntryCount, 2);

    EXPECT_EQ(connection->ClearResults(), 0);
    EXPECT_TRUE(connection->Entries.empty());
    EXPECT_EQ(connection->EntryCount, 2);
}

// The controller sends every entry whatever size limit the client asks
// for; the connection still stops at the limit, as a server would.
TEST_F(DomainTest, SizeLimitHoldsAgainstAServerThatIgnoresIt) {
    auto connection = bound({"cn"});
    connection->SetFilter("(objectClass=user)");
    connection->SetBaseDN(dn("OU=Bulk1"));
    ASSERT_EQ(connection->Search(), 0);
    ASSERT_EQ(connection->EntryCount, 50);
    EXPECT_FALSE(connection->Partial);
    const std::vector<std::string> all = entryDns(*connection);

    connection->ClearResults();
    connection->SetSizeLimit(10);
    EXPECT_EQ(connection->Search(), 0);
    EXPECT_EQ(connection->LastResult, LDAP_SIZELIMIT_EXCEEDED);
    EXPECT_TRUE(connection->Partial);
    EXPECT_EQ(connection->EntryCount, 10);
    EXPECT_EQ(entryDns(*connection), std::vector<std::string>(all.begin(), all.begin() + 10));
    EXPECT_EQ(connection->ErrorText(), ldap_err2string(LDAP_SIZELIMIT_EXCEEDED));

    // A limit the answer stays within changes nothing.
    connection->ClearResults();
    connection->SetSizeLimit(50);
    EXPECT_EQ(connection->Search(), 0);
    EXPECT_EQ(connection->LastResult, 0);
    EXPECT_FALSE(connection->Partial);
    EXPECT_EQ(connection->EntryCount, 50);
}

TEST_F(DomainTest, RequestedAttributesOrEveryUserAttribute) {
    auto some = bound({"department", "telephoneNumber"});
    auto all = bound();
    for (TQMLDAP* c : {some.get(), all.get()}) {
        c->SetFilter("(sAMAccountName=jasmith)");
        c->SetBaseDN(domain.base);
        ASSERT_EQ(c->Search(), 0);
        ASSERT_EQ(c->EntryCount, 1);
    }
    const TQMLDObject& few = *some->GetEntry(0);
    const TQMLDObject& every = *all->GetEntry(0);
    EXPECT_EQ(few.DN, dn("CN=Jane Smith,OU=Engineering,OU=Staff"));
    EXPECT_EQ(every.DN, few.DN);
    EXPECT_EQ(few.Attributes.size(), 2u);
    for (const char* name : {"department", "telephoneNumber", "mobile", "ipPhone", "pager",
                             "physicalDeliveryOfficeName", "company", "objectSid", "objectClass",
                             "sAMAccountName", "whenCreated"})
        EXPECT_NE(every.FindAttribute(name), nullptr) << name;
    EXPECT_EQ(every.FindAttribute("DEPARTMENT")->ValueText(0), "Engineering");
    // objectClass is multi-valued and keeps the server's order.
    const TQMLDAttribute* classes = every.FindAttribute("objectClass");
    ASSERT_GE(classes->Values.size(), 4u);
    EXPECT_EQ(classes->ValueText(0), "top");
    EXPECT_EQ(classes->ValueText(static_cast<int32_t>(classes->Values.size()) - 1), "user");
}

TEST_F(DomainTest, BinaryValuesAreHeldByteForByte) {
    auto connection = bound({"objectSid"});
    connection->SetFilter("(|(sAMAccountName=tester)(objectClass=domainDNS))");
    connection->SetBaseDN(domain.base);
    ASSERT_EQ(connection->Search(), 0);
    ASSERT_EQ(connection->EntryCount, 2);
    const TQMLDObject* user = nullptr;
    const TQMLDObject* dom = nullptr;
    for (const auto& e : connection->Entries)
        (e->DN == domain.base ? dom : user) = e.get();
    ASSERT_TRUE(user != nullptr && dom != nullptr);

    std::string sid = bytesOf(user->FindAttribute("objectSid"));
    std::string domainSid = bytesOf(dom->FindAttribute("objectSid"));
    // S-1-5-21-a-b-c-RID: revision 1, five sub-authorities, authority 5, and
    // the domain's own SID (four sub-authorities) as prefix.
    ASSERT_EQ(sid.size(), 8u + 5 * 4);
    ASSERT_EQ(domainSid.size(), 8u + 4 * 4);
    EXPECT_EQ(sid[0], 1);
    EXPECT_EQ(sid[1], 5);
    EXPECT_EQ(sid.substr(2, 6), std::string("\0\0\0\0\0\5", 6));
    EXPECT_EQ(sid.substr(8, 16), domainSid.substr(8, 16));
    EXPECT_EQ(user->FindAttribute("objectSid")->Values[0]->Data[sid.size()], '\0');

    // The same bytes as an independent client reads them.
    auto records =
        dirtest::ldapsearch(domain, {"-b", domain.base, "(sAMAccountName=tester)", "objectSid"});
    ASSERT_EQ(records.size(), 1u);
    ASSERT_EQ(records[0]["objectSid"].size(), 1u);
    EXPECT_EQ(records[0]["objectSid"][0], sid);
}

TEST_F(DomainTest, Utf8ArrivesByteForByte) {
    auto connection = bound({"displayName", "givenName", "sn", "physicalDeliveryOfficeName"});
    // The filter carries UTF-8 as well.
    connection->SetFilter("(displayName=Zo\xc3\xab M\xc3\xbcller)");
    connection->SetBaseDN(dn("OU=Staff"));
    ASSERT_EQ(connection->Search(), 0);
    ASSERT_EQ(connection->EntryCount, 1);
    const TQMLDObject& zoe = *connection->GetEntry(0);
    EXPECT_EQ(zoe.DN, dn("CN=Zo\xc3\xab M\xc3\xbcller,OU=Sales,OU=Staff"));
    EXPECT_EQ(zoe.FindAttribute("displayname")->ValueText(0), "Zo\xc3\xab M\xc3\xbcller");
    EXPECT_EQ(zoe.FindAttribute("givenName")->ValueText(0), "Zo\xc3\xab");
    EXPECT_EQ(zoe.FindAttribute("sn")->ValueText(0), "M\xc3\xbcller");
    EXPECT_EQ(zoe.FindAttribute("physicalDeliveryOfficeName")->ValueText(0), "Berlin 2.14");
}

TEST_F(DomainTest, RootEntryGivesFirstValuesOnly) {
    auto b = browser();
    std::vector<std::string> names = {"kept"}, values = {"kept"};
    ASSERT_EQ(b->ReadRootDSE(names, values), 0);
    ASSERT_EQ(names.size(), values.size());
    EXPECT_EQ(names[0], "kept");
    EXPECT_EQ(b->EntryCount, 1);

    auto at = [&](const char* wanted) -> std::string {
        for (size_t i = 0; i < names.size(); ++i)
            if (strcasecmp(names[i].c_str(), wanted) == 0)
                return values[i];
        return "<none>";
    };
    EXPECT_EQ(at("defaultnamingcontext"), domain.base);
    EXPECT_EQ(std::count(names.begin(), names.end(), "namingContexts"), 1);

    auto root =
        dirtest::ldapsearch(domain, {"-s", "base", "-b", "", "(objectClass=*)", "namingContexts"});
    ASSERT_EQ(root.size(), 1u);
    const std::vector<std::string>& contexts = root[0]["namingContexts"];
    ASSERT_GT(contexts.size(), 1u);
    EXPECT_EQ(at("namingContexts"), contexts[0]);
}

TEST_F(DomainTest, ListChildrenInServerOrder) {
    auto b = browser();
    for (const char* container : {"OU=Staff", "OU=Sales,OU=Staff", "CN=Users"}) {
        SCOPED_TRACE(container);
        b->SetBaseDN(dn(container));
        std::vector<std::string> names, dns;
        ASSERT_EQ(b->ListChildren(names, dns), 0);

        auto expected = dirtest::ldapsearch(
            domain, {"-s", "one", "-b", dn(container), "(objectClass=*)", "name"});
        ASSERT_FALSE(expected.empty());
        ASSERT_EQ(names.size(), expected.size());
        ASSERT_EQ(dns.size(), expected.size());
        EXPECT_EQ(b->EntryCount, static_cast<int32_t>(expected.size()));
        for (size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(dns[i], expected[i]["dn"].at(0));
            EXPECT_EQ(names[i], expected[i]["name"].at(0));
        }
    }

    // Users and groups are listed with the containers; escaped names come back plain.
    b->SetBaseDN(dn("OU=Sales,OU=Staff"));
    std::vector<std::string> names, dns;
    ASSERT_EQ(b->ListChildren(names, dns), 0);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names,
              (std::vector<std::string>{"Sales Team", "Smith, John", "Zo\xc3\xab M\xc3\xbcller"}));
}

TEST_F(DomainTest, ListChildrenOfEmptyOrMissingContainer) {
    auto b = browser();
    struct Case {
        const char* container;
        int32_t expected;
    } cases[] = {{"OU=Empty", 0}, {"OU=Nowhere", LDAP_NO_SUCH_OBJECT}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.container);
        b->SetBaseDN(dn(c.container));
        std::vector<std::string> names = {"kept"}, dns = {"kept"};
        EXPECT_EQ(b->ListChildren(names, dns), c.expected);
        EXPECT_EQ(b->LastResult, c.expected);
        EXPECT_EQ(names, std::vector<std::string>{"kept"});
        EXPECT_EQ(dns, std::vector<std::string>{"kept"});
    }
}

// A controller name that resolves, so the Kerberos ticket is real, on a port
// where the peer accepts and never answers: the bind ends in the client's
// time-out rather than waiting for ever.
TEST_F(DomainTest, SilentPeerBindTimesOut) {
    dirtest::SilentListener silent(domain.dcIp);
    TQMLDAP connection;
    ASSERT_EQ(connection.Connect(domain.dc + ":" + std::to_string(silent.port())), 0);
    dirtest::Stopwatch watch;
    EXPECT_EQ(connection.Bind(), LDAP_TIMEOUT);
    EXPECT_LT(watch.seconds(), 10 + 3.0);

    TQMLDAPBrowse browser;
    ASSERT_EQ(browser.Connect(domain.dc + ":" + std::to_string(silent.port())), 0);
    dirtest::Stopwatch browse;
    EXPECT_EQ(browser.Bind(), LDAP_TIMEOUT);
    EXPECT_LT(browse.seconds(), 10 + 3.0);
}

// The controller stops once the connection is made, and the ticket cache holds
// no service ticket for the host as named (its address): the Kerberos library
// then asks the stopped KDC, which on its own retries for some 27 s. The bind
// still ends within its bound, for both classes.
TEST_F(DomainTest, BindEndsWithinItsBoundWithTheControllerStopped) {
    TQMLDAP connection;
    TQMLDAPBrowse browser;
    ASSERT_EQ(connection.Connect(domain.dcIp), 0);
    ASSERT_EQ(browser.Connect(domain.dcIp), 0);
    dirtest::StoppedController stopped;
    ASSERT_TRUE(stopped.stopped());
    dirtest::Stopwatch search;
    const int32_t searchBind = connection.Bind();
    const double searchSeconds = search.seconds();
    dirtest::Stopwatch browse;
    const int32_t browseBind = browser.Bind();
    const double browseSeconds = browse.seconds();
    stopped.resume();
    RecordProperty("searchBindSeconds", std::to_string(searchSeconds));
    RecordProperty("browseBindSeconds", std::to_string(browseSeconds));

    EXPECT_EQ(searchBind, LDAP_TIMEOUT);
    EXPECT_EQ(connection.LastResult, LDAP_TIMEOUT);
    EXPECT_LT(searchSeconds, 10 + 2.0);
    EXPECT_EQ(browseBind, LDAP_TIMEOUT);
    EXPECT_LT(browseSeconds, 10 + 2.0);
    // Nothing more goes over a connection whose bind was given up.
    EXPECT_FALSE(connection.Connection);
    EXPECT_NE(connection.Search(), 0);
}

// samba-tool as the harness's administrator; true when it succeeded.
bool SambaTool(const std::string& arguments) {
    std::string command =
        "samba-tool " + arguments + " -U \"Administrator%$FINDARO_TEST_ADMIN_PASSWORD\"";
    if (std::getenv("FINDARO_TEST_SMBCONF") != nullptr)
        command += " -s \"$FINDARO_TEST_SMBCONF\"";
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

std::vector<std::string> accountNames(const std::vector<dirtest::LdifRecord>& records) {
    std::vector<std::string> names;
    for (const auto& record : records)
        if (auto found = record.find("sAMAccountName"); found != record.end())
            names.push_back(found->second.at(0));
    std::sort(names.begin(), names.end());
    return names;
}

// From the domain's root the controller also answers with references to its
// other partitions at ldap://<domain>/ (configuration, DNS zones). Followed
// on connections of their own they must be bound as the user, as the first
// connection was: an anonymous search there is refused (code 1). Here the
// controller also answers to the domain's name as a service, so that the
// user's ticket can bind the referred connections.
TEST_F(DomainTest, ReferralsFromTheRootAreFollowedAsTheUser) {
    const auto expected = accountNames(
        dirtest::ldapsearch(domain, {"-b", domain.base, "(objectClass=user)", "sAMAccountName"}));
    ASSERT_GT(expected.size(), 50u);
    const char* dnsDomain = std::getenv("FINDARO_TEST_DOMAIN");
    ASSERT_NE(dnsDomain, nullptr);
    const std::string spn = std::string("ldap/") + dnsDomain;
    // The tickets this test gets stay in a copy of the user's cache, so that
    // the other tests still see a domain name that no ticket serves.
    const char* cache = std::getenv("KRB5CCNAME");
    ASSERT_NE(cache, nullptr);
    const std::string original = cache;
    const std::string copy = ::testing::TempDir() + "/findaro-referral-test.cc";
    ASSERT_EQ(original.rfind("FILE:", 0), 0u);
    std::filesystem::copy_file(original.substr(5), copy,
                               std::filesystem::copy_options::overwrite_existing);
    setenv("KRB5CCNAME", ("FILE:" + copy).c_str(), 1);
    ASSERT_TRUE(SambaTool("spn add " + spn + " 'DC1$'"));
    auto connection = bound({"sAMAccountName"});
    connection->SetReferrals(1);
    connection->SetFilter("(objectClass=user)");
    connection->SetBaseDN(domain.base);
    const int32_t rc = connection->Search();
    SambaTool("spn delete " + spn + " 'DC1$'");
    setenv("KRB5CCNAME", original.c_str(), 1);

    ASSERT_EQ(rc, 0) << connection->ErrorText();
    std::vector<std::string> found;
    for (const auto& entry : connection->Entries)
        if (const TQMLDAttribute* name = entry->FindAttribute("sAMAccountName"))
            found.push_back(name->ValueText(0));
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, expected);
}

// A referred server that refuses the user's bind (here the controller under
// the domain's name, which no service principal names, so that no ticket can
// be had for it) fails the container search with the bind's code; it neither
// hangs until the search's wait has passed nor passes for a success.
TEST_F(DomainTest, AReferralThatRefusesTheBindFailsTheSearch) {
    auto connection = bound({"sAMAccountName"});
    connection->SetReferrals(1);
    connection->SetFilter("(objectClass=user)");
    connection->SetBaseDN(domain.base);
    dirtest::Stopwatch watch;
    const int32_t rc = connection->Search();
    EXPECT_EQ(rc, LDAP_LOCAL_ERROR) << connection->ErrorText(); // the GSSAPI step failed
    EXPECT_EQ(connection->LastResult, rc);
    EXPECT_LT(watch.seconds(), 10 + 3.0);
    EXPECT_TRUE(connection->Entries.empty());
}

// A reference to a server that cannot be reached fails the container search
// too: libldap alone drops such a reference and reports a success without
// the entries behind it. Here the domain's name, which the controller's
// references name, is moved in the domain's DNS to an address where nothing
// listens.
TEST_F(DomainTest, AReferralToAnUnreachableServerFailsTheSearch) {
    const char* zone = std::getenv("FINDARO_TEST_DOMAIN");
    ASSERT_NE(zone, nullptr);
    const auto dns = [&](const std::string& verb, const std::string& address) {
        return SambaTool("dns " + verb + " " + domain.dc + " " + zone + " @ A " + address);
    };
    const std::string nowhere = "127.0.0.250";
    ASSERT_TRUE(dns("add", nowhere));
    ASSERT_TRUE(dns("delete", domain.dcIp));
    auto connection = bound({"sAMAccountName"});
    connection->SetReferrals(1);
    connection->SetFilter("(objectClass=user)");
    connection->SetBaseDN(domain.base);
    dirtest::Stopwatch watch;
    const int32_t rc = connection->Search();
    const double seconds = watch.seconds();
    EXPECT_TRUE(dns("add", domain.dcIp));
    EXPECT_TRUE(dns("delete", nowhere));

    EXPECT_EQ(rc, LDAP_SERVER_DOWN) << connection->ErrorText();
    EXPECT_EQ(connection->LastResult, rc);
    EXPECT_TRUE(connection->Entries.empty());
    EXPECT_LT(seconds, 30.0); // each connection attempt is bounded; no hang
}

} // namespace
