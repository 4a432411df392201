#pragma once
// Finds a domain controller the way the Windows locator answers: the name as
// two backslashes and the DNS host name, or a Windows error code.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The locator's flags and the error codes it answers with, numbered as on
// Windows. They are named apart from the Windows headers' macros (DS_*,
// ERROR_*), which no namespace would keep out.
namespace dcflags {
inline constexpr uint32_t ReturnDnsName = 0x40000000;
inline constexpr uint32_t IsFlatName = 0x00010000;
} // namespace dcflags

namespace winerror {
inline constexpr uint32_t Success = 0;
inline constexpr uint32_t NotEnoughMemory = 8;
inline constexpr uint32_t InvalidDomainName = 1212;
inline constexpr uint32_t NoSuchDomain = 1355;
} // namespace winerror

// domainName null or empty: the workstation's own domain. A name without a
// dot is a flat name (CORP), matched against the first labels of the
// resolver's search list; a dotted name is a DNS domain. On success fills
// dcName with "\\\\host.dns.name" and returns 0.
uint32_t LocateDomainController(const char* domainName, uint32_t flags, std::string& dcName);

// The system's message text for a Windows error code that the locator
// returns (on Linux the Windows wording of the codes above).
std::string WindowsErrorText(uint32_t code);

// After a failed search for domainName's controllers (null or empty: the
// workstation's own domain): whether DNS lists controllers for it, so that
// the failure is a network matter rather than the name's. firstDomain gets
// the DNS domain the name stood for, when the backend knows it.
bool ControllersListed(const char* domainName, std::string& firstDomain);

// Removes every pair of consecutive backslashes.
std::string RemoveBackslashPairs(const std::string& name);

// The steps of the Linux locator, each usable on its own. The ordering and
// the name rules are portable; the resolver and socket calls below them are
// the Linux backend's (linux/DcLocatorResolv.cpp). On Windows the system's
// locator does all of this.

struct SrvRecord {
    uint16_t priority = 0;
    uint16_t weight = 0;
    uint16_t port = 0;
    std::string target;

    bool operator==(const SrvRecord&) const = default;
};

// Returns a number drawn uniformly from [0, upperInclusive].
using SrvRandom = std::function<uint32_t(uint32_t upperInclusive)>;

// The order in which to try the records: priority ascending, and within one
// priority the weighted random selection of RFC 2782. Records whose target
// is "." (service not offered) are dropped.
std::vector<SrvRecord> OrderSrvRecords(std::vector<SrvRecord> records, const SrvRandom& random);

// The DNS domains whose controllers answer for domainName, in the order to
// ask them, given the resolver's search list. Returns 0 or
// winerror::InvalidDomainName; an empty list means there is nothing to ask.
uint32_t DomainsToQuery(const char* domainName, const std::vector<std::string>& searchList,
                        std::vector<std::string>& domains);

// Backend: the resolver's search list (the search and domain lines of
// resolv.conf).
std::vector<std::string> ResolverSearchList();

// Backend: the _ldap._tcp.dc._msdcs SRV records of dnsDomain, in answer order.
// Returns 0, or winerror::NoSuchDomain when the name or the records do not exist
// or the name server cannot be reached.
// The query name of dnsDomain's controllers.
std::string DcSrvQueryName(const std::string& dnsDomain);
uint32_t QueryDcSrvRecords(const std::string& dnsDomain, std::vector<SrvRecord>& records);

// Backend: whether host accepts a TCP connection on port within timeoutMs on
// any of its addresses.
bool AcceptsTcpConnection(const std::string& host, uint16_t port, int timeoutMs);
