// The socket layer's codes for a name that does not exist and a refused
// connection, as this platform reports them in the update check's box.
#pragma once

#ifdef _WIN32
#include <winsock2.h>
constexpr int HostNotFoundCode = WSAHOST_NOT_FOUND;
constexpr int ConnectionRefusedCode = WSAECONNREFUSED;
#else
#include <cerrno>
#include <netdb.h>
constexpr int HostNotFoundCode = HOST_NOT_FOUND;
constexpr int ConnectionRefusedCode = ECONNREFUSED;
#endif
