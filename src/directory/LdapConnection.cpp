#include "directory/LdapConnection.h"

#include "directory/LdapSession.h"

#include <optional>

using namespace findaro::ldapsession;

namespace {
// The server stops a search at its time limit and then still has to send the
// answer; allow for that on top of the limit before the client gives up.
constexpr int32_t kSearchWaitMarginSeconds = 10;
// However large the limit, or with none (the server's own policy then), the
// client waits no longer than the dialog's largest limit plus the margin for
// a server that went silent.
constexpr int32_t kSearchWaitCeilingSeconds = 130;
} // namespace

int32_t SearchWaitSeconds(int32_t timeLimit) {
    // Compared before adding, so that no limit overflows.
    if (timeLimit <= 0 || timeLimit > kSearchWaitCeilingSeconds - kSearchWaitMarginSeconds)
        return kSearchWaitCeilingSeconds;
    return timeLimit + kSearchWaitMarginSeconds;
}

TQMLDAP::TQMLDAP() = default;

TQMLDAP::~TQMLDAP() = default;

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
    if (!Connection)
        return kNoHandle;
    kept = value;
    int32_t passed = value;
    return ldap_set_option(Connection.get(), option, &passed);
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
    if (!Connection)
        return kNoHandle;
    chaseReferrals_ = flag != 0;
    // libldap reads this option's argument as a switch (null pointer off,
    // any other pointer on), not as a pointer to a number: a pointer to 0
    // would turn chasing on.
    return ldap_set_option(Connection.get(), LDAP_OPT_REFERRALS,
                           flag != 0 ? LDAP_OPT_ON : LDAP_OPT_OFF);
}

int32_t TQMLDAP::SetTimeLimit(int32_t seconds) {
    return SetLimit(LDAP_OPT_TIMELIMIT, seconds, timeLimit_);
}

int32_t TQMLDAP::Search() {
    Partial = false;
    if (!Connection) {
        LastResult = kNoHandle;
        return LastResult;
    }

    std::vector<char*> names;
    names.reserve(AttributeNames.size() + 1);
    for (const std::string& name : AttributeNames)
        names.push_back(const_cast<char*>(name.c_str()));
    names.push_back(nullptr);

    LDAP* ld = Connection.get();
    std::optional<TReferralWatch> referrals;
    if (chaseReferrals_)
        referrals.emplace(ld, bound_);
    LastResult = boundedRead(ld, BaseDN.c_str(), Scope, Filter.c_str(), names.data(),
                             SearchWaitSeconds(timeLimit_), SearchResult);
    // A referred server that refused the user's bind, or could not be
    // reached, is the search's failure, whatever libldap made of it.
    if (referrals)
        if (const int32_t failed = referrals->Outcome(SearchResult.get()); failed != 0)
            LastResult = failed;
    if (LastResult == LDAP_SIZELIMIT_EXCEEDED || LastResult == LDAP_PARTIAL_RESULTS)
        Partial = true;
    if (LastResult != LDAP_SUCCESS && !Partial) {
        SearchResult.reset();
        return LastResult;
    }

    EntryCount = SearchResult ? ldap_count_entries(ld, SearchResult.get()) : 0;
    // The size limit is only a request, and some servers (Samba's among them)
    // send every entry regardless. Such an answer is taken as if the server
    // had stopped at the limit, so callers see one behaviour everywhere.
    if (sizeLimit_ > 0 && EntryCount > sizeLimit_) {
        EntryCount = sizeLimit_;
        LastResult = LDAP_SIZELIMIT_EXCEEDED;
        Partial = true;
    }
    int32_t collected = 0;
    forEachEntry(ld, SearchResult.get(), [&](LDAPMessage* e) {
        if (collected++ >= EntryCount)
            return false;
        auto entry = std::make_unique<TQMLDObject>();
        entry->DN = entryDn(ld, e);
        forEachAttribute(ld, e, [&](const char* name, struct berval** values) {
            auto attribute = std::make_unique<TQMLDAttribute>();
            attribute->Name = name;
            for (struct berval** v = values; v != nullptr && *v != nullptr; ++v) {
                auto value = std::make_unique<TQMLDAttributeValue>();
                value->SetValue((*v)->bv_val, static_cast<uint32_t>((*v)->bv_len));
                attribute->Values.push_back(std::move(value));
            }
            entry->Attributes.push_back(std::move(attribute));
        });
        Entries.push_back(std::move(entry));
        return true;
    });
    SearchResult.reset();
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
    return diagnosticText(Connection.get());
}

int32_t TQMLDAP::Unbind() {
    Connection.reset();
    return 0;
}
