#include "search/ResultsTable.h"

#include "directory/LdapConnection.h"

void BuildResultColumns(IResultsTable& table, const TOptionsRec& options) {
    table.ClearRows();
    table.ClearColumns();
    for (const ResultColumnDef& column : ResultColumnTable())
        if (options.*column.Flag != 0)
            AddResultColumn(table, column.Caption);
}

void AddResultColumn(IResultsTable& table, const std::string& caption) {
    table.AddColumn(caption);
}

void AddResultRows(IResultsTable& table, TQMLDAP& connection, const TOptionsRec& options) {
    std::vector<std::string> cells;
    for (int32_t i = 0; i < connection.EntryCount; ++i) {
        const TQMLDObject* entry = connection.GetEntry(i);
        cells.clear();
        // The flags are read for every entry: they are the ones the columns were
        // built from, so each row gets exactly one text per column.
        for (const ResultColumnDef& column : ResultColumnTable()) {
            if (options.*column.Flag == 0)
                continue;
            const TQMLDAttribute* attribute =
                entry ? entry->FindAttribute(column.Attribute) : nullptr;
            cells.push_back(attribute ? attribute->ValueText(0) : std::string());
        }
        // With every flag off the row has no texts at all, yet it is still a row.
        table.AddRow(cells);
    }
}
