// The wldap32 backend of the directory session: connect, the negotiate bind
// as the logged-on user, referrals (which the client itself binds with the
// user's credentials), the bounded read, the walk over names and DNs, and
// the DN and diagnostic helpers.
//
// Every call that carries text is the wide form: the 8-bit forms convert
// through the ANSI code page, which garbles the UTF-8 that the rest of the
// program holds (a filter with "Müller" would not match, a DN would come
// back in Latin-1).

#include "directory/LdapSession.h"

#include "PasswordBindForTests.h"

#include "base/windows/WideText.h"

#include <rpc.h>

#include <vector>

namespace findaro {

namespace {
struct TTestIdentity {
    bool Set = false;
    std::string User, Domain, Password;
};

TTestIdentity& TestIdentity() {
    static TTestIdentity identity;
    return identity;
}
} // namespace

void UsePasswordBindForTests(const std::string& user, const std::string& domain,
                             const std::string& password) {
    TestIdentity() = {true, user, domain, password};
}

} // namespace findaro

namespace findaro::ldapsession {

int32_t connectHost(TLdapHandle& connection, const std::string& host) {
    std::wstring wideHost = findaro::WideFromUtf8(host);
    connection.reset(ldap_initW(wideHost.data(), LDAP_PORT));
    if (!connection)
        return kNoHandle;
    l_timeval bound = {kConnectSeconds, 0};
    return static_cast<int32_t>(ldap_connect(connection.get(), &bound));
}

int32_t bindAsUser(LDAP* handle) {
    if (handle == nullptr)
        return kNoHandle;
    // The client starts at LDAPv2, whose referrals come back as failures
    // with the URLs in the error text instead of references it can follow.
    ULONG version = LDAP_VERSION3;
    ldap_set_option(handle, LDAP_OPT_PROTOCOL_VERSION, &version);
    // Negotiate rather than NTLM: Kerberos with the user's ticket wherever
    // the controller can be given one, NTLM only where Kerberos cannot serve,
    // so the bind keeps working in domains that have switched NTLM off.
    if (const TTestIdentity& id = TestIdentity(); id.Set) {
        std::wstring user = findaro::WideFromUtf8(id.User);
        std::wstring domain = findaro::WideFromUtf8(id.Domain);
        std::wstring password = findaro::WideFromUtf8(id.Password);
        SEC_WINNT_AUTH_IDENTITY_W credentials{};
        credentials.User = reinterpret_cast<unsigned short*>(user.data());
        credentials.UserLength = static_cast<unsigned long>(user.size());
        credentials.Domain = reinterpret_cast<unsigned short*>(domain.data());
        credentials.DomainLength = static_cast<unsigned long>(domain.size());
        credentials.Password = reinterpret_cast<unsigned short*>(password.data());
        credentials.PasswordLength = static_cast<unsigned long>(password.size());
        credentials.Flags = SEC_WINNT_AUTH_IDENTITY_UNICODE;
        return static_cast<int32_t>(ldap_bind_sW(
            handle, nullptr, reinterpret_cast<PWCHAR>(&credentials), LDAP_AUTH_NEGOTIATE));
    }
    return static_cast<int32_t>(ldap_bind_sW(handle, nullptr, nullptr, LDAP_AUTH_NEGOTIATE));
}

// The client follows referrals on connections it binds with the credentials
// of the first bind, so nothing needs watching while the search runs.
struct TReferralWatch::TState {
    LDAP* Handle = nullptr;
    bool Bound = false;
};

TReferralWatch::TReferralWatch(LDAP* handle, bool bound) : state_(std::make_unique<TState>()) {
    state_->Handle = handle;
    state_->Bound = bound && handle != nullptr;
}

TReferralWatch::~TReferralWatch() = default;

int32_t TReferralWatch::Outcome(LDAPMessage* answer) const {
    if (!state_->Bound || answer == nullptr)
        return LDAP_SUCCESS;
    // A reference still in the answer is one the client could not follow:
    // its entries are missing, so the search is not a success.
    if (ldap_count_references(state_->Handle, answer) > 0)
        return LDAP_SERVER_DOWN;
    return LDAP_SUCCESS;
}

int32_t boundedRead(LDAP* handle, const char* base, int scope, const char* filter,
                    char** attributes, int waitSeconds, TLdapMessage& answer) {
    answer.reset();
    if (handle == nullptr)
        return kNoHandle;
    // wldap32 wants a filter; the one that matches every object stands for none.
    std::wstring wideBase = findaro::WideFromUtf8(base != nullptr ? base : "");
    std::wstring wideFilter = findaro::WideFromUtf8(filter != nullptr ? filter : "(objectClass=*)");
    std::vector<std::wstring> names;
    for (char** a = attributes; a != nullptr && *a != nullptr; ++a)
        names.push_back(findaro::WideFromUtf8(*a));
    std::vector<PWCHAR> list;
    for (std::wstring& name : names)
        list.push_back(name.data());
    list.push_back(nullptr);
    l_timeval wait = {waitSeconds, 0};
    LDAPMessage* raw = nullptr;
    const ULONG rc = ldap_search_stW(handle, wideBase.data(), static_cast<ULONG>(scope),
                                     wideFilter.data(), attributes != nullptr ? list.data() : nullptr,
                                     0, &wait, &raw);
    answer.reset(raw);
    return static_cast<int32_t>(rc);
}

namespace {
struct WideMemFree {
    void operator()(PWCHAR p) const { ldap_memfreeW(p); }
};
using WideMemPtr = std::unique_ptr<WCHAR, WideMemFree>;
} // namespace

void forEachAttribute(LDAP* handle, LDAPMessage* entry,
                      const std::function<void(const char* name, struct berval** values)>& visit) {
    BerElement* rawBer = nullptr;
    WideMemPtr name{ldap_first_attributeW(handle, entry, &rawBer)};
    BerPtr ber(rawBer);
    for (; name; name.reset(ldap_next_attributeW(handle, entry, rawBer))) {
        ValuesPtr values{ldap_get_values_lenW(handle, entry, name.get())};
        const std::string utf8 = findaro::Utf8FromWide(name.get());
        visit(utf8.c_str(), values.get());
    }
}

std::string entryDn(LDAP* handle, LDAPMessage* entry) {
    WideMemPtr dn{ldap_get_dnW(handle, entry)};
    return dn ? findaro::Utf8FromWide(dn.get()) : std::string();
}

namespace {
int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}
} // namespace

// wldap32 has no DN parser that unescapes, so the first RDN's value is read
// here by the rules of RFC 4514: backslash pairs and hex escapes, up to the
// first unescaped ',', ';' or '+'.
std::string firstRdnValue(const std::string& dn) {
    const size_t equals = dn.find('=');
    if (equals == std::string::npos || equals == 0)
        return dn;
    for (size_t i = 0; i < equals; ++i)
        if (dn[i] == ',' || dn[i] == '+' || dn[i] == '\\')
            return dn;
    std::string value;
    for (size_t i = equals + 1; i < dn.size(); ++i) {
        const char c = dn[i];
        if (c == ',' || c == ';' || c == '+')
            break;
        if (c != '\\') {
            value.push_back(c);
            continue;
        }
        if (i + 1 >= dn.size())
            return dn; // a dangling escape: not a DN
        const int high = HexDigit(dn[i + 1]);
        const int low = i + 2 < dn.size() ? HexDigit(dn[i + 2]) : -1;
        if (high >= 0 && low >= 0) {
            value.push_back(static_cast<char>(high * 16 + low));
            i += 2;
        } else {
            value.push_back(dn[i + 1]);
            ++i;
        }
    }
    return value;
}

std::string diagnosticText(LDAP* handle) {
    if (handle == nullptr)
        return {};
    PWCHAR raw = nullptr;
    if (ldap_get_optionW(handle, LDAP_OPT_SERVER_ERROR, &raw) != LDAP_SUCCESS || raw == nullptr)
        return {};
    WideMemPtr owner(raw);
    return findaro::Utf8FromWide(raw);
}

} // namespace findaro::ldapsession
