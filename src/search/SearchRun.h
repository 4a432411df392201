#pragma once
// The search run: locate a controller, bind, search every container and fill
// the results table. It talks to its window only through ISearchView.

#include "search/ResultsTable.h"

#include <string>

class TQMLDAP;
class TDiagnosticsLog;

enum class MessageIcon { Error, Warning, Information };

class ISearchView {
  public:
    virtual ~ISearchView() = default;
    // Sets the status line and repaints it at once.
    virtual void SetStatus(const std::string& text) = 0;
    // Sets the status line without repainting (it shows at the next paint).
    virtual void SetStatusLater(const std::string& text) = 0;
    virtual void ShowMessage(const std::string& text, const std::string& caption,
                             MessageIcon icon) = 0;
    // Lets the waiting window events through once.
    virtual void ProcessEvents() = 0;
    virtual void SetBusyCursor(bool busy) = 0;
    virtual void RepaintWindow() = 0;
    virtual IResultsTable& ResultsTable() = 0;
};

// Host name of a domain controller of `domainName`'s domain (empty: the
// workstation's own), or empty when none was found.
std::string FindDirectoryServer(const std::string& domainName);

// One AddAttribute for each Display* flag of `options` that is on, in column order.
void AddRequestedAttributes(TQMLDAP& connection, const TOptionsRec& options);

// How a run ended: searched (with or without failed containers), or stopped
// before searching (NoContainer: none configured and the default container
// could not be read).
enum class SearchOutcome {
    Completed,
    CompletedWithErrors,
    NoServer,
    ConnectFailed,
    BindFailed,
    NoContainer
};

// Locates a controller of DomainName's domain, binds as the user, searches
// every container of options.SearchDN with the filter for `searchText`
// (UTF-8) and appends the rows to the view's table; the log is emptied first.
// With no container configured, the users' container of the default naming
// context is appended to options.SearchDN. The busy cursor is on for the
// whole run, except while the no-server box waits for the user. The program
// passes OptionsRec.
SearchOutcome RunSearch(ISearchView& view, TDiagnosticsLog& log, const std::string& searchText,
                        TOptionsRec& options);
