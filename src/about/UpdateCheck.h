#pragma once
// The update check behind the About box's "Check For Updates" button: fetch
// the version file, read this product's entry and compare its version with
// the running one. It runs to its end before it returns.

#include "about/HttpClient.h"
#include "about/ProxySettings.h"

#include <stdexcept>
#include <string>

// A failure the check does not handle itself; its text says what happened,
// and it goes on to the standard error box.
class TUpdateCheckError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The About box as the check sees it.
class IUpdateView {
  public:
    virtual ~IUpdateView() = default;
    virtual void SetBusyCursor(bool busy) = 0;
    virtual void RepaintBox() = 0;
    virtual void SetStatus(const std::string& text) = 0;  // first line, repainted at once
    virtual void SetVerdict(const std::string& text) = 0; // second line
    virtual void ShowDownload(bool visible) = 0;
    // The socket failure's own box ("Check for Updates", no icon).
    virtual void ShowSocketError(const std::string& text) = 0;
};

extern const char* const CheckingForUpdates;      // "Checking for Updates"
extern const char* const ErrorFetchingUpdateInfo; // "Error fetching update info"
extern const char* const NewerVersionAvailable;   // "A Newer Version Is Available"
extern const char* const VersionUpToDate;         // "The current version is up to date"

// http://<host of the web-site address>/versions/versions.xml
std::string VersionFileAddress();

// "An Error occured whilst Checking for updates. \n\n Error Code : <code>"
std::string SocketErrorText(int code);

struct TUpdateCheck {
    std::string VersionFileURL = VersionFileAddress();
    char UserDecimalSeparator = '.';
    // Replaced by every check that finds the product's "Version" and "URL".
    std::string DownloadAddress;
};

// Throws TUpdateCheckError for failures other than a socket failure or a
// missing element, after clearing the first status line.
void RunUpdateCheck(TUpdateCheck& check, IUpdateView& view, IHttpClient& http,
                    const TProxyRec& proxy);

// Whether an address may be handed to the browser: http and https only, since
// the download address comes over plain HTTP from the network.
bool IsWebAddress(const std::string& address);
