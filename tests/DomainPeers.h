#pragma once
// Stand-ins and changes inside the test domain's namespace: a listener on a
// spare loopback address for a domain controller of our own, and
// samba-tool run as the harness's administrator.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

// A listening TCP socket on ip:port, or -1.
inline int ListenOnLoopback(const char* ip, uint16_t port, int backlog) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    inet_pton(AF_INET, ip, &address.sin_addr);
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(fd, backlog) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// samba-tool ARGUMENTS against the test domain's controller; true on success.
inline bool SambaTool(const std::string& arguments) {
    std::string command =
        "samba-tool " + arguments + " -U \"Administrator%$FINDARO_TEST_ADMIN_PASSWORD\"";
    if (const char* conf = std::getenv("FINDARO_TEST_SMBCONF"); conf && *conf)
        command += " -s \"$FINDARO_TEST_SMBCONF\"";
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}
