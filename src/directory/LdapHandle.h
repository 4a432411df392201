#pragma once
// Owners for the LDAP client's connection handle and result message, declared
// without the client's header so that callers of the directory classes need
// not see it.

#include <memory>

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
