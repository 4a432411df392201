// Linux locator: DNS SRV records of the domain's controllers, tried in
// RFC 2782 order until one accepts LDAP connections (the resolver and socket
// calls are in DcLocatorResolv.cpp), answered as the Windows locator would.

#include "directory/DcLocator.h"

#include <new>
#include <random>

namespace {

constexpr uint16_t kLdapPort = 389;
// Long enough for a loaded controller on a slow link, short enough that a
// dead first controller does not make every search wait noticeably.
constexpr int kConnectTimeoutMs = 1500;

uint32_t DefaultRandom(uint32_t upperInclusive) {
    thread_local std::mt19937 engine{std::random_device{}()};
    return std::uniform_int_distribution<uint32_t>(0, upperInclusive)(engine);
}

uint32_t Locate(const char* domainName, std::string& dcName) {
    std::vector<std::string> domains;
    if (const uint32_t rc = DomainsToQuery(domainName, ResolverSearchList(), domains); rc != 0)
        return rc;

    // The first candidate domain that has controllers is the domain; when all
    // of them are down the answer is that the domain cannot be contacted,
    // not a controller of some other domain further down the list.
    for (const std::string& domain : domains) {
        std::vector<SrvRecord> records;
        if (QueryDcSrvRecords(domain, records) != 0)
            continue;
        for (const SrvRecord& record : OrderSrvRecords(std::move(records), DefaultRandom)) {
            // The caller connects to the LDAP port, whatever port the record
            // names, so that is the port a usable controller must answer on.
            if (AcceptsTcpConnection(record.target, kLdapPort, kConnectTimeoutMs)) {
                dcName = "\\\\" + record.target;
                return 0;
            }
        }
        return winerror::NoSuchDomain;
    }
    return winerror::NoSuchDomain;
}

} // namespace

uint32_t LocateDomainController(const char* domainName, uint32_t /*flags*/, std::string& dcName) {
    // Flags: the answer is always the DNS name, and a name is read as flat or
    // DNS by its form, so neither flag changes the lookup.
    dcName.clear();
    try {
        return Locate(domainName, dcName);
    } catch (const std::bad_alloc&) {
        dcName.clear();
        return winerror::NotEnoughMemory;
    }
}

std::string WindowsErrorText(uint32_t code) {
    switch (code) {
    case winerror::Success:
        return "The operation completed successfully.";
    case winerror::NotEnoughMemory:
        return "Not enough memory resources are available to process this command.";
    case winerror::InvalidDomainName:
        return "The format of the specified domain name is invalid.";
    case winerror::NoSuchDomain:
        return "The specified domain either does not exist or could not be contacted.";
    default:
        return "Error " + std::to_string(code) + ".";
    }
}


bool ControllersListed(const char* domainName, std::string& firstDomain) {
    firstDomain.clear();
    std::vector<std::string> domains;
    if (DomainsToQuery(domainName, ResolverSearchList(), domains) != 0)
        return false;
    if (!domains.empty())
        firstDomain = domains.front();
    for (const std::string& domain : domains) {
        std::vector<SrvRecord> records;
        if (QueryDcSrvRecords(domain, records) == 0)
            return true;
    }
    return false;
}
