// Cases the controller cannot show, against the side slapd: a size limit the
// server enforces, and objects without "name" or "distinguishedName".
#include "DirectoryTestSupport.h"
#include "directory/Cldap.h"

#include <gtest/gtest.h>
#include <ldap.h>

namespace {

class SideServerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(dirtest::requireSideServer(side));
        if (IsSkipped())
            GTEST_SKIP();
    }
    dirtest::SideServer side;
};

TEST_F(SideServerTest, SizeLimitKeepsTheEntriesThatArrived) {
    TQMLDAP connection;
    ASSERT_EQ(connection.Connect(side.host), 0);
    connection.SetFilter("(objectClass=*)");
    connection.SetBaseDN(side.base);
    connection.SetSearchChildren(1);
    connection.SetTimeLimit(30);
    ASSERT_EQ(connection.Search(), 0);
    const int32_t everything = connection.EntryCount;
    ASSERT_GT(everything, 3) << "the side server needs a few entries";
    EXPECT_FALSE(connection.Partial);

    connection.ClearResults();
    connection.SetSizeLimit(3);
    EXPECT_EQ(connection.Search(), 0);
    EXPECT_EQ(connection.LastResult, LDAP_SIZELIMIT_EXCEEDED);
    EXPECT_TRUE(connection.Partial);
    EXPECT_GT(connection.EntryCount, 0);
    EXPECT_LE(connection.EntryCount, 3);
    EXPECT_EQ(connection.Entries.size(), static_cast<size_t>(connection.EntryCount));
    for (const auto& entry : connection.Entries)
        EXPECT_FALSE(entry->DN.empty());
    // Search succeeded, yet the text describes the code the server sent.
    EXPECT_EQ(connection.ErrorText(), ldap_err2string(LDAP_SIZELIMIT_EXCEEDED));

    // A complete answer clears the flag again.
    connection.ClearResults();
    connection.SetSizeLimit(0);
    EXPECT_EQ(connection.Search(), 0);
    EXPECT_FALSE(connection.Partial);
    EXPECT_EQ(connection.EntryCount, everything);
}

// Here "name" comes back as its subtypes (cn, ou, sn ...) and
// "distinguishedname" as member, seeAlso and the like: each object must
// still give exactly one name and one DN.
TEST_F(SideServerTest, ListChildrenStaysParallelWithoutNameAttributes) {
    TQMLDAPBrowse browser;
    ASSERT_EQ(browser.Connect(side.host), 0);
    browser.SetBaseDN(side.base);
    std::vector<std::string> names, dns;
    ASSERT_EQ(browser.ListChildren(names, dns), 0);

    auto expected = dirtest::ldapsearch(
        side, {"-s", "one", "-b", side.base, "(objectClass=*)", "name", "distinguishedName"});
    ASSERT_FALSE(expected.empty());
    ASSERT_EQ(names.size(), expected.size());
    ASSERT_EQ(dns.size(), expected.size());
    size_t withoutName = 0;
    for (size_t i = 0; i < expected.size(); ++i) {
        dirtest::LdifRecord& record = expected[i];
        const std::string dn =
            record.count("distinguishedName") ? record["distinguishedName"][0] : record["dn"][0];
        std::string name;
        if (record.count("name")) {
            name = record["name"][0];
        } else {
            ++withoutName;
            LDAPDN parsed = nullptr;
            ASSERT_EQ(ldap_str2dn(dn.c_str(), &parsed, LDAP_DN_FORMAT_LDAPV3), LDAP_SUCCESS);
            name.assign(parsed[0][0]->la_value.bv_val, parsed[0][0]->la_value.bv_len);
            ldap_dnfree(parsed);
        }
        EXPECT_EQ(names[i], name) << dn;
        EXPECT_EQ(dns[i], dn);
    }
    EXPECT_GT(withoutName, 0u) << "no child of the side base lacks \"name\"";
}

} // namespace
