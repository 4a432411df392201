#pragma once
// The search run's window for a terminal: status and message texts go to an
// error stream as they happen, the rows are kept and printed when the run ends.

#include "search/ResultsTable.h"
#include "search/SearchRun.h"

#include <ostream>
#include <string>
#include <vector>

class TTerminalView : public ISearchView, public IResultsTable {
  public:
    explicit TTerminalView(std::ostream& messages) : messages_(messages) {}

    void SetStatus(const std::string& text) override;
    void SetStatusLater(const std::string& text) override;
    void ShowMessage(const std::string& text, const std::string& caption,
                     MessageIcon icon) override;
    void ProcessEvents() override {}
    void SetBusyCursor(bool) override {}
    void RepaintWindow() override {}
    IResultsTable& ResultsTable() override { return *this; }

    void ClearRows() override { rows_.clear(); }
    void ClearColumns() override { columns_.clear(); }
    void AddColumn(const std::string& caption) override { columns_.push_back(caption); }
    void AddRow(const std::vector<std::string>& cells) override { rows_.push_back(cells); }

    const std::vector<std::string>& Columns() const { return columns_; }
    const std::vector<std::vector<std::string>>& Rows() const { return rows_; }

  private:
    std::ostream& messages_;
    std::vector<std::string> columns_;
    std::vector<std::vector<std::string>> rows_;
};

// Columns a terminal shows in a UTF-8 text: combining marks take none, East
// Asian wide characters two, a byte that is not valid UTF-8 one.
size_t DisplayWidth(const std::string& utf8);

// Control characters would break a line or a column (or drive the terminal),
// so each becomes one blank.
std::string PrintableText(const std::string& text);

// The header line and one line per row, columns padded to a common display
// width and parted by two blanks; captions lose their edge blanks.
std::string FormatAligned(const std::vector<std::string>& columns,
                          const std::vector<std::vector<std::string>>& rows);
// The same lines with the cells parted by tabs.
std::string FormatTsv(const std::vector<std::string>& columns,
                      const std::vector<std::vector<std::string>>& rows);
