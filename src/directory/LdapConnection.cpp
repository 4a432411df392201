#include "directory/LdapConnection.h"

#include "directory/LdapSession.h"

#include <ldap.h>

using namespace findaro::ldapsession;

namespace {
// The server stops a search at its time limit and then still has to send the
// answer; allow for that on top of the limit before the client gives up.
constexpr int kSearchWaitMarginSeconds = 10;
// With no time limit the server may run as long as its own policy lets it;
// the client still must not wait for ever on a server that went silent.
constexpr int kUnlimitedSearchWaitSeconds = 300;
} // namespace

TQMLDAP::TQMLDAP() = default;

TQMLDAP::~TQMLDAP() {
    ClearResults();
    // A handle nobody unbound would be lost with the object; close it here.
    Unbind();
}

int32_t TQMLDAP::Connect(const std::string& hostName) {
    return connectHost(hostName, Connection, LastResult);
}

int32_t TQMLDAP::Bind() {
    LastResult = bindAsUser(Connection);
    return LastResult;
}

int32_t TQMLDAP::AddAttribute(const std::string& name) {
    AttributeNames.push_back(name);
    return 0;
}

int32_t TQMLDAP::SetFilter(const std::string& filter) {
    Filter = filter;
    return 0;
}

// The two limits go to the handle as pointers to 32-bit integers, and are
// kept here: the client-side wait and the held size limit use them.
int32_t TQMLDAP::SetLimit(int option, int32_t value, int32_t& kept) {
    if (Connection == nullptr)
        return kNoHandle;
    kept = value;
    int32_t passed = value;
    return ldap_set_option(Connection, option, &passed);
}

int32_t TQMLDAP::SetSizeLimit(int32_t count) {
    return SetLimit(LDAP_OPT_SIZELIMIT, count, sizeLimit_);
}

int32_t TQMLDAP::ClearResults() {
    Entries.clear();
    return 0;
}

int32_t TQMLDAP::SetBaseDN(const std::string& dn) {
    BaseDN = dn;
    return 0;
}

int32_t TQMLDAP::SetSearchChildren(int32_t flag) {
    Scope = flag != 0 ? LDAP_SCOPE_SUBTREE : LDAP_SCOPE_ONELEVEL;
    return 0;
}

int32_t TQMLDAP::SetReferrals(int32_t flag) {
    if (Connection == nullptr)
        return kNoHandle;
    // libldap reads this option's argument as a switch (null pointer off,
    // any other pointer on), not as a pointer to a number: a pointer to 0
    // would turn chasing on.
    return ldap_set_option(Connection, LDAP_OPT_REFERRALS, flag != 0 ? LDAP_OPT_ON : LDAP_OPT_OFF);
}

int32_t TQMLDAP::SetTimeLimit(int32_t seconds) {
    return SetLimit(LDAP_OPT_TIMELIMIT, seconds, timeLimit_);
}

int32_t TQMLDAP::Search() {
    Partial = false;
    if (Connection == nullptr) {
        LastResult = kNoHandle;
        return LastResult;
    }

    std::vector<char*> names;
    names.reserve(AttributeNames.size() + 1);
    for (const std::string& name : AttributeNames)
        names.push_back(const_cast<char*>(name.c_str()));
    names.push_back(nullptr);

    setClientWait(Connection, timeLimit_ > 0 ? timeLimit_ + kSearchWaitMarginSeconds
                                             : kUnlimitedSearchWaitSeconds);

    LDAPMessage* raw = nullptr;
    LastResult =
        ldap_search_s(Connection, BaseDN.c_str(), Scope, Filter.c_str(), names.data(), 0, &raw);
    MessagePtr answer(raw);
    SearchResult = raw;
    if (LastResult == LDAP_SIZELIMIT_EXCEEDED || LastResult == LDAP_PARTIAL_RESULTS)
        Partial = true;
    if (LastResult != LDAP_SUCCESS && !Partial) {
        SearchResult = nullptr;
        return LastResult;
    }

    EntryCount = answer ? ldap_count_entries(Connection, raw) : 0;
    // The size limit is only a request, and some servers (Samba's among them)
    // send every entry regardless. Such an answer is taken as if the server
    // had stopped at the limit, so callers see one behaviour everywhere.
    if (sizeLimit_ > 0 && EntryCount > sizeLimit_) {
        EntryCount = sizeLimit_;
        LastResult = LDAP_SIZELIMIT_EXCEEDED;
        Partial = true;
    }
    int32_t collected = 0;
    for (LDAPMessage* e = ldap_first_entry(Connection, raw); e != nullptr && collected < EntryCount;
         e = ldap_next_entry(Connection, e), ++collected) {
        auto entry = std::make_unique<TQMLDObject>();
        if (MemPtr dn{ldap_get_dn(Connection, e)})
            entry->DN = dn.get();

        BerElement* rawBer = nullptr;
        MemPtr attributeName{ldap_first_attribute(Connection, e, &rawBer)};
        BerPtr ber(rawBer);
        for (; attributeName; attributeName.reset(ldap_next_attribute(Connection, e, rawBer))) {
            auto attribute = std::make_unique<TQMLDAttribute>();
            attribute->Name = attributeName.get();
            if (ValuesPtr values{ldap_get_values_len(Connection, e, attributeName.get())}) {
                for (struct berval** v = values.get(); *v != nullptr; ++v) {
                    auto value = std::make_unique<TQMLDAttributeValue>();
                    value->SetValue((*v)->bv_val, static_cast<uint32_t>((*v)->bv_len));
                    attribute->Values.push_back(std::move(value));
                }
            }
            entry->Attributes.push_back(std::move(attribute));
        }
        Entries.push_back(std::move(entry));
    }
    SearchResult = nullptr;
    return 0;
}

TQMLDObject* TQMLDAP::GetEntry(int32_t index) const {
    if (index < 0 || static_cast<size_t>(index) >= Entries.size())
        return nullptr;
    return Entries[static_cast<size_t>(index)].get();
}

std::string TQMLDAP::ErrorText() const {
    return ldap_err2string(LastResult);
}

std::string TQMLDAP::DiagnosticText() const {
    if (Connection == nullptr)
        return {};
    char* raw = nullptr;
    ldap_get_option(Connection, LDAP_OPT_DIAGNOSTIC_MESSAGE, &raw);
    MemPtr text(raw);
    return text ? std::string(text.get()) : std::string();
}

int32_t TQMLDAP::Unbind() {
    if (Connection != nullptr) {
        ldap_unbind(Connection);
        Connection = nullptr;
    }
    return 0;
}
