// Linux backend of the domain controller locator: DNS SRV records of the
// domain's controllers, tried in RFC 2782 order until one accepts LDAP
// connections.

#include "directory/DcLocator.h"

#include <algorithm>
#include <arpa/nameser.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <netdb.h>
#include <netinet/in.h>
#include <new>
#include <poll.h>
#include <random>
#include <resolv.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr uint16_t kLdapPort = 389;
// Long enough for a loaded controller on a slow link, short enough that a
// dead first controller does not make every search wait noticeably.
constexpr int kConnectTimeoutMs = 1500;
constexpr char kDcSrvPrefix[] = "_ldap._tcp.dc._msdcs.";

// The struct shares its name with glibc's per-thread state accessor.
using ResolverStruct = struct __res_state;

// A private resolver state, so that the locator is safe beside other threads
// that use the resolver.
class ResolverState {
  public:
    ResolverState() : state_(std::make_unique<ResolverStruct>()) {
        std::memset(state_.get(), 0, sizeof(*state_));
        ok_ = res_ninit(state_.get()) == 0;
    }
    ~ResolverState() {
        // res_ninit may have allocated parts of the state even when it failed.
        res_nclose(state_.get());
    }
    ResolverState(const ResolverState&) = delete;
    ResolverState& operator=(const ResolverState&) = delete;

    bool ok() const { return ok_; }
    res_state get() { return state_.get(); }

  private:
    std::unique_ptr<ResolverStruct> state_;
    bool ok_ = false;
};

class Socket {
  public:
    explicit Socket(int fd) : fd_(fd) {}
    ~Socket() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int fd() const { return fd_; }

  private:
    int fd_;
};

struct AddrInfoFree {
    void operator()(addrinfo* ai) const { freeaddrinfo(ai); }
};

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoreCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return LowerAscii(x) == LowerAscii(y);
           });
}

// Characters that no domain name (flat or DNS) may hold; the backslash also
// matters because the resolver would read it as an escape.
bool IsForbiddenChar(unsigned char c) {
    return c <= ' ' || c == 0x7f || std::strchr("\\/:*?\"<>|,", c) != nullptr;
}

// name has its trailing dot removed already.
bool IsWellFormedDomain(const std::string& name) {
    // The query name adds the SRV prefix and must stay within a DNS name's
    // 253 characters.
    if (name.empty() || name.size() + sizeof(kDcSrvPrefix) - 1 > 253)
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

// Waits for a non-blocking connect to finish; false on timeout or refusal.
bool FinishConnect(int fd, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0)
            return false;
        pollfd pfd{fd, POLLOUT, 0};
        const int n = ::poll(&pfd, 1, static_cast<int>(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        int error = 0;
        socklen_t len = sizeof(error);
        return ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) == 0 && error == 0;
    }
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
        return ERROR_NO_SUCH_DOMAIN;
    }
    return ERROR_NO_SUCH_DOMAIN;
}

} // namespace

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
        return ERROR_INVALID_DOMAINNAME;

    if (name.find('.') == std::string::npos) {
        // A flat name is the first label of a domain the workstation knows.
        for (const std::string& domain : searchList) {
            std::string d = domain;
            if (!d.empty() && d.back() == '.')
                d.pop_back();
            if (EqualsIgnoreCase(FirstLabel(d), name) && IsWellFormedDomain(d) &&
                std::find(domains.begin(), domains.end(), d) == domains.end())
                domains.push_back(d);
        }
        if (!domains.empty())
            return 0;
    }
    domains.push_back(name);
    return 0;
}

std::vector<std::string> ResolverSearchList() {
    ResolverState resolver;
    std::vector<std::string> list;
    if (resolver.ok())
        for (int i = 0; i < MAXDNSRCH && resolver.get()->dnsrch[i] != nullptr; ++i)
            list.emplace_back(resolver.get()->dnsrch[i]);
    return list;
}

uint32_t QueryDcSrvRecords(const std::string& dnsDomain, std::vector<SrvRecord>& records) {
    records.clear();
    ResolverState resolver;
    if (!resolver.ok())
        return ERROR_NO_SUCH_DOMAIN;

    const std::string query = kDcSrvPrefix + dnsDomain;
    std::vector<unsigned char> answer(4096);
    int length = 0;
    for (;;) {
        length = res_nquery(resolver.get(), query.c_str(), ns_c_in, ns_t_srv, answer.data(),
                            static_cast<int>(answer.size()));
        if (length < 0)
            return ERROR_NO_SUCH_DOMAIN;
        // A longer answer than the buffer comes back cut; ask again with room.
        if (static_cast<size_t>(length) <= answer.size())
            break;
        if (answer.size() >= 65536)
            return ERROR_NO_SUCH_DOMAIN;
        answer.resize(65536);
    }

    ns_msg msg;
    if (ns_initparse(answer.data(), length, &msg) < 0)
        return ERROR_NO_SUCH_DOMAIN;
    const int count = ns_msg_count(msg, ns_s_an);
    for (int i = 0; i < count; ++i) {
        ns_rr rr;
        if (ns_parserr(&msg, ns_s_an, i, &rr) < 0)
            return ERROR_NO_SUCH_DOMAIN;
        // Aliases on the way to the records come in the same section.
        if (ns_rr_type(rr) != ns_t_srv || ns_rr_class(rr) != ns_c_in || ns_rr_rdlen(rr) < 7)
            continue;
        const unsigned char* rdata = ns_rr_rdata(rr);
        SrvRecord record;
        record.priority = ns_get16(rdata);
        record.weight = ns_get16(rdata + 2);
        record.port = ns_get16(rdata + 4);
        char target[NS_MAXDNAME];
        if (dn_expand(ns_msg_base(msg), ns_msg_end(msg), rdata + 6, target, sizeof(target)) < 0)
            continue;
        // dn_expand writes the root as "", RFC 2782's "." for "not offered".
        record.target = target[0] == '\0' ? "." : target;
        records.push_back(std::move(record));
    }
    return records.empty() ? ERROR_NO_SUCH_DOMAIN : 0;
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

bool AcceptsTcpConnection(const std::string& host, uint16_t port, int timeoutMs) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    if (getaddrinfo(host.c_str(), service.c_str(), &hints, &found) != 0)
        return false;
    std::unique_ptr<addrinfo, AddrInfoFree> list(found);

    for (const addrinfo* ai = list.get(); ai != nullptr; ai = ai->ai_next) {
        Socket sock(::socket(ai->ai_family, ai->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                             ai->ai_protocol));
        if (sock.fd() < 0)
            continue;
        if (::connect(sock.fd(), ai->ai_addr, ai->ai_addrlen) == 0)
            return true;
        if (errno == EINPROGRESS && FinishConnect(sock.fd(), timeoutMs))
            return true;
    }
    return false;
}

uint32_t LocateDomainController(const char* domainName, uint32_t /*flags*/, std::string& dcName) {
    // Flags: the answer is always the DNS name, and a name is read as flat or
    // DNS by its form, so neither flag changes the lookup.
    dcName.clear();
    try {
        return Locate(domainName, dcName);
    } catch (const std::bad_alloc&) {
        dcName.clear();
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

std::string WindowsErrorText(uint32_t code) {
    switch (code) {
    case ERROR_SUCCESS_DC:
        return "The operation completed successfully.";
    case ERROR_NOT_ENOUGH_MEMORY:
        return "Not enough memory resources are available to process this command.";
    case ERROR_INVALID_DOMAINNAME:
        return "The format of the specified domain name is invalid.";
    case ERROR_NO_SUCH_DOMAIN:
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
