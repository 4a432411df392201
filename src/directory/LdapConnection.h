#pragma once
// One LDAP connection for one search run: connect, bind as the logged-on
// user, search, and keep the entries. Never throws; returns LDAP result codes.

#include "directory/LdapEntries.h"
#include "directory/LdapHandle.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// How long the client waits for the answer of a search whose server-side time
// limit is `timeLimit` seconds (0 or less: none): the limit plus a margin for
// the answer, within a ceiling.
int32_t SearchWaitSeconds(int32_t timeLimit);

class TQMLDAP : public TLdapSession {
  public:
    TQMLDAP();
    ~TQMLDAP(); // also closes a connection that nobody unbound
    TQMLDAP(const TQMLDAP&) = delete;
    TQMLDAP& operator=(const TQMLDAP&) = delete;

    int32_t AddAttribute(const std::string& name);
    int32_t SetFilter(const std::string& filter);
    int32_t SetSizeLimit(int32_t count);
    int32_t ClearResults();
    int32_t SetBaseDN(const std::string& dn);
    int32_t SetSearchChildren(int32_t flag);
    int32_t SetReferrals(int32_t flag);
    int32_t SetTimeLimit(int32_t seconds);
    int32_t Search();
    TQMLDObject* GetEntry(int32_t index) const;
    std::string ErrorText() const;
    // The server's (or the SASL layer's) own words on the last failure;
    // empty when there are none.
    std::string DiagnosticText() const;
    int32_t Unbind();

    std::vector<std::string> AttributeNames;
    std::vector<std::unique_ptr<TQMLDObject>> Entries;
    int32_t Scope = 1;
    TLdapMessage SearchResult; // the answer being read; empty outside Search
    bool Partial = false;
    int32_t EntryCount = 0;
    std::string BaseDN;
    std::string Filter;

  private:
    int32_t SetLimit(int option, int32_t value, int32_t& kept);

    int32_t timeLimit_ = 0; // bounds the client's own wait for a search
    int32_t sizeLimit_ = 0; // held on our side too: some servers ignore it
    bool chaseReferrals_ = false;
};
