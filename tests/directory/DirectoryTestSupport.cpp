#include "DirectoryTestSupport.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace dirtest {

void requireDomain(Domain& out) {
    auto get = [](const char* name) -> std::string {
        const char* v = std::getenv(name);
        return v != nullptr ? v : "";
    };
    out.dc = get("FINDARO_TEST_DC");
    out.dcIp = get("FINDARO_TEST_DC_IP");
    out.base = get("FINDARO_TEST_BASE");
    out.realm = get("FINDARO_TEST_REALM");
    if (out.dc.empty() || out.dcIp.empty() || out.base.empty())
        GTEST_FAIL() << "FINDARO_TEST_DC, FINDARO_TEST_DC_IP and FINDARO_TEST_BASE must be set: "
                        "run the directory tests inside tests/harness/with-test-domain";
}

void requireSideServer(SideServer& out) {
    const char* host = std::getenv("FINDARO_TEST_SLAPD");
    const char* base = std::getenv("FINDARO_TEST_SLAPD_BASE");
    out.host = host != nullptr ? host : "";
    out.base = base != nullptr ? base : "";
    if (!out.host.empty() && !out.base.empty())
        return;
    // The side server is optional in the test domain; outside it, this is
    // the same failure as every other directory test.
    if (std::getenv("FINDARO_TEST_DC") == nullptr)
        GTEST_FAIL() << "FINDARO_TEST_SLAPD and FINDARO_TEST_SLAPD_BASE must be set: run the "
                        "directory tests inside tests/harness/with-test-domain";
    GTEST_SKIP() << "this test domain runs no side slapd (FINDARO_TEST_SLAPD unset)";
}

std::string runCapture(const std::vector<std::string>& argv, int& exitCode) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    posix_spawn_file_actions_addclose(&actions, pipeFds[1]);
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = 0;
    int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    std::string output;
    if (rc == 0) {
        char buffer[4096];
        ssize_t n;
        while ((n = read(pipeFds[0], buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR))
            if (n > 0)
                output.append(buffer, static_cast<size_t>(n));
    }
    close(pipeFds[0]);
    if (rc != 0) {
        exitCode = 127;
        return output;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
    return output;
}

namespace {
std::string base64Decode(const std::string& in) {
    auto sextet = [](char c) -> int {
        if (c >= 'A' && c <= 'Z')
            return c - 'A';
        if (c >= 'a' && c <= 'z')
            return c - 'a' + 26;
        if (c >= '0' && c <= '9')
            return c - '0' + 52;
        if (c == '+')
            return 62;
        if (c == '/')
            return 63;
        return -1;
    };
    std::string out;
    unsigned accumulator = 0;
    int bits = 0;
    for (char c : in) {
        int v = sextet(c);
        if (v < 0)
            continue; // padding
        accumulator = (accumulator << 6) | static_cast<unsigned>(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<char>((accumulator >> bits) & 0xff));
        }
    }
    return out;
}

std::vector<LdifRecord> runLdapsearch(std::vector<std::string> argv,
                                      const std::vector<std::string>& extra) {
    argv.insert(argv.begin(), {"ldapsearch", "-LLL", "-o", "ldif-wrap=no"});
    argv.insert(argv.end(), extra.begin(), extra.end());
    int exitCode = 0;
    std::string text = runCapture(argv, exitCode);
    if (exitCode != 0)
        ADD_FAILURE() << "ldapsearch exited with " << exitCode;

    std::vector<LdifRecord> records;
    std::istringstream lines(text);
    std::string line;
    bool open = false;
    while (std::getline(lines, line)) {
        if (line.empty()) {
            open = false;
            continue;
        }
        if (line[0] == '#')
            continue;
        size_t colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        std::string name = line.substr(0, colon);
        std::string value;
        if (colon + 1 < line.size() && line[colon + 1] == ':')
            value = base64Decode(line.substr(colon + 2));
        else {
            size_t start = line.find_first_not_of(' ', colon + 1);
            value = start == std::string::npos ? "" : line.substr(start);
        }
        if (!open) {
            records.emplace_back();
            open = true;
        }
        records.back()[name].push_back(value);
    }
    return records;
}
} // namespace

std::vector<LdifRecord> ldapsearch(const Domain& domain, const std::vector<std::string>& extra) {
    return runLdapsearch({"-Q", "-N", "-Y", "GSSAPI", "-H", "ldap://" + domain.dc}, extra);
}

std::vector<LdifRecord> ldapsearch(const SideServer& side, const std::vector<std::string>& extra) {
    return runLdapsearch({"-x", "-H", "ldap://" + side.host}, extra);
}

SilentListener::SilentListener(const std::string& ip, int backlog) : ip_(ip) {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    inet_pton(AF_INET, ip.c_str(), &address.sin_addr);
    if (fd_ < 0 || bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(fd_, backlog) != 0)
        throw std::runtime_error("cannot listen on " + ip);
    socklen_t length = sizeof address;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
}

SilentListener::~SilentListener() {
    for (int c : clients_)
        close(c);
    close(fd_);
}

bool SilentListener::fillAcceptQueue() {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port_));
    inet_pton(AF_INET, ip_.c_str(), &address.sin_addr);
    for (int attempt = 0; attempt < 64; ++attempt) {
        int c = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        if (c < 0)
            return false;
        clients_.push_back(c);
        int rc = connect(c, reinterpret_cast<sockaddr*>(&address), sizeof address);
        if (rc == 0)
            continue;
        if (errno != EINPROGRESS)
            return false;
        pollfd p{c, POLLOUT, 0};
        if (poll(&p, 1, 300) == 0)
            return true; // this SYN went unanswered: the queue is full
    }
    return false;
}

int unusedLoopbackPort() {
    // Bind to an ephemeral port and let it go; nobody else picks it this soon.
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
}

StoppedController::StoppedController() {
    const char* ns = std::getenv("FINDARO_TEST_NAMESPACE");
    if (ns == nullptr) {
        ADD_FAILURE() << "FINDARO_TEST_NAMESPACE is not set: run inside with-test-domain";
        return;
    }
    int exitCode = 0;
    std::istringstream pids(runCapture({"ip", "netns", "pids", ns}, exitCode));
    int pid = 0;
    while (pids >> pid) {
        std::error_code error;
        const auto exe =
            std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe", error);
        if (!error && exe.filename() == "samba" && ::kill(pid, SIGSTOP) == 0)
            pids_.push_back(pid);
    }
    if (pids_.empty())
        ADD_FAILURE() << "no controller process found in namespace " << ns;
}

void StoppedController::resume() {
    for (int pid : pids_)
        ::kill(pid, SIGCONT);
    pids_.clear();
}

} // namespace dirtest
