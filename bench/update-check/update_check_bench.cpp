// Times the whole update check (GET, parse, verdict) against the test
// domain's web server, directly and through the SOCKS 5 proxy with user and
// password, and compares each with a bare libcurl GET of the same file by the
// same route: the peer is the least any check must cost.
//
//   tests/harness/with-test-domain build/bin/update_check_bench [RUNS]
#include "about/HttpClient.h"
#include "about/UpdateCheck.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

class QuietView : public IUpdateView {
  public:
    void SetBusyCursor(bool) override {}
    void RepaintBox() override {}
    void SetStatus(const std::string&) override {}
    void SetVerdict(const std::string& text) override { verdict = text; }
    void ShowDownload(bool) override {}
    void ShowSocketError(const std::string& text) override { verdict = text; }
    std::string verdict;
};

size_t Discard(char*, size_t size, size_t count, void*) {
    return size * count;
}

void BareGet(const std::string& url, const std::string& proxy) {
    CURL* c = curl_easy_init();
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_PROXY, proxy.c_str());
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, Discard);
    curl_easy_setopt(c, CURLOPT_FORBID_REUSE, 1L);
    if (curl_easy_perform(c) != CURLE_OK)
        std::fprintf(stderr, "bare GET failed\n");
    curl_easy_cleanup(c);
}

double MedianMs(int runs, const std::function<void()>& once) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        auto t0 = std::chrono::steady_clock::now();
        once();
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                .count());
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 101;
    if (Env("FINDARO_TEST_SOCKS_HOST").empty()) {
        std::fprintf(stderr, "run inside tests/harness/with-test-domain\n");
        return 1;
    }
    curl_global_init(CURL_GLOBAL_DEFAULT);
    const std::string url = VersionFileAddress();
    TProxyRec proxy{1, Env("FINDARO_TEST_SOCKS_HOST"),
                    std::atoi(Env("FINDARO_TEST_SOCKS_PORT").c_str()),
                    Env("FINDARO_TEST_SOCKS_USER"), Env("FINDARO_TEST_SOCKS_PASSWORD")};
    const std::string bareProxy = "socks5h://" + proxy.ProxyUser + ":" + proxy.ProxyPassword + "@" +
                                  proxy.ProxyServer + ":" + std::to_string(proxy.ProxyPort);
    auto http = CreateHttpClient();
    QuietView view;
    TUpdateCheck check;
    auto run = [&](const TProxyRec& p) {
        RunUpdateCheck(check, view, *http, p);
        if (view.verdict != NewerVersionAvailable)
            std::fprintf(stderr, "unexpected verdict: %s\n", view.verdict.c_str());
    };
    const double direct = MedianMs(runs, [&] { run({}); });
    const double bareDirect = MedianMs(runs, [&] { BareGet(url, ""); });
    const double proxied = MedianMs(runs, [&] { run(proxy); });
    const double bareProxied = MedianMs(runs, [&] { BareGet(url, bareProxy); });
    std::printf("median of %d runs     check     bare libcurl GET\n", runs);
    std::printf("direct               %6.2f ms  %6.2f ms\n", direct, bareDirect);
    std::printf("through SOCKS 5      %6.2f ms  %6.2f ms\n", proxied, bareProxied);
    std::printf("ratio check / bare GET: direct %.2f, through the proxy %.2f\n",
                direct / bareDirect, proxied / bareProxied);
    return 0;
}
