#pragma once
// A lighter connection for looking around: the root entry and the objects
// one level below a DN, handed back as two parallel lists of texts.

#include "directory/LdapHandle.h"

#include <cstdint>
#include <string>
#include <vector>

class TQMLDAPBrowse : public TLdapSession {
  public:
    TQMLDAPBrowse();
    ~TQMLDAPBrowse(); // closes the connection when Connect created a handle
    TQMLDAPBrowse(const TQMLDAPBrowse&) = delete;
    TQMLDAPBrowse& operator=(const TQMLDAPBrowse&) = delete;

    int32_t SetBaseDN(const std::string& dn);
    int32_t ListChildren(std::vector<std::string>& names, std::vector<std::string>& dns);
    int32_t ReadRootDSE(std::vector<std::string>& names, std::vector<std::string>& values);
    // Off: the reads list this server's objects only, without chasing the
    // references to other partitions.
    int32_t SetReferrals(bool chase);

    TLdapMessage SearchResult; // the answer being read; empty outside the reads
    bool Partial = false;
    int32_t EntryCount = 0;
    std::string BaseDN;

  private:
    bool Read(const char* base, int scope, char** attributes);
};

// The LDAP client's text for a result code.
std::string LdapResultText(int32_t code);
