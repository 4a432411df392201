// The domain controller locator: DNS SRV records of the domain's
// controllers, tried in RFC 2782 order until one accepts LDAP connections.
// The name rules and the ordering live here; the resolver and socket calls
// are the backend's.

#include "directory/DcLocator.h"

#include "base/AsciiCase.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <random>

namespace {

constexpr uint16_t kLdapPort = 389;
// Long enough for a loaded controller on a slow link, short enough that a
// dead first controller does not make every search wait noticeably.
constexpr int kConnectTimeoutMs = 1500;

// Characters that no domain name (flat or DNS) may hold; the backslash also
// matters because the resolver would read it as an escape.
bool IsForbiddenChar(unsigned char c) {
    return c <= ' ' || c == 0x7f || std::strchr("\\/:*?\"<>|,", c) != nullptr;
}

// name has its trailing dot removed already.
bool IsWellFormedDomain(const std::string& name) {
    // The query name adds the SRV prefix and must stay within a DNS name's
    // 253 characters.
    if (name.empty() || DcSrvQueryName(name).size() > 253)
        return false;
    size_t labelLength = 0;
    for (char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '.') {
            if (labelLength == 0)
                return false;
            labelLength = 0;
        } else if (IsForbiddenChar(c)) {
            return false;
        } else if (++labelLength > 63) {
            return false;
        }
    }
    return labelLength > 0;
}

std::string FirstLabel(const std::string& domain) {
    return domain.substr(0, domain.find('.'));
}

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

std::string DcSrvQueryName(const std::string& dnsDomain) {
    return "_ldap._tcp.dc._msdcs." + dnsDomain;
}

uint32_t DomainsToQuery(const char* domainName, const std::vector<std::string>& searchList,
                        std::vector<std::string>& domains) {
    domains.clear();
    // An empty name stands for no name: the container picker hands over its
    // empty domain box as "", and a user who leaves the box empty means the
    // domain the workstation is in, just as when no name is set at all.
    if (domainName == nullptr || *domainName == '\0') {
        for (const std::string& domain : searchList) {
            std::string d = domain;
            if (!d.empty() && d.back() == '.')
                d.pop_back();
            if (IsWellFormedDomain(d) &&
                std::find(domains.begin(), domains.end(), d) == domains.end())
                domains.push_back(d);
        }
        return 0;
    }

    std::string name = domainName;
    if (name.back() == '.')
        name.pop_back(); // an absolute DNS name
    if (!IsWellFormedDomain(name))
        return winerror::InvalidDomainName;

    if (name.find('.') == std::string::npos) {
        // A flat name is the first label of a domain the workstation knows.
        for (const std::string& domain : searchList) {
            std::string d = domain;
            if (!d.empty() && d.back() == '.')
                d.pop_back();
            if (findaro::EqualsAsciiNoCase(FirstLabel(d), name) && IsWellFormedDomain(d) &&
                std::find(domains.begin(), domains.end(), d) == domains.end())
                domains.push_back(d);
        }
        if (!domains.empty())
            return 0;
    }
    domains.push_back(name);
    return 0;
}

std::vector<SrvRecord> OrderSrvRecords(std::vector<SrvRecord> records, const SrvRandom& random) {
    std::erase_if(records, [](const SrvRecord& r) { return r.target == "." || r.target.empty(); });
    std::stable_sort(records.begin(), records.end(), [](const SrvRecord& a, const SrvRecord& b) {
        return a.priority < b.priority;
    });

    std::vector<SrvRecord> ordered;
    ordered.reserve(records.size());
    auto groupBegin = records.begin();
    while (groupBegin != records.end()) {
        const auto groupEnd = std::find_if(groupBegin, records.end(), [&](const SrvRecord& r) {
            return r.priority != groupBegin->priority;
        });
        std::vector<SrvRecord> group(std::make_move_iterator(groupBegin),
                                     std::make_move_iterator(groupEnd));
        // Weight 0 records go first, so that they are chosen only when the
        // random number is 0: a small chance when others have weight.
        std::stable_partition(group.begin(), group.end(),
                              [](const SrvRecord& r) { return r.weight == 0; });
        while (!group.empty()) {
            uint32_t sum = 0;
            for (const SrvRecord& r : group)
                sum += r.weight;
            const uint32_t pick = random(sum);
            uint32_t running = 0;
            auto chosen = group.begin();
            for (; chosen != group.end(); ++chosen) {
                running += chosen->weight;
                if (running >= pick)
                    break;
            }
            if (chosen == group.end()) // a random source that overshot its bound
                chosen = std::prev(group.end());
            ordered.push_back(std::move(*chosen));
            group.erase(chosen);
        }
        groupBegin = groupEnd;
    }
    return ordered;
}

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

std::string RemoveBackslashPairs(const std::string& name) {
    std::string out;
    out.reserve(name.size());
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 1 < name.size() && name[i + 1] == '\\')
            ++i; // drop both of the pair
        else
            out.push_back(name[i]);
    }
    return out;
}
