#include "mainwindow/ResultsList.h"

#include <QHeaderView>

TResultsList::TResultsList(QWidget* parent) : QTreeWidget(parent) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setSortingEnabled(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    header()->setSectionsClickable(false);
    header()->setStretchLastSection(true);
    setColumnCount(0);
}

void TResultsList::ClearRows() {
    clear();
}

void TResultsList::ClearColumns() {
    clear();
    setColumnCount(0);
}

void TResultsList::AddColumn(const std::string& caption) {
    const int column = columnCount();
    setColumnCount(column + 1);
    headerItem()->setText(column, QString::fromUtf8(caption.data(), qsizetype(caption.size())));
    header()->resizeSection(column, header()->sectionSizeHint(column));
}

void TResultsList::AddRow(const std::vector<std::string>& cells) {
    QStringList texts;
    texts.reserve(qsizetype(cells.size()));
    for (const std::string& cell : cells)
        texts << QString::fromUtf8(cell.data(), qsizetype(cell.size()));
    addTopLevelItem(new QTreeWidgetItem(texts)); // owned by the list
}
