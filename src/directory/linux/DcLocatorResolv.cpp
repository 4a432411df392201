// Linux backend of the domain controller locator: the resolver (libresolv,
// with a private state) and a non-blocking TCP probe.

#include "directory/DcLocator.h"

#include "base/UniqueFd.h"

#include <arpa/nameser.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <resolv.h>
#include <sys/socket.h>

namespace {

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

struct AddrInfoFree {
    void operator()(addrinfo* ai) const { freeaddrinfo(ai); }
};

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

} // namespace

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
        return winerror::NoSuchDomain;

    const std::string query = DcSrvQueryName(dnsDomain);
    std::vector<unsigned char> answer(4096);
    int length = 0;
    for (;;) {
        length = res_nquery(resolver.get(), query.c_str(), ns_c_in, ns_t_srv, answer.data(),
                            static_cast<int>(answer.size()));
        if (length < 0)
            return winerror::NoSuchDomain;
        // A longer answer than the buffer comes back cut; ask again with room.
        if (static_cast<size_t>(length) <= answer.size())
            break;
        if (answer.size() >= 65536)
            return winerror::NoSuchDomain;
        answer.resize(65536);
    }

    ns_msg msg;
    if (ns_initparse(answer.data(), length, &msg) < 0)
        return winerror::NoSuchDomain;
    const int count = ns_msg_count(msg, ns_s_an);
    for (int i = 0; i < count; ++i) {
        ns_rr rr;
        if (ns_parserr(&msg, ns_s_an, i, &rr) < 0)
            return winerror::NoSuchDomain;
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
    return records.empty() ? winerror::NoSuchDomain : 0;
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
        findaro::UniqueFd sock(::socket(
            ai->ai_family, ai->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, ai->ai_protocol));
        if (!sock)
            continue;
        if (::connect(sock.get(), ai->ai_addr, ai->ai_addrlen) == 0)
            return true;
        if (errno == EINPROGRESS && FinishConnect(sock.get(), timeoutMs))
            return true;
    }
    return false;
}
