#include "directory/LdapSession.h"

#include <sasl/sasl.h>

#include <cstring>
#include <sys/time.h>

namespace findaro::ldapsession {

int32_t connectHost(const std::string& host, LDAP*& connection, int32_t& lastResult) {
    if (connection != nullptr) {
        ldap_unbind(connection);
        connection = nullptr;
    }
    connection = ldap_init(host.c_str(), LDAP_PORT);
    if (connection == nullptr)
        return kNoHandle;
    struct timeval bound = {kConnectSeconds, 0};
    ldap_set_option(connection, LDAP_OPT_NETWORK_TIMEOUT, &bound);
    lastResult = ldap_connect(connection);
    return lastResult;
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
} // namespace

int setClientWait(LDAP* handle, int seconds) {
    struct timeval wait = {seconds, 0};
    return ldap_set_option(handle, LDAP_OPT_TIMEOUT, &wait);
}

int32_t bindAsUser(LDAP* handle) {
    if (handle == nullptr)
        return kNoHandle;
    // The client starts at LDAPv2, over which no SASL bind is possible.
    int version = LDAP_VERSION3;
    ldap_set_option(handle, LDAP_OPT_PROTOCOL_VERSION, &version);
    // The service principal is named after the host as given; a reverse
    // lookup could name some other host.
    ldap_set_option(handle, LDAP_OPT_X_SASL_NOCANON, LDAP_OPT_ON);
    setClientWait(handle, kBindWaitSeconds);

    char* configured = nullptr;
    ldap_get_option(handle, LDAP_OPT_X_SASL_MECH, &configured);
    MemPtr configuredOwner(configured);
    const char* mechanism = (configured != nullptr && *configured != '\0') ? configured : "GSSAPI";

    return ldap_sasl_interactive_bind_s(handle, nullptr, mechanism, nullptr, nullptr,
                                        LDAP_SASL_QUIET, quietInteraction, nullptr);
}

bool equalsAsciiNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    auto lower = [](char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    };
    for (size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

} // namespace findaro::ldapsession
