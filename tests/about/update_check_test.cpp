// The update check against the test domain's web server and SOCKS 5 proxies
// (run inside tests/harness/with-test-domain).
#include "UpdateCheckRecorder.h"

#include "about/HttpClient.h"
#include "about/UpdateCheck.h"

#include "SocketCodes.h"
#include "TestEnv.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

using Calls = std::vector<std::string>;
using namespace std::chrono_literals;

std::string CaseURL(const std::string& name) {
    return "http://" + Env("FINDARO_TEST_WEB_HOST") + "/cases/" + name;
}

class UpdateCheck : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(Env("FINDARO_TEST_WEB_HOST").empty())
            << "run inside tests/harness/with-test-domain";
    }

    TProxyRec Proxy(const std::string& user, const std::string& password,
                    const char* portVar = "FINDARO_TEST_SOCKS_PORT") const {
        return {1, Env("FINDARO_TEST_SOCKS_HOST"), std::stoi(Env(portVar)), user, password};
    }
    TProxyRec AuthProxy() const {
        return Proxy(Env("FINDARO_TEST_SOCKS_USER"), Env("FINDARO_TEST_SOCKS_PASSWORD"));
    }

    // Runs one check of `url`; the text of the error it raised, if any.
    std::string Run(const std::string& url, const TProxyRec& proxy = {},
                    const THttpLimits& limits = {}) {
        check.VersionFileURL = url;
        recorder.calls.clear();
        auto http = CreateHttpClient(limits);
        try {
            RunUpdateCheck(check, recorder, *http, proxy);
        } catch (const TUpdateCheckError& e) {
            return e.what();
        }
        return {};
    }

    TUpdateCheck check{"", '.', "http://earlier/"};
    TUpdateRecorder recorder;
};

const Calls Start = {"busy", "repaint", "status: Checking for Updates"};

Calls With(Calls head, const Calls& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

TEST_F(UpdateCheck, VerdictsAndTheDownloadAddress) {
    struct Case {
        const char* file;
        char separator;
        Calls calls;
        const char* address;
    };
    const Calls newer = With(Start, {"verdict: A Newer Version Is Available", "download shown",
                                     "status: ", "normal cursor"});
    const Calls upToDate = With(Start, {"verdict: The current version is up to date",
                                        "download hidden", "status: ", "normal cursor"});
    const Calls missing = With(Start, {"status: Error fetching update info", "normal cursor"});
    const std::vector<Case> cases = {
        {"newer.xml", '.', newer, "http://www.findaro.example/download/findaro-1.01.tar.gz"},
        {"equal.xml", '.', upToDate, "http://www.findaro.example/download/equal"},
        {"lower.xml", '.', upToDate, "http://www.findaro.example/download/lower"},
        {"comma.xml", ',', newer, "http://www.findaro.example/download/comma"},
        {"comma.xml", '.', missing, "http://earlier/"},
        {"nan.xml", '.', missing, "http://earlier/"},
        {"noproduct.xml", '.', missing, "http://earlier/"},
        {"noversion.xml", '.', missing, "http://earlier/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " with '" + c.separator + "'");
        check.DownloadAddress = "http://earlier/";
        check.UserDecimalSeparator = c.separator;
        EXPECT_EQ(Run(CaseURL(c.file)), "");
        EXPECT_EQ(recorder.calls, c.calls);
        EXPECT_EQ(check.DownloadAddress, c.address);
    }
    // The real address of the version file serves the newer version.
    check.UserDecimalSeparator = '.';
    EXPECT_EQ(Run(VersionFileAddress()), "");
    EXPECT_EQ(recorder.calls, newer);
}

// Failures other than socket failures raise an error whose text says which;
// the first line is cleared and the verdict and address stay.
TEST_F(UpdateCheck, FailuresRaiseAnErrorThatSaysWhich) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"404", "The web server answered 404 Not Found"},
        {"302", "The web server answered with a redirect (302 Found) to "
                "http://www.findaro.example/versions/versions.xml; redirects are not followed"},
        {"closed", "The connection closed before the whole answer arrived"},
        {"big", "The version file is larger than 1024 KiB; it was not read"},
        {"malformed.xml", "The version file is not a well-formed XML document"},
        {"urlchildren.xml", "The version file's \"URL\" element holds more than text"},
    };
    for (const auto& [name, text] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(Run(CaseURL(name)).substr(0, text.size()), text);
        EXPECT_EQ(recorder.calls, With(Start, {"status: ", "normal cursor"}));
        EXPECT_EQ(check.DownloadAddress, "http://earlier/");
    }
}

// The socket box carries the system's code; the first line keeps
// "Checking for Updates".
TEST_F(UpdateCheck, SocketFailuresShowTheirCode) {
    const std::vector<std::pair<std::string, int>> cases = {
        {"http://nowhere.findaro.example/versions/versions.xml", HostNotFoundCode},
        {"http://127.0.0.7/versions/versions.xml", ConnectionRefusedCode},
    };
    for (const auto& [url, code] : cases) {
        SCOPED_TRACE(url);
        EXPECT_EQ(Run(url), "");
        EXPECT_EQ(recorder.calls,
                  With(Start, {"socket box: " + SocketErrorText(code), "normal cursor"}));
    }
    // A proxy that is down is a socket failure too.
    TProxyRec down = AuthProxy();
    down.ProxyPort = 1099;
    EXPECT_EQ(Run(VersionFileAddress(), down), "");
    EXPECT_EQ(recorder.calls,
              With(Start, {"socket box: " + SocketErrorText(ConnectionRefusedCode), "normal cursor"}));
}

TEST_F(UpdateCheck, RequestCarriesExactlyTheseHeaders) {
    auto http = CreateHttpClient();
    EXPECT_EQ(http->Get("http://" + Env("FINDARO_TEST_WEB_HOST") + "/headers", std::nullopt),
              "GET /headers HTTP/1.1\r\n"
              "Host: www.findaro.example\r\n"
              "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"
              "Accept: text/html, */*\r\n");
}

// Through the proxy the web server sees the proxy's own address, and the
// proxy logs the authenticated request.
TEST_F(UpdateCheck, GoesThroughTheSocksProxy) {
    const std::string peer = "http://" + Env("FINDARO_TEST_WEB_HOST") + "/peer";
    auto http = CreateHttpClient();
    EXPECT_NE(http->Get(peer, std::nullopt), Env("FINDARO_TEST_SOCKS_OUT_IP"));
    const std::size_t logged = FileText(Env("FINDARO_TEST_SOCKS_LOG")).size();
    const TProxyRec auth = AuthProxy();
    EXPECT_EQ(http->Get(peer, THttpProxy{auth.ProxyServer, auth.ProxyPort, auth.ProxyUser,
                                         auth.ProxyPassword}),
              Env("FINDARO_TEST_SOCKS_OUT_IP"));
    EXPECT_NE(FileText(Env("FINDARO_TEST_SOCKS_LOG"))
                  .substr(logged)
                  .find("tcp/connect [: username%" + Env("FINDARO_TEST_SOCKS_USER") + "@"),
              std::string::npos);
    // Without a user name the proxy on the open port takes the request as it is.
    EXPECT_EQ(http->Get(peer, THttpProxy{auth.ProxyServer,
                                         std::stoi(Env("FINDARO_TEST_SOCKS_OPEN_PORT")), "", ""}),
              Env("FINDARO_TEST_SOCKS_OUT_IP"));

    // The whole check through the proxy, as the About box runs it.
    const std::size_t served = FileText(Env("FINDARO_TEST_WEB_LOG")).size();
    EXPECT_EQ(Run(VersionFileAddress(), auth), "");
    EXPECT_EQ(recorder.calls[3], "verdict: A Newer Version Is Available");
    EXPECT_EQ(FileText(Env("FINDARO_TEST_WEB_LOG")).substr(served),
              Env("FINDARO_TEST_SOCKS_OUT_IP") + " GET /versions/versions.xml HTTP/1.1\n");
}

TEST_F(UpdateCheck, ProxyRefusals) {
    const std::vector<std::pair<TProxyRec, std::string>> cases = {
        {Proxy(Env("FINDARO_TEST_SOCKS_USER"), "wrong"),
         "The proxy refused the user name or password"},
        {Proxy("", ""), "The proxy refused the request"},
        // Taken as entered, never as a way around the proxy.
        {TProxyRec{1, "", 1080, "", ""}, "No proxy host name is set"},
        {TProxyRec{1, Env("FINDARO_TEST_SOCKS_HOST"), 0, "", ""},
         "The proxy port 0 is not a TCP port"},
    };
    for (const auto& [proxy, text] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(Run(VersionFileAddress(), proxy).substr(0, text.size()), text);
        EXPECT_EQ(recorder.calls, With(Start, {"status: ", "normal cursor"}));
    }
}

// Shortened bounds, so that the silent peers cost seconds.
TEST_F(UpdateCheck, SilentPeersEndAtTheBounds) {
    const THttpLimits quick{1000ms, 2000ms, 1024 * 1024};
    EXPECT_EQ(Run(CaseURL("silent"), {}, quick), "The web server did not answer within 2 seconds");
    // Port 81 takes no connection at all.
    EXPECT_EQ(
        Run("http://" + Env("FINDARO_TEST_WEB_HOST") + ":81/versions/versions.xml", {}, quick),
        "No connection within 1 seconds; the server or proxy does not answer");
    EXPECT_EQ(recorder.calls, With(Start, {"status: ", "normal cursor"}));
}

// The program's own bounds, once.
TEST_F(UpdateCheck, SilentServerEndsAfterThirtySeconds) {
    EXPECT_EQ(Run(CaseURL("silent")), "The web server did not answer within 30 seconds");
}

} // namespace
