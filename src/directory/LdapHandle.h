#pragma once
// Owners for the LDAP client's connection handle and result message, and the
// connection as both directory classes hold it, declared without the client's
// header so that callers of the directory classes need not see it.

#include <cstdint>
#include <memory>
#include <string>

struct ldap;
struct ldapmsg;

struct TLdapUnbind {
    void operator()(ldap* handle) const;
};
struct TLdapMessageFree {
    void operator()(ldapmsg* message) const;
};

// The one owner of a connection: resetting or destroying it unbinds.
using TLdapHandle = std::unique_ptr<ldap, TLdapUnbind>;
// A result message, released with the client's own call.
using TLdapMessage = std::unique_ptr<ldapmsg, TLdapMessageFree>;

// The connection both directory classes are built on: the handle's one owner,
// the last result code, and the connect and bind steps they share.
class TLdapSession {
  public:
    // ldap_init for the host (port 389 unless the text names one), then
    // ldap_connect within 5 s: 0, -1 when no handle could be created (the
    // result code then stays as it was), else the ldap_connect result. The
    // handle is kept after a failed attempt; it closes with the object.
    int32_t Connect(const std::string& hostName);
    // Binds as the logged-on user through SASL, with the user's Kerberos
    // ticket, the whole bind bounded; referrals followed later are bound the
    // same way.
    int32_t Bind();

    TLdapHandle Connection; // closes itself; Unbind only closes it sooner
    int32_t LastResult = 0;

  protected:
    bool bound_ = false; // whether the last Bind went through
};
