#pragma once
// A window for the search run that keeps every call, in order, as text, and
// the table it would show.

#include "search/ResultsTable.h"
#include "search/SearchRun.h"

#include <functional>
#include <string>
#include <vector>

class TSearchRecorder : public ISearchView, public IResultsTable {
  public:
    void SetStatus(const std::string& text) override { Record("SetStatus:" + text); }
    void SetStatusLater(const std::string& text) override { Record("SetStatusLater:" + text); }
    void ShowMessage(const std::string& text, const std::string& caption,
                     MessageIcon icon) override {
        const char* kind = icon == MessageIcon::Error     ? "Error"
                           : icon == MessageIcon::Warning ? "Warning"
                                                          : "Information";
        Record("ShowMessage:" + text + "|" + caption + "|" + kind);
    }
    void ProcessEvents() override { Record("ProcessEvents"); }
    void SetBusyCursor(bool busy) override { Record(busy ? "BusyCursor:on" : "BusyCursor:off"); }
    void RepaintWindow() override { Record("RepaintWindow"); }
    IResultsTable& ResultsTable() override { return *this; }

    void ClearRows() override {
        Record("ClearRows");
        Rows.clear();
    }
    void ClearColumns() override {
        Record("ClearColumns");
        Columns.clear();
    }
    void AddColumn(const std::string& caption) override {
        Record("AddColumn:" + caption);
        Columns.push_back(caption);
    }
    void AddRow(const std::vector<std::string>& cells) override {
        std::string joined;
        for (size_t i = 0; i < cells.size(); ++i)
            joined += (i ? "|" : "") + cells[i];
        Record("AddRow:" + joined);
        Rows.push_back(cells);
    }

    // Called with each call as it is recorded: a test stages a failure at an
    // exact point of the run.
    std::function<void(const std::string& call)> OnCall;

    // The calls of one kind ("SetStatus", "AddRow" ...), in order.
    std::vector<std::string> CallsOf(const std::string& kind) const {
        std::vector<std::string> found;
        for (const std::string& call : Calls)
            if (call.compare(0, kind.size(), kind) == 0 &&
                (call.size() == kind.size() || call[kind.size()] == ':'))
                found.push_back(call);
        return found;
    }

    std::vector<std::string> Calls;
    std::vector<std::string> Columns;
    std::vector<std::vector<std::string>> Rows;

  private:
    void Record(const std::string& call) {
        Calls.push_back(call);
        if (OnCall)
            OnCall(call);
    }
};
