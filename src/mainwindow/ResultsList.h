#pragma once
#include "search/ResultsTable.h"

#include <QTreeWidget>

// The results table as a report-style list: unsorted, flat, columns as wide
// as their headers with the last one taking the rest. The directory's UTF-8
// bytes are decoded here.
class TResultsList : public QTreeWidget, public IResultsTable {
    Q_OBJECT
  public:
    explicit TResultsList(QWidget* parent = nullptr);

    void ClearRows() override;
    void ClearColumns() override;
    void AddColumn(const std::string& caption) override;
    void AddRow(const std::vector<std::string>& cells) override;
};
