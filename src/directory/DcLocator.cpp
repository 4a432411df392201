// The parts of the domain controller locator that need no platform: the
// name rules, the RFC 2782 order of SRV records and the backslash removal.

#include "directory/DcLocator.h"

#include "base/AsciiCase.h"

#include <algorithm>
#include <cstring>

namespace {

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
