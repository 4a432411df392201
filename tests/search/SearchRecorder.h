#pragma once
// A window for the search run that keeps every call, in order, as text, and
// the table it would show.

#include "search/ResultsTable.h"
#include "search/SearchRun.h"

#include <string>
#include <vector>

class TSearchRecorder : public ISearchView, public IResultsTable {
  public:
    void SetStatus(const std::string& text) override { Calls.push_back("SetStatus:" + text); }
    void SetStatusLater(const std::string& text) override {
        Calls.push_back("SetStatusLater:" + text);
    }
    void ShowMessage(const std::string& text, const std::string& caption,
                     MessageIcon icon) override {
        const char* kind = icon == MessageIcon::Error     ? "Error"
                           : icon == MessageIcon::Warning ? "Warning"
                                                          : "Information";
        Calls.push_back("ShowMessage:" + text + "|" + caption + "|" + kind);
    }
    void ProcessEvents() override { Calls.push_back("ProcessEvents"); }
    void SetBusyCursor(bool busy) override {
        Calls.push_back(busy ? "BusyCursor:on" : "BusyCursor:off");
    }
    void RepaintWindow() override { Calls.push_back("RepaintWindow"); }
    IResultsTable& ResultsTable() override { return *this; }

    void ClearRows() override {
        Calls.push_back("ClearRows");
        Rows.clear();
    }
    void ClearColumns() override {
        Calls.push_back("ClearColumns");
        Columns.clear();
    }
    void AddColumn(const std::string& caption) override {
        Calls.push_back("AddColumn:" + caption);
        Columns.push_back(caption);
    }
    void AddRow(const std::vector<std::string>& cells) override {
        std::string joined;
        for (size_t i = 0; i < cells.size(); ++i)
            joined += (i ? "|" : "") + cells[i];
        Calls.push_back("AddRow:" + joined);
        Rows.push_back(cells);
    }

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
};
