#pragma once
#include "search/ResultsTable.h"

#include <QTreeWidget>

#include <vector>

class QMenu;

// The results table as a report-style list. Rows keep the server's order
// until the user clicks a header; FitColumns sizes the columns to what they
// show once a search has added its rows. The directory's UTF-8 bytes are
// decoded here. Ctrl+C, a context menu and a double click copy a row or a
// cell and call a telephone number.
class TResultsList : public QTreeWidget, public IResultsTable {
    Q_OBJECT
  public:
    explicit TResultsList(QWidget* parent = nullptr);

    void ClearRows() override;
    void ClearColumns() override;
    void AddColumn(const std::string& caption) override;
    void AddRow(const std::vector<std::string>& cells) override;

    // Each column as wide as its header or its widest cell, whichever is
    // wider, but at most two thirds of the list; the last one takes the rest.
    void FitColumns();

    // The row's cells, tab-separated, in the order the columns are shown.
    QString RowText(const QTreeWidgetItem& row) const;
    // A callable number's "tel:" address, or empty: only telephone, mobile,
    // IP phone, home phone and pager cells that hold a digit are callable.
    QUrl CallAddress(const QTreeWidgetItem& row, int column) const;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void CopySelectedRows();
    void ShowContextMenu(const QPoint& position);
    void SortByColumn(int column);
    double EstimateWidth(const QString& text) const;
    void AddEstimates(QTreeWidgetItem* row, const QStringList& texts);
    void RebuildEstimates();
    int WidestText(int column);

    std::vector<bool> callable_; // per column
    int sortColumn_ = -1;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
    // Advances of the characters up to U+024F in the list's font, and each
    // column's cells with their estimated widths, for FitColumns.
    std::vector<double> advances_;
    bool advancesStale_ = true;
    std::vector<std::vector<std::pair<double, QTreeWidgetItem*>>> estimates_;
};

// Puts text on the clipboard and, where the desktop has one, the primary
// selection.
void CopyText(const QString& text);
