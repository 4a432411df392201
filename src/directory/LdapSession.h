#pragma once
// What the connection and the browser share: owners for everything the LDAP
// client hands out, and the connect and bind steps. Internal to the
// directory classes.

#include <ldap.h>

#include <cstdint>
#include <memory>
#include <string>

namespace findaro::ldapsession {

struct MessageFree {
    void operator()(LDAPMessage* m) const { ldap_msgfree(m); }
};
struct MemFree {
    void operator()(char* p) const { ldap_memfree(p); }
};
struct BerFree {
    // 0: the buffer belongs to the result message, not to the element.
    void operator()(BerElement* b) const { ber_free(b, 0); }
};
struct ValuesFree {
    void operator()(struct berval** v) const { ldap_value_free_len(v); }
};
struct DnFree {
    void operator()(LDAPDN dn) const { ldap_dnfree(dn); }
};

using MessagePtr = std::unique_ptr<LDAPMessage, MessageFree>;
using MemPtr = std::unique_ptr<char, MemFree>;
using BerPtr = std::unique_ptr<BerElement, BerFree>;
using ValuesPtr = std::unique_ptr<struct berval*, ValuesFree>;
using DnPtr = std::unique_ptr<LDAPAVA**, DnFree>;

// Result code used when an operation finds no connection handle to work on.
inline constexpr int32_t kNoHandle = -1;

// The connection attempt's bound, also used for every later reconnect.
inline constexpr int kConnectSeconds = 5;

// A server that accepts the connection and never answers must not hold the
// caller for ever; a Kerberos bind takes a few round trips well inside this.
inline constexpr int kBindWaitSeconds = 10;

// Connect as both classes do: releases any earlier handle, creates one for
// host (port 389 unless the text names one) and opens the connection within
// kConnectSeconds. `connection` keeps the handle even when the attempt
// fails, so that its owner can release it. Returns kNoHandle, leaving
// `lastResult` alone, when no handle could be created; else the
// ldap_connect result, also stored in `lastResult`.
int32_t connectHost(const std::string& host, LDAP*& connection, int32_t& lastResult);

// Binds as the logged-on user through SASL (libldap's configured mechanism,
// else GSSAPI with the user's Kerberos ticket); no password is involved.
int32_t bindAsUser(LDAP* handle);

// Bounds the client's wait for each synchronous call on the handle.
int setClientWait(LDAP* handle, int seconds);

bool equalsAsciiNoCase(const std::string& a, const std::string& b);

} // namespace findaro::ldapsession
