#pragma once
// The results table: which columns the Display* flags show, and how a
// search's entries become rows. The list itself sits behind IResultsTable.

#include "search/Settings.h"

#include <cstdint>
#include <string>
#include <vector>

class TQMLDAP;

class IResultsTable {
  public:
    virtual ~IResultsTable() = default;
    virtual void ClearRows() = 0;
    virtual void ClearColumns() = 0;
    // Appends a column sized to fit its header text.
    virtual void AddColumn(const std::string& caption) = 0;
    // cells[0] is the row's caption; one text per column, empty ones included.
    // With no columns shown `cells` is empty, and that is still one row.
    virtual void AddRow(const std::vector<std::string>& cells) = 0;
};

struct ResultColumnDef {
    int32_t TOptionsRec::*Flag; // the Display* flag that shows the column
    const char* Caption;
    const char* Attribute; // looked up in each entry, without regard to case
};

// The fixed column table, in display order.
const std::vector<ResultColumnDef>& ResultColumnTable();

void BuildResultColumns(IResultsTable& table);
void AddResultColumn(IResultsTable& table, const std::string& caption);
// One row for each of the connection's EntryCount entries, first values only.
void AddResultRows(IResultsTable& table, TQMLDAP& connection);
