// The libldap backend of the directory session: connect, the SASL bind
// with the user's Kerberos ticket, referrals bound as the user, the bounded
// read, and the DN and diagnostic helpers.

#include "directory/LdapSession.h"

#include <sasl/sasl.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <sstream>
#include <sys/time.h>

namespace findaro::ldapsession {

int32_t connectHost(TLdapHandle& connection, const std::string& host) {
    connection.reset(ldap_init(host.c_str(), LDAP_PORT));
    if (!connection)
        return kNoHandle;
    struct timeval bound = {kConnectSeconds, 0};
    ldap_set_option(connection.get(), LDAP_OPT_NETWORK_TIMEOUT, &bound);
    return ldap_connect(connection.get());
}

namespace {
// Every prompt gets its default: the ticket needs no answers, and there is
// nobody to ask.
int quietInteraction(LDAP*, unsigned, void*, void* prompts) {
    for (auto* p = static_cast<sasl_interact_t*>(prompts); p->id != SASL_CB_LIST_END; ++p) {
        const char* answer = p->defresult != nullptr ? p->defresult : "";
        p->result = answer;
        p->len = static_cast<unsigned>(std::strlen(answer));
    }
    return LDAP_SUCCESS;
}

int32_t saslBind(LDAP* handle) {
    char* configured = nullptr;
    ldap_get_option(handle, LDAP_OPT_X_SASL_MECH, &configured);
    MemPtr configuredOwner(configured);
    const char* mechanism = (configured != nullptr && *configured != '\0') ? configured : "GSSAPI";
    return ldap_sasl_interactive_bind_s(handle, nullptr, mechanism, nullptr, nullptr,
                                        LDAP_SASL_QUIET, quietInteraction, nullptr);
}

// A referral followed on a connection of its own must reach the server as
// the user, not anonymously (which Active Directory refuses): the new
// connection binds exactly as the first did, the handle's options (version,
// no canonicalisation, the bind's wait) included. A refusal is kept for the
// search that followed the referral; libldap itself is told the bind went
// through, because a failed rebind leaves it waiting for the referred answer
// until the search's whole wait has passed. The referred server then refuses
// the unauthenticated search at once.
// "host:port" of a URL, the host in lower case; empty when it does not parse.
std::string serverOf(const char* url) {
    LDAPURLDesc* desc = nullptr;
    if (url == nullptr || ldap_url_parse(url, &desc) != LDAP_URL_SUCCESS)
        return {};
    std::string host = desc->lud_host != nullptr ? desc->lud_host : "";
    for (char& c : host)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    int port = desc->lud_port;
    if (port == 0)
        port = desc->lud_scheme != nullptr && std::strcmp(desc->lud_scheme, "ldaps") == 0
                   ? LDAPS_PORT
                   : LDAP_PORT;
    ldap_free_urldesc(desc);
    return host + ":" + std::to_string(port);
}

} // namespace

// What the rebind procedure learns while the search runs.
struct TReferralWatch::TState {
    LDAP* Handle = nullptr;
    bool Bound = false;
    int32_t Refused = 0;
    std::vector<std::string> Reached; // "host:port" of each referred connection
};

namespace {
int rebindAsUser(LDAP* handle, LDAP_CONST char* url, ber_tag_t, ber_int_t, void* params) {
    const int rc = saslBind(handle);
    if (params == nullptr)
        return rc;
    auto& referred = *static_cast<TReferralWatch::TState*>(params);
    referred.Reached.push_back(serverOf(url));
    if (rc != LDAP_SUCCESS && referred.Refused == 0)
        referred.Refused = rc;
    return LDAP_SUCCESS;
}
} // namespace

int32_t bindAsUser(LDAP* handle) {
    if (handle == nullptr)
        return kNoHandle;
    ldap_set_rebind_proc(handle, rebindAsUser, nullptr);
    // The client starts at LDAPv2, over which no SASL bind is possible.
    int version = LDAP_VERSION3;
    ldap_set_option(handle, LDAP_OPT_PROTOCOL_VERSION, &version);
    // The service principal is named after the host as given; a reverse
    // lookup could name some other host.
    ldap_set_option(handle, LDAP_OPT_X_SASL_NOCANON, LDAP_OPT_ON);
    struct timeval wait = {kBindWaitSeconds, 0};
    ldap_set_option(handle, LDAP_OPT_TIMEOUT, &wait);
    return saslBind(handle);
}

TReferralWatch::TReferralWatch(LDAP* handle, bool bound) : state_(std::make_unique<TState>()) {
    state_->Handle = handle;
    state_->Bound = bound && handle != nullptr;
    if (!state_->Bound)
        return;
    ldap_set_rebind_proc(handle, rebindAsUser, state_.get());
    // A reference may name the server of the first connection, which
    // libldap then uses again without a new bind.
    char* uri = nullptr;
    ldap_get_option(handle, LDAP_OPT_URI, &uri);
    MemPtr uriOwner(uri);
    std::istringstream uris(uri != nullptr ? uri : "");
    for (std::string one; uris >> one;)
        state_->Reached.push_back(serverOf(one.c_str()));
}

TReferralWatch::~TReferralWatch() {
    if (state_->Bound)
        ldap_set_rebind_proc(state_->Handle, rebindAsUser, nullptr);
}

int32_t TReferralWatch::Outcome(LDAPMessage* answer) const {
    const TState& referred = *state_;
    LDAP* const handle = referred.Handle;
    if (referred.Refused != 0)
        return referred.Refused;
    if (!referred.Bound || answer == nullptr)
        return LDAP_SUCCESS;
    // Every reference must have been followed to one of its servers; one
    // whose servers could not be reached left its entries out.
    for (LDAPMessage* r = ldap_first_reference(handle, answer); r != nullptr;
         r = ldap_next_reference(handle, r)) {
        char** urls = nullptr;
        if (ldap_parse_reference(handle, r, &urls, nullptr, 0) != LDAP_SUCCESS)
            continue;
        bool followed = urls == nullptr || urls[0] == nullptr;
        for (char** u = urls; u != nullptr && *u != nullptr && !followed; ++u) {
            const std::string server = serverOf(*u);
            followed = server.empty() || server.front() == ':' ||
                       std::find(referred.Reached.begin(), referred.Reached.end(), server) !=
                           referred.Reached.end();
        }
        ldap_memvfree(reinterpret_cast<void**>(urls));
        if (!followed)
            return LDAP_SERVER_DOWN;
    }
    return LDAP_SUCCESS;
}

int32_t boundedRead(LDAP* handle, const char* base, int scope, const char* filter,
                    char** attributes, int waitSeconds, TLdapMessage& answer) {
    answer.reset();
    if (handle == nullptr)
        return kNoHandle;
    struct timeval wait = {waitSeconds, 0};
    LDAPMessage* raw = nullptr;
    const int rc = ldap_search_st(handle, base, scope, filter, attributes, 0, &wait, &raw);
    answer.reset(raw);
    return rc;
}


void forEachAttribute(LDAP* handle, LDAPMessage* entry,
                      const std::function<void(const char* name, struct berval** values)>& visit) {
    BerElement* rawBer = nullptr;
    MemPtr name{ldap_first_attribute(handle, entry, &rawBer)};
    BerPtr ber(rawBer);
    for (; name; name.reset(ldap_next_attribute(handle, entry, rawBer))) {
        ValuesPtr values{ldap_get_values_len(handle, entry, name.get())};
        visit(name.get(), values.get());
    }
}

std::string entryDn(LDAP* handle, LDAPMessage* entry) {
    MemPtr dn{ldap_get_dn(handle, entry)};
    return dn ? std::string(dn.get()) : std::string();
}

namespace {
struct DnFree {
    void operator()(LDAPDN dn) const { ldap_dnfree(dn); }
};
using DnPtr = std::unique_ptr<LDAPAVA**, DnFree>;
} // namespace

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

std::string diagnosticText(LDAP* handle) {
    if (handle == nullptr)
        return {};
    char* raw = nullptr;
    ldap_get_option(handle, LDAP_OPT_DIAGNOSTIC_MESSAGE, &raw);
    MemPtr text(raw);
    return text ? std::string(text.get()) : std::string();
}

} // namespace findaro::ldapsession
