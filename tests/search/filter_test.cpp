#include "search/Filter.h"

#include "search/Settings.h"

#include <gtest/gtest.h>

namespace {

enum Field : unsigned {
    Name = 1,
    Display = 2,
    Surname = 4,
    First = 8,
    Phone = 16,
    Account = 32,
    Upn = 64,
};

void SetFlags(unsigned fields) {
    OptionsRec.SearchName = (fields & Name) ? 1 : 0;
    OptionsRec.SearchDisplayName = (fields & Display) ? 1 : 0;
    OptionsRec.SearchSurname = (fields & Surname) ? 1 : 0;
    OptionsRec.SearchFirstName = (fields & First) ? 1 : 0;
    OptionsRec.SearchTelephoneNumber = (fields & Phone) ? 1 : 0;
    OptionsRec.SearchSAMAccountName = (fields & Account) ? 1 : 0;
    OptionsRec.SearchUPN = (fields & Upn) ? 1 : 0;
}

TEST(BuildFilter, FollowsSearchTypeAndFlags) {
    struct Case {
        const char* text;
        int8_t type;
        unsigned fields;
        const char* expected;
    } cases[] = {
        {"smith", 1, Name, "(&(objectClass=user)(name=smith*))"},
        {"smith", 2, Name | Surname, "(&(objectClass=user)(|(name=*smith*)(sn=*smith*)))"},
        {"555", 0, Phone | Account | Upn,
         "(&(objectClass=user)(|(telephoneNumber=555)(sAMAccountName=555)"
         "(userPrincipalName=555)))"},
        {"anything", 1, 0, "(&(objectClass=user))"},
        {"", 0, 0, "(&(objectClass=user))"},
        {"", 0, Name, "(&(objectClass=user)(name=))"},
        {"", 1, Name, "(&(objectClass=user)(name=*))"},
        {"", 2, Name, "(&(objectClass=user)(name=*))"}, // "**" would be refused
        {" jo ", 1, Name, "(&(objectClass=user)(name= jo *))"},
        // Any other mode matches exactly; the byte keeps only 8 bits.
        {"smith", 3, Name, "(&(objectClass=user)(name=smith))"},
        {"smith", -1, Name, "(&(objectClass=user)(name=smith))"},
        // Parentheses and backslashes are escaped, an asterisk stays a wildcard.
        {"smi*", 0, Name, "(&(objectClass=user)(name=smi*))"},
        {"*ith", 2, Name, "(&(objectClass=user)(name=*ith*))"},
        {"a(b", 1, Name, "(&(objectClass=user)(name=a\\28b*))"},
        {"Smith, John (Sales)", 0, Display | Surname,
         "(&(objectClass=user)(|(displayName=Smith, John \\28Sales\\29)"
         "(sn=Smith, John \\28Sales\\29)))"},
        {"a\\2a", 0, Name, "(&(objectClass=user)(name=a\\5c2a))"},
        {")(|(sn=*", 1, Name, "(&(objectClass=user)(name=\\29\\28|\\28sn=*))"},
        {"Zo\xC3\xAB", 1, Surname, "(&(objectClass=user)(sn=Zo\xC3\xAB*))"},
        // Table order, whichever flags are on.
        {"x", 0, Upn | Name | First | Display,
         "(&(objectClass=user)(|(name=x)(displayName=x)(givenName=x)(userPrincipalName=x)))"},
        {"x", 1, Name | Display | Surname | First | Phone | Account | Upn,
         "(&(objectClass=user)(|(name=x*)(displayName=x*)(sn=x*)(givenName=x*)"
         "(telephoneNumber=x*)(sAMAccountName=x*)(userPrincipalName=x*)))"},
    };
    for (const Case& c : cases) {
        OptionsRec = TOptionsRec{};
        OptionsRec.SearchType = c.type;
        SetFlags(c.fields);
        EXPECT_EQ(BuildFilter(OptionsRec, c.text), c.expected)
            << "text '" << c.text << "' type " << int(c.type) << " fields " << c.fields;
    }
    OptionsRec = TOptionsRec{};
}

TEST(BuildFilter, ANulInTheTextIsEscapedNotTheEndOfTheFilter) {
    OptionsRec = TOptionsRec{};
    OptionsRec.SearchType = 0;
    SetFlags(Name);
    const std::string text("a\0b", 3);
    const std::string filter = BuildFilter(OptionsRec, text);
    EXPECT_EQ(filter, "(&(objectClass=user)(name=a\\00b))");
    EXPECT_EQ(filter.find('\0'), std::string::npos);
    OptionsRec = TOptionsRec{};
}

TEST(BuildFilter, AnyNonZeroFlagCountsAsOn) {
    OptionsRec = TOptionsRec{};
    OptionsRec.SearchType = 0;
    OptionsRec.SearchSurname = 5;
    OptionsRec.SearchUPN = -1;
    EXPECT_EQ(BuildFilter(OptionsRec, "x"), "(&(objectClass=user)(|(sn=x)(userPrincipalName=x)))");
    OptionsRec = TOptionsRec{};
}

} // namespace

// The dialog and the tests work on copies: the record passed counts, not the
// program's own.
TEST(BuildFilter, ReadsTheRecordItIsGiven) {
    OptionsRec = TOptionsRec{};
    TOptionsRec copy;
    copy.SearchType = 2;
    copy.SearchFirstName = 1;
    EXPECT_EQ(BuildFilter(copy, "an"), "(&(objectClass=user)(givenName=*an*))");
    EXPECT_EQ(BuildFilter(OptionsRec, "an"), "(&(objectClass=user))");
}
