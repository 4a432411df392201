#include "directory/LdapBrowser.h"

#include "directory/LdapSession.h"

#include <ldap.h>

using namespace findaro::ldapsession;

namespace {
constexpr int kReadSeconds = 5;

std::string firstValue(LDAP* ld, LDAPMessage* entry, const char* attribute, bool& found) {
    found = false;
    ValuesPtr values{ldap_get_values_len(ld, entry, attribute)};
    if (!values || values.get()[0] == nullptr)
        return {};
    found = true;
    const struct berval* v = values.get()[0];
    return std::string(v->bv_val, v->bv_len);
}

// The unescaped value of the DN's first RDN ("Smith, John" for
// "CN=Smith\, John,OU=Sales,..."), or the DN itself when it does not parse.
std::string firstRdnValue(const std::string& dn) {
    LDAPDN parsed = nullptr;
    if (ldap_str2dn(dn.c_str(), &parsed, LDAP_DN_FORMAT_LDAPV3) != LDAP_SUCCESS)
        return dn;
    DnPtr owner(parsed);
    if (parsed == nullptr || parsed[0] == nullptr || parsed[0][0] == nullptr)
        return dn;
    const struct berval& value = parsed[0][0]->la_value;
    return std::string(value.bv_val, value.bv_len);
}
// One read bounded by kReadSeconds, shared by both operations: settles
// LastResult, Partial, SearchResult and EntryCount. False when the read
// failed; a size-limited answer counts as read.
bool boundedRead(TQMLDAPBrowse& browser, const char* base, int scope, char** attributes,
                 MessagePtr& answer) {
    browser.Partial = false;
    browser.SearchResult = nullptr;
    if (browser.Connection == nullptr) {
        browser.LastResult = kNoHandle;
        return false;
    }
    struct timeval wait = {kReadSeconds, 0};
    LDAPMessage* raw = nullptr;
    browser.LastResult =
        ldap_search_st(browser.Connection, base, scope, nullptr, attributes, 0, &wait, &raw);
    answer.reset(raw);
    if (browser.LastResult == LDAP_SIZELIMIT_EXCEEDED)
        browser.Partial = true;
    else if (browser.LastResult != LDAP_SUCCESS)
        return false;
    browser.SearchResult = raw;
    browser.EntryCount = answer ? ldap_count_entries(browser.Connection, raw) : 0;
    return true;
}
} // namespace

TQMLDAPBrowse::TQMLDAPBrowse() = default;

TQMLDAPBrowse::~TQMLDAPBrowse() {
    if (Connection != nullptr)
        ldap_unbind(Connection);
}

int32_t TQMLDAPBrowse::Connect(const std::string& hostName) {
    return connectHost(hostName, Connection, LastResult);
}

int32_t TQMLDAPBrowse::Bind() {
    LastResult = bindAsUser(Connection);
    return LastResult;
}

int32_t TQMLDAPBrowse::SetBaseDN(const std::string& dn) {
    BaseDN = dn;
    return 0;
}

int32_t TQMLDAPBrowse::ListChildren(std::vector<std::string>& names,
                                    std::vector<std::string>& dns) {
    char nameAttr[] = "name";
    char dnAttr[] = "distinguishedname";
    char* attributes[] = {nameAttr, dnAttr, nullptr};
    MessagePtr answer;
    if (!boundedRead(*this, BaseDN.c_str(), LDAP_SCOPE_ONELEVEL, attributes, answer))
        return LastResult;
    LDAPMessage* raw = answer.get();
    // Exactly one name and one DN per object, so the lists stay parallel
    // whatever the server sends: a missing "name" falls back to the first RDN,
    // a missing "distinguishedName" to the entry's own DN.
    for (LDAPMessage* e = ldap_first_entry(Connection, raw); e != nullptr;
         e = ldap_next_entry(Connection, e)) {
        std::string name, dn;
        bool haveName = false, haveDn = false;
        BerElement* rawBer = nullptr;
        MemPtr attribute{ldap_first_attribute(Connection, e, &rawBer)};
        BerPtr ber(rawBer);
        for (; attribute; attribute.reset(ldap_next_attribute(Connection, e, rawBer))) {
            bool found = false;
            if (!haveName && equalsAsciiNoCase(attribute.get(), "name")) {
                name = firstValue(Connection, e, attribute.get(), found);
                haveName = found;
            } else if (!haveDn && equalsAsciiNoCase(attribute.get(), "distinguishedName")) {
                dn = firstValue(Connection, e, attribute.get(), found);
                haveDn = found;
            }
        }
        if (!haveDn) {
            MemPtr entryDn{ldap_get_dn(Connection, e)};
            dn = entryDn ? entryDn.get() : "";
        }
        if (!haveName)
            name = firstRdnValue(dn);
        names.push_back(std::move(name));
        dns.push_back(std::move(dn));
    }
    SearchResult = nullptr;
    return 0;
}

int32_t TQMLDAPBrowse::ReadRootDSE(std::vector<std::string>& names,
                                   std::vector<std::string>& values) {
    // The root entry is the empty DN; a null base would let libldap put its
    // configured default base (BASE in ldap.conf) in its place.
    MessagePtr answer;
    if (!boundedRead(*this, "", LDAP_SCOPE_BASE, nullptr, answer))
        return LastResult;
    LDAPMessage* raw = answer.get();
    for (LDAPMessage* e = ldap_first_entry(Connection, raw); e != nullptr;
         e = ldap_next_entry(Connection, e)) {
        BerElement* rawBer = nullptr;
        MemPtr attribute{ldap_first_attribute(Connection, e, &rawBer)};
        BerPtr ber(rawBer);
        for (; attribute; attribute.reset(ldap_next_attribute(Connection, e, rawBer))) {
            bool found = false;
            std::string value = firstValue(Connection, e, attribute.get(), found);
            if (!found)
                continue;
            names.emplace_back(attribute.get());
            values.push_back(std::move(value));
        }
    }
    SearchResult = nullptr;
    return 0;
}
