#pragma once
// Finds a domain controller the way the Windows locator answers: the name as
// two backslashes and the DNS host name, or a Windows error code.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

inline constexpr uint32_t DS_RETURN_DNS_NAME = 0x40000000;
inline constexpr uint32_t DS_IS_FLAT_NAME = 0x00010000;

// Error codes this backend can return (Windows numbering).
inline constexpr uint32_t ERROR_SUCCESS_DC = 0;
inline constexpr uint32_t ERROR_NOT_ENOUGH_MEMORY = 8;
inline constexpr uint32_t ERROR_INVALID_DOMAINNAME = 1212;
inline constexpr uint32_t ERROR_NO_SUCH_DOMAIN = 1355;

// domainName null or empty: the workstation's own domain. A name without a
// dot is a flat name (CORP), matched against the first labels of the
// resolver's search list; a dotted name is a DNS domain. On success fills
// dcName with "\\\\host.dns.name" and returns 0.
uint32_t LocateDomainController(const char* domainName, uint32_t flags, std::string& dcName);

// The system's message text for a Windows error code that the locator returns.
std::string WindowsErrorText(uint32_t code);

// Removes every pair of consecutive backslashes.
std::string RemoveBackslashPairs(const std::string& name);

// The steps of the locator, each usable on its own.

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
// ERROR_INVALID_DOMAINNAME; an empty list means there is nothing to ask.
uint32_t DomainsToQuery(const char* domainName, const std::vector<std::string>& searchList,
                        std::vector<std::string>& domains);

// The resolver's search list (the search and domain lines of resolv.conf).
std::vector<std::string> ResolverSearchList();

// The _ldap._tcp.dc._msdcs SRV records of dnsDomain, in answer order.
// Returns 0, or ERROR_NO_SUCH_DOMAIN when the name or the records do not exist
// or the name server cannot be reached.
uint32_t QueryDcSrvRecords(const std::string& dnsDomain, std::vector<SrvRecord>& records);

// Whether host accepts a TCP connection on port within timeoutMs for each of
// its addresses.
bool AcceptsTcpConnection(const std::string& host, uint16_t port, int timeoutMs);
