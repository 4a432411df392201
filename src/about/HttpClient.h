#pragma once
// What the update check needs of an HTTP client: one GET, directly or through
// a SOCKS 5 proxy, and two kinds of failure.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

// A SOCKS 5 proxy; the host name of the web server is resolved by the proxy.
struct THttpProxy {
    std::string Host;
    int32_t Port = 0;
    std::string User; // empty: no authentication
    std::string Password;
};

// The operating system could not reach the peer: the name did not resolve,
// the connection was refused or reset. `Code` is the system's error number.
class THttpSocketError : public std::runtime_error {
  public:
    THttpSocketError(const std::string& what, int code) : std::runtime_error(what), Code(code) {}
    int Code;
};

// Any other failure: a status other than 2xx, a redirect, a refusal by the
// proxy, a connection closed early, a time limit, a body too large.
class THttpError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Bounds that keep a silent peer from holding the program for ever.
struct THttpLimits {
    std::chrono::milliseconds Connect{10000};
    std::chrono::milliseconds Exchange{30000};
    size_t MaxBody = 1024 * 1024;
};

class IHttpClient {
  public:
    virtual ~IHttpClient() = default;
    // The body of a 2xx answer. The request carries exactly the Accept and
    // User-Agent headers below (and the Host line), redirects are not
    // followed, and the connection is closed afterwards.
    virtual std::string Get(const std::string& url, const std::optional<THttpProxy>& proxy) = 0;
};

extern const char* const HttpAccept;    // "text/html, */*"
extern const char* const HttpUserAgent; // "Mozilla/3.0 (compatible; Indy Library)"

std::unique_ptr<IHttpClient> CreateHttpClient(const THttpLimits& limits = {});
