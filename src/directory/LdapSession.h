#pragma once
// What the connection and the browser share: owners for everything the LDAP
// client hands out, the connect-and-bind steps, one bounded read and one walk
// over a result's entries and attributes. Internal to the directory classes.

#include "directory/LdapHandle.h"

// The platform's LDAP client header (the backend folder's LdapApi.h).
#include "LdapApi.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace findaro::ldapsession {

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

using MemPtr = std::unique_ptr<char, MemFree>;
using BerPtr = std::unique_ptr<BerElement, BerFree>;
using ValuesPtr = std::unique_ptr<struct berval*, ValuesFree>;

// Result code used when an operation finds no connection handle to work on.
inline constexpr int32_t kNoHandle = -1;

// The connection attempt's bound, also used for every later reconnect.
inline constexpr int kConnectSeconds = 5;

// A server that accepts the connection and never answers must not hold the
// caller for ever; a Kerberos bind takes a few round trips well inside this.
inline constexpr int kBindWaitSeconds = 10;

// Connect as both classes do: releases any earlier handle, creates one for
// host (port 389 unless the text names one) and opens the connection within
// kConnectSeconds. The handle stays in `connection` even when the attempt
// fails; its owner releases it. Returns kNoHandle when no handle could be
// created, else the ldap_connect result.
int32_t connectHost(TLdapHandle& connection, const std::string& host);

// Binds as the logged-on user (the backend's single sign-on: a Kerberos
// ticket); no password held by the program is involved. Referrals followed
// later bind their connections the same way.
int32_t bindAsUser(LDAP* handle);

// Watches one search that chases referrals on a connection bound as the
// user: a referred connection that could not be bound as the user, or a
// reference none of whose servers could be reached, is the search's failure.
// On an anonymous connection referred connections stay anonymous, as the first.
class TReferralWatch {
  public:
    TReferralWatch(LDAP* handle, bool bound);
    ~TReferralWatch();
    TReferralWatch(const TReferralWatch&) = delete;
    TReferralWatch& operator=(const TReferralWatch&) = delete;

    // LDAP_SUCCESS; the code of the first referred bind that was refused; or
    // LDAP_SERVER_DOWN when a reference in `answer` named no server that
    // could be reached.
    int32_t Outcome(LDAPMessage* answer) const;

    struct TState; // the backend's

  private:
    std::unique_ptr<TState> state_;
};

// bindAsUser, ended after `seconds` whatever it waits for (LDAP_TIMEOUT);
// `connection` is then empty, its handle closed once the bind returns.
int32_t bindWithin(TLdapHandle& connection, int seconds);

// One search whose answer `answer` owns: the server-side limits are the
// handle's own options, the client waits at most `waitSeconds` and abandons
// the request then (LDAP_TIMEOUT). A null filter matches every object.
// Returns the result code; an answer cut at a size limit keeps its entries.
int32_t boundedRead(LDAP* handle, const char* base, int scope, const char* filter,
                    char** attributes, int waitSeconds, TLdapMessage& answer);

// Visits the entries of `answer` in the server's order.
void forEachEntry(LDAP* handle, LDAPMessage* answer,
                  const std::function<bool(LDAPMessage* entry)>& visit); // false stops

// Visits each attribute of `entry` in the server's order with its values,
// which are null when the client returned none.
void forEachAttribute(LDAP* handle, LDAPMessage* entry,
                      const std::function<void(const char* name, struct berval** values)>& visit);

// The entry's DN as the client gives it, or empty.
std::string entryDn(LDAP* handle, LDAPMessage* entry);

// The unescaped value of the DN's first RDN ("Smith, John" for
// "CN=Smith\\, John,OU=Sales,..."), or the DN itself when it does not parse.
std::string firstRdnValue(const std::string& dn);

// The server's (or the authentication layer's) own words on the last
// failure on `handle`; empty when there are none.
std::string diagnosticText(LDAP* handle);

} // namespace findaro::ldapsession
