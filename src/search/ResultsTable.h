#pragma once
// The results table: which columns the Display* flags show, and how a
// search's entries become rows. The list itself sits behind IResultsTable.

#include "search/Columns.h"
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

// Empties the table, then adds a column for each Display* flag of `options`
// that is on, in the order of ResultColumnTable.
void BuildResultColumns(IResultsTable& table, const TOptionsRec& options);
void AddResultColumn(IResultsTable& table, const std::string& caption);
// One row for each of the connection's EntryCount entries, first values only,
// one text for each column that `options` shows.
void AddResultRows(IResultsTable& table, TQMLDAP& connection, const TOptionsRec& options);
