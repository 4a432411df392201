#include "directory/LdapBrowser.h"

#include "directory/LdapSession.h"

#include "base/AsciiCase.h"

using findaro::EqualsAsciiNoCase;
using namespace findaro::ldapsession;

namespace {
constexpr int kReadSeconds = 5;

bool firstValue(struct berval** values, std::string& text) {
    if (values == nullptr || values[0] == nullptr)
        return false;
    text.assign(values[0]->bv_val, values[0]->bv_len);
    return true;
}
} // namespace

TQMLDAPBrowse::TQMLDAPBrowse() = default;

TQMLDAPBrowse::~TQMLDAPBrowse() = default;

int32_t TQMLDAPBrowse::SetBaseDN(const std::string& dn) {
    BaseDN = dn;
    return 0;
}

// The read both operations share, bounded by kReadSeconds: settles
// LastResult, Partial, SearchResult and EntryCount. False when the read
// failed; a size-limited answer counts as read.
bool TQMLDAPBrowse::Read(const char* base, int scope, char** attributes) {
    Partial = false;
    LastResult =
        boundedRead(Connection.get(), base, scope, nullptr, attributes, kReadSeconds, SearchResult);
    if (LastResult == LDAP_SIZELIMIT_EXCEEDED)
        Partial = true;
    else if (LastResult != LDAP_SUCCESS) {
        SearchResult.reset();
        return false;
    }
    EntryCount = SearchResult ? ldap_count_entries(Connection.get(), SearchResult.get()) : 0;
    return true;
}

int32_t TQMLDAPBrowse::ListChildren(std::vector<std::string>& names,
                                    std::vector<std::string>& dns) {
    char nameAttr[] = "name";
    char dnAttr[] = "distinguishedname";
    char* attributes[] = {nameAttr, dnAttr, nullptr};
    if (!Read(BaseDN.c_str(), LDAP_SCOPE_ONELEVEL, attributes))
        return LastResult;
    LDAP* ld = Connection.get();
    // Exactly one name and one DN per object, so the lists stay parallel
    // whatever the server sends: a missing "name" falls back to the first RDN,
    // a missing "distinguishedName" to the entry's own DN.
    forEachEntry(ld, SearchResult.get(), [&](LDAPMessage* e) {
        std::string name, dn;
        bool haveName = false, haveDn = false;
        forEachAttribute(ld, e, [&](const char* attribute, struct berval** values) {
            if (!haveName && EqualsAsciiNoCase(attribute, "name"))
                haveName = firstValue(values, name);
            else if (!haveDn && EqualsAsciiNoCase(attribute, "distinguishedName"))
                haveDn = firstValue(values, dn);
        });
        if (!haveDn)
            dn = entryDn(ld, e);
        if (!haveName)
            name = firstRdnValue(dn);
        names.push_back(std::move(name));
        dns.push_back(std::move(dn));
        return true;
    });
    SearchResult.reset();
    return 0;
}

int32_t TQMLDAPBrowse::ReadRootDSE(std::vector<std::string>& names,
                                   std::vector<std::string>& values) {
    // The root entry is the empty DN; a null base would let libldap put its
    // configured default base (BASE in ldap.conf) in its place.
    if (!Read("", LDAP_SCOPE_BASE, nullptr))
        return LastResult;
    LDAP* ld = Connection.get();
    forEachEntry(ld, SearchResult.get(), [&](LDAPMessage* e) {
        forEachAttribute(ld, e, [&](const char* attribute, struct berval** attributeValues) {
            std::string value;
            if (!firstValue(attributeValues, value))
                return;
            names.emplace_back(attribute);
            values.push_back(std::move(value));
        });
        return true;
    });
    SearchResult.reset();
    return 0;
}

int32_t TQMLDAPBrowse::SetReferrals(bool chase) {
    if (!Connection)
        return kNoHandle;
    // A switch, not a pointer to a number (see TQMLDAP::SetReferrals).
    return ldap_set_option(Connection.get(), LDAP_OPT_REFERRALS, chase ? LDAP_OPT_ON : LDAP_OPT_OFF);
}

std::string LdapResultText(int32_t code) {
    const char* text = ldap_err2string(code);
    return text != nullptr ? text : std::string();
}
