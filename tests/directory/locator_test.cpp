// The locator against the test domain's controller and its own DNS.

#include "directory/DcLocator.h"
#include "search/SearchRun.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cstdlib>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr uint32_t kFlags = dcflags::ReturnDnsName | dcflags::IsFlatName;

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

class TestDomain : public ::testing::Test {
  protected:
    void SetUp() override {
        dc_ = Env("FINDARO_TEST_DC");
        domain_ = Env("FINDARO_TEST_DOMAIN");
        netbios_ = Env("FINDARO_TEST_NETBIOS");
        ASSERT_FALSE(dc_.empty() || domain_.empty() || netbios_.empty())
            << "FINDARO_TEST_DC, FINDARO_TEST_DOMAIN and FINDARO_TEST_NETBIOS are not set: "
               "run this test inside tests/harness/with-test-domain";
    }
    std::string dc_, domain_, netbios_;
};

TEST_F(TestDomain, FindsTheControllerForEveryFormOfTheName) {
    std::string lowerFlat = netbios_;
    for (char& c : lowerFlat)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::string absolute = domain_ + ".";
    const struct {
        const char* what;
        const char* name;
    } cases[] = {
        {"own domain", nullptr},         {"empty name, as the container picker passes it", ""},
        {"flat name", netbios_.c_str()}, {"flat name in lower case", lowerFlat.c_str()},
        {"DNS name", domain_.c_str()},   {"absolute DNS name", absolute.c_str()},
    };
    for (const auto& c : cases) {
        std::string dcName = "left over";
        EXPECT_EQ(LocateDomainController(c.name, kFlags, dcName), 0u) << c.what;
        EXPECT_EQ(dcName, "\\\\" + dc_) << c.what;
    }
}

TEST_F(TestDomain, FindDirectoryServerAnswersTheHostName) {
    // An empty DomainName must reach the locator as no name at all: the own
    // domain, found through the search list.
    EXPECT_EQ(FindDirectoryServer(""), dc_);
    EXPECT_EQ(FindDirectoryServer(netbios_), dc_);
    EXPECT_EQ(FindDirectoryServer("NOSUCH"), "");
}

TEST_F(TestDomain, UnknownDomainIsNoSuchDomain) {
    for (const char* name : {"nosuch.example.test", "NOSUCH", "example.test"}) {
        std::string dcName = "left over";
        const uint32_t rc = LocateDomainController(name, kFlags, dcName);
        EXPECT_EQ(rc, winerror::NoSuchDomain) << name;
        EXPECT_EQ(dcName, "") << name;
        EXPECT_EQ(WindowsErrorText(rc),
                  "The specified domain either does not exist or could not be contacted.");
    }
}

// Runs a samba-tool dns command against the test controller.
bool SambaDns(const std::string& args) {
    std::string cmd =
        "samba-tool dns " + args + " -U 'Administrator%" + Env("FINDARO_TEST_ADMIN_PASSWORD") + "'";
    if (!Env("FINDARO_TEST_SMBCONF").empty())
        cmd += " -s '" + Env("FINDARO_TEST_SMBCONF") + "'";
    cmd += " >/dev/null";
    return std::system(cmd.c_str()) == 0;
}

// A controller that hangs: its accept queue is full, so new SYNs are dropped.
class HungListener {
  public:
    bool Start(const char* ip, uint16_t port) {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(port);
        ::inet_pton(AF_INET, ip, &addr.sin_addr);
        if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0 ||
            ::listen(fd_, 0) != 0)
            return false;
        for (int i = 0; i < 4; ++i) {
            const int c = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            ::connect(c, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
            clients_.push_back(c);
        }
        ::usleep(100 * 1000);
        return true;
    }
    ~HungListener() {
        for (int c : clients_)
            ::close(c);
        if (fd_ >= 0)
            ::close(fd_);
    }

  private:
    int fd_ = -1;
    std::vector<int> clients_;
};

// Puts two unusable controllers in front of the real one: "dead" refuses
// connections, "hung" never answers. Every change is undone in TearDown.
class DeadControllers : public TestDomain {
  protected:
    void SetUp() override {
        TestDomain::SetUp();
        if (HasFatalFailure())
            return;
        server_ = Env("FINDARO_TEST_DC_IP");
        ASSERT_FALSE(server_.empty()) << "FINDARO_TEST_DC_IP is not set";
        msdcs_ = "_msdcs." + domain_;

        std::vector<SrvRecord> records;
        ASSERT_EQ(QueryDcSrvRecords(domain_, records), 0u);
        ASSERT_EQ(records.size(), 1u);
        own_ = records.front();
        ASSERT_EQ(own_.target, dc_);

        // The dead ones must come strictly before the real one.
        if (own_.priority < 2) {
            const std::string moved = SrvData(dc_, own_.port, 10, own_.weight);
            ASSERT_TRUE(Do("update " + server_ + " " + msdcs_ + " _ldap._tcp.dc SRV '" +
                               SrvData(dc_, own_.port, own_.priority, own_.weight) + "' '" + moved +
                               "'",
                           "update " + server_ + " " + msdcs_ + " _ldap._tcp.dc SRV '" + moved +
                               "' '" + SrvData(dc_, own_.port, own_.priority, own_.weight) + "'"));
            own_.priority = 10;
        }
        ASSERT_TRUE(hung_.Start("127.0.0.10", 389)) << "cannot listen on 127.0.0.10:389";
        AddHost("dead", "127.0.0.9", 0);
        AddHost("hung", "127.0.0.10", 1);
    }

    void TearDown() override {
        for (auto it = undo_.rbegin(); it != undo_.rend(); ++it)
            EXPECT_TRUE(SambaDns(*it)) << "could not undo: " << *it;
    }

    static std::string SrvData(const std::string& target, uint16_t port, uint16_t priority,
                               uint16_t weight) {
        return target + " " + std::to_string(port) + " " + std::to_string(priority) + " " +
               std::to_string(weight);
    }

    bool Do(const std::string& change, const std::string& undo) {
        if (!SambaDns(change))
            return false;
        undo_.push_back(undo);
        return true;
    }

    void AddHost(const std::string& label, const std::string& ip, uint16_t priority) {
        const std::string a = "add " + server_ + " " + domain_ + " " + label + " A " + ip;
        ASSERT_TRUE(Do(a, "delete " + server_ + " " + domain_ + " " + label + " A " + ip)) << a;
        const std::string srv = server_ + " " + msdcs_ + " _ldap._tcp.dc SRV '" +
                                SrvData(label + "." + domain_, 389, priority, 100) + "'";
        ASSERT_TRUE(Do("add " + srv, "delete " + srv)) << srv;
    }

    std::string server_, msdcs_;
    SrvRecord own_;
    HungListener hung_;
    std::vector<std::string> undo_;
};

TEST_F(DeadControllers, SkipsControllersThatDoNotAnswer) {
    // The records are in place and come first, so the locator must get past
    // both to reach the real controller.
    std::vector<SrvRecord> records;
    ASSERT_EQ(QueryDcSrvRecords(domain_, records), 0u);
    const auto ordered = OrderSrvRecords(records, [](uint32_t bound) { return bound; });
    ASSERT_EQ(ordered.size(), 3u);
    EXPECT_EQ(ordered[0].target, "dead." + domain_);
    EXPECT_EQ(ordered[1].target, "hung." + domain_);
    EXPECT_EQ(ordered[2].target, dc_);
    EXPECT_FALSE(AcceptsTcpConnection(ordered[0].target, 389, 1500));
    EXPECT_FALSE(AcceptsTcpConnection(ordered[1].target, 389, 300));

    std::string dcName;
    EXPECT_EQ(LocateDomainController(netbios_.c_str(), kFlags, dcName), 0u);
    EXPECT_EQ(dcName, "\\\\" + dc_);
    EXPECT_EQ(FindDirectoryServer(""), dc_);
}

} // namespace
