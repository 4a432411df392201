// The HTTP client on libcurl.
#include "about/HttpClient.h"

#include <curl/curl.h>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <cerrno>
#include <netdb.h>
#endif
#include <memory>
#include <mutex>

const char* const HttpAccept = "text/html, */*";
const char* const HttpUserAgent = "Mozilla/3.0 (compatible; Indy Library)";

namespace {

// The socket layer's own codes for a name that does not exist and a refused
// connection, as curl's CURLINFO_OS_ERRNO reports its other failures.
#ifdef _WIN32
constexpr int HostNotFoundCode = WSAHOST_NOT_FOUND;
constexpr int ConnectionRefusedCode = WSAECONNREFUSED;
#else
constexpr int HostNotFoundCode = HOST_NOT_FOUND;
constexpr int ConnectionRefusedCode = ECONNREFUSED;
#endif

struct CurlDeleter {
    void operator()(CURL* c) const { curl_easy_cleanup(c); }
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};

struct Exchange {
    size_t maxBody = 0;
    std::string body;
    bool tooLarge = false;
    std::string statusLine; // of the last answer
    std::string location;
};

size_t OnBody(char* data, size_t size, size_t count, void* user) {
    auto* x = static_cast<Exchange*>(user);
    size_t n = size * count;
    if (x->body.size() + n > x->maxBody) {
        x->tooLarge = true;
        return 0; // ends the transfer: nothing more is read
    }
    x->body.append(data, n);
    return n;
}

std::string TrimLine(std::string s) {
    auto blank = [](char c) { return c == '\r' || c == '\n' || c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.back()))
        s.pop_back();
    size_t start = 0;
    while (start < s.size() && blank(s[start]))
        ++start;
    return s.substr(start);
}

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
    auto* x = static_cast<Exchange*>(user);
    std::string line(data, size * count);
    if (line.rfind("HTTP/", 0) == 0) {
        x->statusLine = TrimLine(line);
        x->location.clear();
    } else if (line.size() > 9 && curl_strnequal(line.c_str(), "Location:", 9)) {
        x->location = TrimLine(line.substr(9));
    }
    return size * count;
}

// "404 Not Found" from "HTTP/1.1 404 Not Found".
std::string StatusOf(const Exchange& x, long code) {
    size_t sp = x.statusLine.find(' ');
    if (sp != std::string::npos)
        return x.statusLine.substr(sp + 1);
    return std::to_string(code);
}

const char* ProxyFailure(long code) {
    switch (code) {
    case CURLPX_USER_REJECTED:
        return "The proxy refused the user name or password";
    case CURLPX_NO_AUTH:
    case CURLPX_REQUEST_FAILED:
        return "The proxy refused the request";
    case CURLPX_REPLY_HOST_UNREACHABLE:
    case CURLPX_REPLY_NETWORK_UNREACHABLE:
    case CURLPX_REPLY_CONNECTION_REFUSED:
    case CURLPX_REPLY_TTL_EXPIRED:
        return "The proxy could not reach the web server";
    case CURLPX_REPLY_NOT_ALLOWED:
        return "The proxy does not allow a connection to the web server";
    default:
        return "The SOCKS 5 proxy failed";
    }
}

class CurlHttpClient : public IHttpClient {
  public:
    explicit CurlHttpClient(const THttpLimits& limits) : limits_(limits) {
        static std::once_flag once;
        std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    }

    std::string Get(const std::string& url, const std::optional<THttpProxy>& proxy) override {
        std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
        if (!curl)
            throw THttpError("The HTTP client could not be set up");
        CURL* c = curl.get();
        Exchange x;
        x.maxBody = limits_.MaxBody;
        char error[CURL_ERROR_SIZE] = {};

        std::unique_ptr<curl_slist, CurlDeleter> headers(
            curl_slist_append(nullptr, (std::string("Accept: ") + HttpAccept).c_str()));
        curl_easy_setopt(c, CURLOPT_URL, url.c_str());
        curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());
        curl_easy_setopt(c, CURLOPT_USERAGENT, HttpUserAgent);
        curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 0L);
        // One exchange per check, on a connection of its own that is closed after.
        curl_easy_setopt(c, CURLOPT_FRESH_CONNECT, 1L);
        curl_easy_setopt(c, CURLOPT_FORBID_REUSE, 1L);
        curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits_.Connect.count()));
        curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, static_cast<long>(limits_.Exchange.count()));
        curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, OnBody);
        curl_easy_setopt(c, CURLOPT_WRITEDATA, &x);
        curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, OnHeader);
        curl_easy_setopt(c, CURLOPT_HEADERDATA, &x);
        curl_easy_setopt(c, CURLOPT_ERRORBUFFER, error);
        if (proxy) {
            // libcurl would take an empty host for "no proxy" and port 0 for
            // its default; either would send the request by another way
            // than the one the user set.
            if (proxy->Host.empty())
                throw THttpError("No proxy host name is set; the proxy settings say to use one");
            if (proxy->Port < 1 || proxy->Port > 65535)
                throw THttpError("The proxy port " + std::to_string(proxy->Port) +
                                 " is not a TCP port (1 to 65535)");
            curl_easy_setopt(c, CURLOPT_PROXYTYPE, static_cast<long>(CURLPROXY_SOCKS5_HOSTNAME));
            curl_easy_setopt(c, CURLOPT_PROXY, proxy->Host.c_str());
            curl_easy_setopt(c, CURLOPT_PROXYPORT, static_cast<long>(proxy->Port));
            if (!proxy->User.empty()) {
                curl_easy_setopt(c, CURLOPT_PROXYUSERNAME, proxy->User.c_str());
                curl_easy_setopt(c, CURLOPT_PROXYPASSWORD, proxy->Password.c_str());
            }
        } else {
            // Direct means direct: no proxy from the environment either.
            curl_easy_setopt(c, CURLOPT_PROXY, "");
        }

        CURLcode rc = curl_easy_perform(c);
        long osErrno = 0, status = 0;
        curl_easy_getinfo(c, CURLINFO_OS_ERRNO, &osErrno);
        curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
        const std::string detail = error[0] ? error : curl_easy_strerror(rc);

        if (x.tooLarge)
            throw THttpError("The version file is larger than " +
                             std::to_string(limits_.MaxBody / 1024) + " KiB; it was not read");
        switch (rc) {
        case CURLE_OK:
            break;
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
            throw THttpSocketError(detail, HostNotFoundCode);
        case CURLE_COULDNT_CONNECT:
            throw THttpSocketError(detail, osErrno ? int(osErrno) : ConnectionRefusedCode);
        case CURLE_SEND_ERROR:
        case CURLE_RECV_ERROR:
            if (osErrno)
                throw THttpSocketError(detail, int(osErrno));
            throw THttpError("The connection closed before the whole answer arrived (" + detail +
                             ")");
        case CURLE_PARTIAL_FILE:
        case CURLE_GOT_NOTHING:
            throw THttpError("The connection closed before the whole answer arrived (" + detail +
                             ")");
        case CURLE_OPERATION_TIMEDOUT: {
            curl_off_t connected = 0;
            curl_easy_getinfo(c, CURLINFO_CONNECT_TIME_T, &connected);
            if (connected == 0)
                throw THttpError("No connection within " +
                                 std::to_string(limits_.Connect.count() / 1000) +
                                 " seconds; the server or proxy does not answer");
            throw THttpError("The web server did not answer within " +
                             std::to_string(limits_.Exchange.count() / 1000) + " seconds");
        }
        case CURLE_PROXY: {
            long px = 0;
            curl_easy_getinfo(c, CURLINFO_PROXY_ERROR, &px);
            throw THttpError(std::string(ProxyFailure(px)) + " (" + detail + ")");
        }
        default:
            throw THttpError("The update check failed: " + detail);
        }
        if (status >= 300 && status < 400)
            throw THttpError("The web server answered with a redirect (" + StatusOf(x, status) +
                             ") to " + (x.location.empty() ? "no address" : x.location) +
                             "; redirects are not followed");
        if (status < 200 || status >= 300)
            throw THttpError("The web server answered " + StatusOf(x, status));
        return std::move(x.body);
    }

  private:
    THttpLimits limits_;
};

} // namespace

std::unique_ptr<IHttpClient> CreateHttpClient(const THttpLimits& limits) {
    return std::make_unique<CurlHttpClient>(limits);
}
