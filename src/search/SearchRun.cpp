#include "search/SearchRun.h"

#include "base/AsciiCase.h"
#include "directory/LdapBrowser.h"
#include "directory/LdapConnection.h"
#include "search/Diagnostics.h"
#include "search/FailureStatus.h"
#include "search/Filter.h"
#include "search/Settings.h"

#include <memory>
#include <utility>
#include <vector>

namespace {

// The hourglass from the start of a run to every way out of it.
class TBusyCursor {
  public:
    explicit TBusyCursor(ISearchView& view) : view_(view) {
        view_.SetBusyCursor(true);
        on_ = true;
    }
    ~TBusyCursor() {
        try {
            Release();
        } catch (...) {
            // Nothing sensible is left to do with a view that fails here.
        }
    }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;

    void Release() {
        if (on_) {
            on_ = false;
            view_.SetBusyCursor(false);
        }
    }

  private:
    ISearchView& view_;
    bool on_ = false;
};

// The root entry was read but names no default naming context
// (LDAP_NO_SUCH_ATTRIBUTE).
constexpr int32_t kNoNamingContext = 16;

// No container configured: the users' container of the server's default
// naming context. The browser's own connection closes with it. Returns 0, or
// the code that says why no container was found: the read's, else the
// browser's bind's, else kNoNamingContext.
int32_t AddDefaultContainer(const std::string& host, TOptionsRec& options) {
    TQMLDAPBrowse browser;
    browser.Connect(host);
    const int32_t bound = browser.Bind();
    std::vector<std::string> names;
    std::vector<std::string> values;
    if (const int32_t read = browser.ReadRootDSE(names, values); read != 0)
        return read;
    for (size_t i = 0; i < names.size(); ++i) {
        if (!findaro::EqualsAsciiNoCase(names[i], "defaultNamingContext"))
            continue;
        if (i < values.size() && !values[i].empty()) {
            options.SearchDN.push_back("CN=Users," + values[i]);
            return 0;
        }
        break;
    }
    return bound != 0 ? bound : kNoNamingContext;
}

} // namespace

void AddRequestedAttributes(TQMLDAP& connection, const TOptionsRec& options) {
    for (const ResultColumnDef& column : ResultColumnTable())
        if (options.*column.Flag != 0)
            connection.AddAttribute(column.Attribute);
}

SearchOutcome RunSearch(ISearchView& view, TDiagnosticsLog& log, const std::string& searchText,
                        TOptionsRec& options) {
    bool errorFlag = false;
    TBusyCursor busy(view);
    view.RepaintWindow();
    log.ClearDiagnostics();

    // Closes its connection on every way out.
    auto ldap = std::make_unique<TQMLDAP>();

    view.SetStatus("Connecting to Directory");
    log.LogDiagnostic("Connecting to Directory");
    const std::string host = FindDirectoryServer(options.DomainName);
    if (host.empty()) {
        // The status line says why while the box waits, and after it.
        view.SetStatus(NoServerStatus(options.DomainName));
        // The box waits for the user; it must not show the hourglass meanwhile.
        busy.Release();
        view.ShowMessage("No LDAP Server for this domain could be found", ProductName,
                         MessageIcon::Error);
        return SearchOutcome::NoServer;
    }
    log.LogDiagnostic("Selected LDAP Server : " + host);

    int32_t result = ldap->Connect(host);
    if (result != 0) {
        log.LogDiagnostic("Error Connecting to Directory", result);
        view.SetStatus(ConnectFailedStatus(host));
        return SearchOutcome::ConnectFailed;
    }

    log.LogDiagnostic("Binding to Directory");
    result = ldap->Bind();
    if (result != 0) {
        log.LogDiagnostic("Error Binding to Directory", result);
        view.SetStatus(BindFailedStatus(result, ldap->DiagnosticText(), ldap->ErrorText()));
        return SearchOutcome::BindFailed;
    }

    log.LogDiagnostic("Adding Attributes");
    AddRequestedAttributes(*ldap, options);

    log.LogDiagnostic("Building Filter");
    const std::string filter = BuildFilter(options, searchText);
    log.LogDiagnostic("Filter : " + filter);
    ldap->SetFilter(filter);

    view.ResultsTable().ClearRows();

    log.LogDiagnostic("Setting size limit of : " + std::to_string(options.MaxResults));
    ldap->SetSizeLimit(options.MaxResults);

    // Without a container nothing is searched; an empty table then must not
    // pass for a search that found nobody.
    bool noContainer = false;
    if (options.SearchDN.empty()) {
        if (const int32_t code = AddDefaultContainer(host, options); code != 0) {
            log.LogDiagnostic("Error Reading Default Container", code);
            noContainer = true;
        }
    }

    view.ProcessEvents();

    // The count is read afresh on every pass, as the list is the live setting.
    for (size_t i = 0; i < options.SearchDN.size(); ++i) {
        view.SetStatus("Clear previous search");
        ldap->ClearResults();

        const std::string dn = options.SearchDN[i];
        ldap->SetBaseDN(dn);
        ldap->SetSearchChildren(options.SearchChildren);
        ldap->SetReferrals(options.SearchReferrals);
        ldap->SetTimeLimit(options.SearchTimeout);

        view.SetStatus("Searching : " + dn);
        log.LogDiagnostic("Starting Search in : " + dn);
        result = ldap->Search();
        if (result != 0) {
            log.LogDiagnostic("Error Performing Search : " + std::to_string(result) + " " +
                              ldap->ErrorText());
            errorFlag = true;
            continue;
        }
        log.LogDiagnostic("Finished Search in : " + dn);
        view.SetStatus("Displaying Results");
        AddResultRows(view.ResultsTable(), *ldap, options);
    }

    ldap->Unbind();
    view.SetStatus("");
    ldap.reset();
    busy.Release();

    if (noContainer) {
        view.SetStatusLater(
            "The default container could not be read - Check the diagnostics screen for details");
        return SearchOutcome::NoContainer;
    }
    if (errorFlag) {
        view.SetStatusLater(
            "One or more errors occured - Check the diagnostics screen for details");
        return SearchOutcome::CompletedWithErrors;
    }
    return SearchOutcome::Completed;
}
