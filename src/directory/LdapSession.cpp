#include "directory/LdapSession.h"

#include <sasl/sasl.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <sstream>
#include <sys/time.h>
#include <thread>

void TLdapUnbind::operator()(ldap* handle) const {
    ldap_unbind(handle);
}

void TLdapMessageFree::operator()(ldapmsg* message) const {
    ldap_msgfree(message);
}

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

int rebindAsUser(LDAP* handle, LDAP_CONST char* url, ber_tag_t, ber_int_t, void* params) {
    const int rc = saslBind(handle);
    if (params == nullptr)
        return rc;
    auto& referred = *static_cast<TReferralWatch::TReferred*>(params);
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

TReferralWatch::TReferralWatch(LDAP* handle, bool bound)
    : handle_(handle), bound_(bound && handle != nullptr) {
    if (!bound_)
        return;
    ldap_set_rebind_proc(handle_, rebindAsUser, &referred_);
    // A reference may name the server of the first connection, which
    // libldap then uses again without a new bind.
    char* uri = nullptr;
    ldap_get_option(handle_, LDAP_OPT_URI, &uri);
    MemPtr uriOwner(uri);
    std::istringstream uris(uri != nullptr ? uri : "");
    for (std::string one; uris >> one;)
        referred_.Reached.push_back(serverOf(one.c_str()));
}

TReferralWatch::~TReferralWatch() {
    if (bound_)
        ldap_set_rebind_proc(handle_, rebindAsUser, nullptr);
}

int32_t TReferralWatch::Outcome(LDAPMessage* answer) const {
    if (referred_.Refused != 0)
        return referred_.Refused;
    if (!bound_ || answer == nullptr)
        return LDAP_SUCCESS;
    // Every reference must have been followed to one of its servers; one
    // whose servers could not be reached left its entries out.
    for (LDAPMessage* r = ldap_first_reference(handle_, answer); r != nullptr;
         r = ldap_next_reference(handle_, r)) {
        char** urls = nullptr;
        if (ldap_parse_reference(handle_, r, &urls, nullptr, 0) != LDAP_SUCCESS)
            continue;
        bool followed = urls == nullptr || urls[0] == nullptr;
        for (char** u = urls; u != nullptr && *u != nullptr && !followed; ++u) {
            const std::string server = serverOf(*u);
            followed = server.empty() || server.front() == ':' ||
                       std::find(referred_.Reached.begin(), referred_.Reached.end(), server) !=
                           referred_.Reached.end();
        }
        ldap_memvfree(reinterpret_cast<void**>(urls));
        if (!followed)
            return LDAP_SERVER_DOWN;
    }
    return LDAP_SUCCESS;
}

namespace {
// A bind that its caller stopped waiting for: the thread that runs it owns
// the handle from then on and closes it when the bind ends after all.
struct TBindJob {
    std::mutex Lock;
    std::condition_variable Ended;
    bool Done = false;
    bool Abandoned = false;
    int32_t Result = 0;
    TLdapHandle Handle;
};
} // namespace

int32_t bindWithin(TLdapHandle& connection, int seconds) {
    if (!connection)
        return kNoHandle;
    // The LDAP wait alone does not bound the bind: the Kerberos exchange
    // with a controller that stopped answering (about 27 s of the Kerberos
    // library's own retries) and any name lookup come before it. So the bind
    // runs on a thread of its own, and the caller stops waiting at the bound.
    auto job = std::make_shared<TBindJob>();
    job->Handle = std::move(connection);
    LDAP* handle = job->Handle.get();
    std::thread([job, handle] {
        const int32_t result = bindAsUser(handle);
        std::lock_guard<std::mutex> lock(job->Lock);
        job->Result = result;
        job->Done = true;
        if (job->Abandoned)
            job->Handle.reset();
        job->Ended.notify_all();
    }).detach();

    std::unique_lock<std::mutex> lock(job->Lock);
    if (!job->Ended.wait_for(lock, std::chrono::seconds(seconds), [&] { return job->Done; })) {
        // The handle stays with the thread; the caller goes on without one.
        job->Abandoned = true;
        return LDAP_TIMEOUT;
    }
    connection = std::move(job->Handle);
    return job->Result;
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

void forEachEntry(LDAP* handle, LDAPMessage* answer,
                  const std::function<bool(LDAPMessage* entry)>& visit) {
    if (handle == nullptr || answer == nullptr)
        return;
    for (LDAPMessage* e = ldap_first_entry(handle, answer); e != nullptr;
         e = ldap_next_entry(handle, e))
        if (!visit(e))
            return;
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

} // namespace findaro::ldapsession

int32_t TLdapSession::Connect(const std::string& hostName) {
    using namespace findaro::ldapsession;
    const int32_t result = connectHost(Connection, hostName);
    if (Connection) // no handle, no connection attempt to record
        LastResult = result;
    return result;
}

int32_t TLdapSession::Bind() {
    using namespace findaro::ldapsession;
    LastResult = bindWithin(Connection, kBindWaitSeconds);
    bound_ = LastResult == 0;
    return LastResult;
}
