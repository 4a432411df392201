#pragma once
// A lighter connection for looking around: the root entry and the objects
// one level below a DN, handed back as two parallel lists of texts.

#include <cstdint>
#include <string>
#include <vector>

struct ldap;
struct ldapmsg;

class TQMLDAPBrowse {
  public:
    TQMLDAPBrowse();
    ~TQMLDAPBrowse();  // closes the connection when Connect created a handle
    TQMLDAPBrowse(const TQMLDAPBrowse&) = delete;
    TQMLDAPBrowse& operator=(const TQMLDAPBrowse&) = delete;

    int32_t Connect(const std::string& hostName);
    int32_t Bind();
    int32_t SetBaseDN(const std::string& dn);
    int32_t ListChildren(std::vector<std::string>& names, std::vector<std::string>& dns);
    int32_t ReadRootDSE(std::vector<std::string>& names, std::vector<std::string>& values);

    ldap* Connection = nullptr;
    int32_t LastResult = 0;
    ldapmsg* SearchResult = nullptr;
    bool Partial = false;
    int32_t EntryCount = 0;
    std::string BaseDN;
};
