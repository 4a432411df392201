// The Linux locator's own steps: a malformed name refused before any
// lookup, the Windows wording of its codes, and the connection probe against
// listeners on loopback.

#include "directory/DcLocator.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <vector>

namespace {

TEST(WindowsErrorText, WordsEveryCodeTheLocatorReturns) {
    EXPECT_EQ(WindowsErrorText(winerror::NoSuchDomain),
              "The specified domain either does not exist or could not be contacted.");
    EXPECT_EQ(WindowsErrorText(winerror::InvalidDomainName),
              "The format of the specified domain name is invalid.");
    EXPECT_EQ(WindowsErrorText(winerror::NotEnoughMemory),
              "Not enough memory resources are available to process this command.");
}

TEST(LocateDomainController, MalformedNameFailsBeforeAnyLookup) {
    std::string dc = "left over";
    EXPECT_EQ(
        LocateDomainController("corp..test", dcflags::ReturnDnsName | dcflags::IsFlatName, dc),
        winerror::InvalidDomainName);
    EXPECT_EQ(dc, "");
}

// A loopback listener on an ephemeral port.
class Listener {
  public:
    explicit Listener(int backlog) {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0 ||
            ::listen(fd_, backlog) != 0)
            return;
        socklen_t len = sizeof(addr);
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len);
        port_ = ntohs(addr.sin_port);
    }
    ~Listener() {
        for (int fd : clients_)
            ::close(fd);
        if (fd_ >= 0)
            ::close(fd_);
    }
    uint16_t port() const { return port_; }
    // Fills the accept queue, so that the kernel drops further SYNs: a
    // controller that hangs instead of refusing.
    void FillQueue() {
        for (int i = 0; i < 4; ++i) {
            int c = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            sockaddr_in addr{};
            addr.sin_family = AF_INET;
            addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            addr.sin_port = htons(port_);
            ::connect(c, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
            clients_.push_back(c);
        }
        ::usleep(100 * 1000);
    }

  private:
    int fd_ = -1;
    uint16_t port_ = 0;
    std::vector<int> clients_;
};

TEST(AcceptsTcpConnection, TellsListeningFromRefusingAndHanging) {
    Listener open(16);
    ASSERT_NE(open.port(), 0);
    EXPECT_TRUE(AcceptsTcpConnection("127.0.0.1", open.port(), 1500));

    uint16_t closedPort = 0;
    {
        Listener gone(1);
        closedPort = gone.port();
    }
    EXPECT_FALSE(AcceptsTcpConnection("127.0.0.1", closedPort, 1500));

    Listener hung(0);
    hung.FillQueue();
    EXPECT_FALSE(AcceptsTcpConnection("127.0.0.1", hung.port(), 300));
}

} // namespace
