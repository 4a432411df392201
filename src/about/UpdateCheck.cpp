#include "about/UpdateCheck.h"

#include "about/VersionFile.h"
#include "search/Settings.h"

#include <algorithm>
#include <cctype>

const char* const CheckingForUpdates = "Checking for Updates";
const char* const ErrorFetchingUpdateInfo = "Error fetching update info";
const char* const NewerVersionAvailable = "A Newer Version Is Available";
const char* const VersionUpToDate = "The current version is up to date";

namespace {

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

class BusyCursor {
  public:
    explicit BusyCursor(IUpdateView& view) : view_(view) { view_.SetBusyCursor(true); }
    ~BusyCursor() { view_.SetBusyCursor(false); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

  private:
    IUpdateView& view_;
};

} // namespace

std::string VersionFileAddress() {
    std::string site = WebSiteAddress;
    size_t start = site.find("://");
    start = start == std::string::npos ? 0 : start + 3;
    size_t end = site.find_first_of("/?#", start);
    std::string authority = site.substr(start, end == std::string::npos ? end : end - start);
    // The host alone: the version file is on port 80 whatever the site uses.
    if (size_t at = authority.rfind('@'); at != std::string::npos)
        authority.erase(0, at + 1);
    if (!authority.empty() && authority[0] != '[') {
        if (size_t colon = authority.find(':'); colon != std::string::npos)
            authority.erase(colon);
    } else if (size_t close = authority.find(']'); close != std::string::npos) {
        authority.erase(close + 1);
    }
    return "http://" + authority + "/versions/versions.xml";
}

std::string SocketErrorText(int code) {
    return "An Error occured whilst Checking for updates. \n\n Error Code : " +
           std::to_string(code);
}

bool IsWebAddress(const std::string& address) {
    std::string a = Lower(address);
    for (const char* scheme : {"http://", "https://"}) {
        std::string s = scheme;
        if (a.rfind(s, 0) == 0 && a.size() > s.size() && a[s.size()] != '/')
            return a.find_first_of(" \t\r\n") == std::string::npos;
    }
    return false;
}

void RunUpdateCheck(TUpdateCheck& check, IUpdateView& view, IHttpClient& http,
                    const TProxyRec& proxy) {
    BusyCursor busy(view);
    view.RepaintBox();
    view.SetStatus(CheckingForUpdates);

    std::optional<THttpProxy> socks;
    if (proxy.ProxyEnabled != 0)
        socks =
            THttpProxy{proxy.ProxyServer, proxy.ProxyPort, proxy.ProxyUser, proxy.ProxyPassword};

    TVersionFileEntry entry;
    try {
        entry = ReadVersionFile(http.Get(check.VersionFileURL, socks), ProductName,
                                check.UserDecimalSeparator);
    } catch (const THttpSocketError& error) {
        // The first line keeps "Checking for Updates": the check did not end.
        view.ShowSocketError(SocketErrorText(error.Code));
        return;
    } catch (const std::exception& error) {
        view.SetStatus("");
        throw TUpdateCheckError(error.what());
    }
    if (!entry.Found) {
        view.SetStatus(ErrorFetchingUpdateInfo);
        return;
    }
    check.DownloadAddress = entry.URL;
    const bool newer = IsNewerVersion(entry.Version, ProgramVersion);
    view.SetVerdict(newer ? NewerVersionAvailable : VersionUpToDate);
    view.ShowDownload(newer);
    view.SetStatus("");
}
