#pragma once
// Helpers for the directory tests: the test domain's settings, ldapsearch
// as an independent reader of the same directory, and TCP peers that
// misbehave on purpose.

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace dirtest {

// The test domain's environment; a missing variable is a test failure so a
// broken harness cannot pass as a skip.
struct Domain {
    std::string dc;   // DNS host name of the controller
    std::string dcIp; // its address inside the test namespace
    std::string base; // the domain's naming context
    std::string realm;
};
// Fills `out` or records a fatal failure; use with ASSERT_NO_FATAL_FAILURE.
void requireDomain(Domain& out);

// The side slapd with AD attribute names, for what the controller cannot
// show (it ignores a client's size limit, and every AD object carries
// "name" and "distinguishedName").
struct SideServer {
    std::string host; // host:port
    std::string base;
};
// Fills `out`; skips inside a test domain that runs no side server.
void requireSideServer(SideServer& out);

// One LDIF record: "dn" plus every attribute's values, base64 decoded.
using LdifRecord = std::map<std::string, std::vector<std::string>>;

// Runs ldapsearch with the user's ticket against the controller and parses
// its LDIF; records keep the server's order. `extra` follows the common
// options (scope, base, filter, attributes).
std::vector<LdifRecord> ldapsearch(const Domain& domain, const std::vector<std::string>& extra);
// The same, anonymously against the side server.
std::vector<LdifRecord> ldapsearch(const SideServer& side, const std::vector<std::string>& extra);

// Runs argv (no shell) and returns what it wrote to standard output.
std::string runCapture(const std::vector<std::string>& argv, int& exitCode);

// A listening TCP socket on `ip` that never reads, writes or accepts: the
// kernel completes handshakes into its queue and nothing answers.
class SilentListener {
  public:
    explicit SilentListener(const std::string& ip = "127.0.0.1", int backlog = 16);
    ~SilentListener();
    SilentListener(const SilentListener&) = delete;
    SilentListener& operator=(const SilentListener&) = delete;

    int port() const { return port_; }
    // Fills the accept queue so that further connection attempts get no
    // answer to their SYN; returns false if it could not.
    bool fillAcceptQueue();

  private:
    int fd_ = -1;
    int port_ = 0;
    std::string ip_;
    std::vector<int> clients_;
};

// Stops the test domain's controller, every samba process of the run's
// namespace, with SIGSTOP: its sockets stay open and the kernel still
// completes connections, but nothing answers, as with a controller that hangs.
// It runs again (SIGCONT) when the object goes.
class StoppedController {
  public:
    StoppedController(); // records a failure when there is no controller to stop
    ~StoppedController() { resume(); }
    StoppedController(const StoppedController&) = delete;
    StoppedController& operator=(const StoppedController&) = delete;

    bool stopped() const { return !pids_.empty(); }
    void resume();

  private:
    std::vector<int> pids_;
};

// A loopback port with nobody listening on it.
int unusedLoopbackPort();

class Stopwatch {
  public:
    double seconds() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    }

  private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

} // namespace dirtest
