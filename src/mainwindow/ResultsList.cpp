#include "mainwindow/ResultsList.h"

#include "search/Columns.h"

#include <QApplication>
#include <QClipboard>
#include <QCollator>
#include <QDesktopServices>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QUrl>

#include <algorithm>
#include <cstring>

namespace {

// The attributes whose values a telephone can dial; a fax number cannot.
bool IsCallableCaption(const std::string& caption) {
    static const char* const kCallable[] = {"telephoneNumber", "mobile", "ipPhone", "homePhone",
                                            "pager"};
    for (const ResultColumnDef& column : ResultColumnTable())
        if (caption == column.Caption)
            return std::any_of(std::begin(kCallable), std::end(kCallable),
                               [&](const char* a) { return std::strcmp(a, column.Attribute) == 0; });
    return false;
}

// A menu item's text shows "&" as typed, and a long cell shortened.
QString MenuText(const QString& text, const QFontMetrics& metrics) {
    QString shown = metrics.elidedText(text.simplified(), Qt::ElideMiddle, 40 * metrics.averageCharWidth());
    return shown.replace(QLatin1Char('&'), QLatin1String("&&"));
}

// A collator for the user's language; with none chosen (the C locale) the
// neutral order, in which "Ä" sorts with "A" and "2" before "10".
QCollator SortCollator() {
    QLocale locale;
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QCollator collator(locale);
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

} // namespace

void CopyText(const QString& text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(text, QClipboard::Clipboard);
    if (clipboard->supportsSelection())
        clipboard->setText(text, QClipboard::Selection);
}

TResultsList::TResultsList(QWidget* parent) : QTreeWidget(parent) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    // Rows arrive in the server's order and stay so until a header is clicked;
    // Qt's own sorting would also sort every row as it is added.
    setSortingEnabled(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    header()->setSectionsClickable(true);
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(true);
    header()->setSortIndicatorShown(false);
    setColumnCount(0);

    // The pop-up is a tool window that is often not the active one; its
    // selection must show all the same.
    QPalette colours = palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        colours.setColor(QPalette::Inactive, role, colours.color(QPalette::Active, role));
    setPalette(colours);

    connect(header(), &QHeaderView::sectionClicked, this, &TResultsList::SortByColumn);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, &TResultsList::ShowContextMenu);
    connect(this, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* row, int column) {
        if (const QUrl address = CallAddress(*row, column); !address.isEmpty())
            QDesktopServices::openUrl(address);
    });
}

void TResultsList::ClearRows() {
    clear();
    estimates_.clear();
    // A new search shows the server's order again.
    sortColumn_ = -1;
    header()->setSortIndicatorShown(false);
}

void TResultsList::ClearColumns() {
    ClearRows();
    setColumnCount(0);
    callable_.clear();
}

void TResultsList::AddColumn(const std::string& caption) {
    const int column = columnCount();
    setColumnCount(column + 1);
    headerItem()->setText(column, QString::fromUtf8(caption.data(), qsizetype(caption.size())));
    header()->resizeSection(column, header()->sectionSizeHint(column));
    callable_.push_back(IsCallableCaption(caption));
}

void TResultsList::AddRow(const std::vector<std::string>& cells) {
    QStringList texts;
    texts.reserve(qsizetype(cells.size()));
    for (const std::string& cell : cells)
        texts << QString::fromUtf8(cell.data(), qsizetype(cell.size()));
    auto* row = new QTreeWidgetItem(texts); // owned by the list
    addTopLevelItem(row);
    // Estimated now, while the texts are at hand, for FitColumns.
    if (advancesStale_)
        RebuildEstimates(); // also takes in the row just added
    else
        AddEstimates(row, texts);
}

void TResultsList::AddEstimates(QTreeWidgetItem* row, const QStringList& texts) {
    estimates_.resize(size_t(columnCount()));
    for (int c = 0; c < columnCount() && c < texts.size(); ++c)
        if (!texts[c].isEmpty())
            estimates_[size_t(c)].emplace_back(EstimateWidth(texts[c]), row);
}

void TResultsList::RebuildEstimates() {
    constexpr int TableSize = 0x250; // Latin with its accents
    const QFontMetricsF metrics(font());
    advances_.assign(TableSize, 0);
    for (int c = 0; c < TableSize; ++c)
        advances_[size_t(c)] = metrics.horizontalAdvance(QChar(c));
    advancesStale_ = false;
    estimates_.clear();
    for (int r = 0; r < topLevelItemCount(); ++r) {
        QTreeWidgetItem* row = topLevelItem(r);
        QStringList texts;
        for (int c = 0; c < columnCount(); ++c)
            texts << row->text(c);
        AddEstimates(row, texts);
    }
}

// Measuring every cell through the text engine costs a large search more
// than filling the list does. The sum of the characters' advances is the
// text's width before kerning and ligatures, which only narrow it; so only
// the cells whose estimate could beat the widest exact width so far are
// measured. Text beyond Latin and its accents is measured at once, as
// shaping may change its width either way.
double TResultsList::EstimateWidth(const QString& text) const {
    double width = 0;
    for (QChar ch : text) {
        if (ch.unicode() >= advances_.size())
            return QFontMetricsF(font()).horizontalAdvance(text);
        width += advances_[ch.unicode()];
    }
    return width;
}

int TResultsList::WidestText(int column) {
    std::vector<std::pair<double, QTreeWidgetItem*>>& cells = estimates_[size_t(column)];
    std::sort(cells.begin(), cells.end(),
              [](const auto& a, const auto& b) { return a.first > b.first; });
    const QFontMetrics metrics(font());
    int widest = 0;
    for (const auto& [estimate, row] : cells) {
        // A pixel for the exact width's rounding.
        if (estimate <= widest + 1)
            break;
        widest = std::max(widest, metrics.horizontalAdvance(row->text(column)));
    }
    // The odd positive kerning pair can add a pixel or two.
    constexpr int KerningAllowance = 2;
    return widest > 0 ? widest + KerningAllowance : 0;
}

void TResultsList::FitColumns() {
    const int columns = columnCount();
    if (columns == 0)
        return;
    // The item view's text margin on either side (QCommonStyle's).
    const int margin =
        2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1) + 2;
    const int available = viewport()->width();
    const int cap = std::max(available * 2 / 3, header()->minimumSectionSize());

    if (advancesStale_)
        RebuildEstimates();
    estimates_.resize(size_t(columns));
    std::vector<int> widths(size_t(columns), 0);
    for (int c = 0; c < columns; ++c) {
        const int widest = WidestText(c);
        widths[size_t(c)] = std::min(
            cap, std::max(header()->sectionSizeHint(c), widest > 0 ? widest + margin : 0));
    }

    int used = 0;
    for (int c = 0; c + 1 < columns; ++c) {
        header()->resizeSection(c, widths[size_t(c)]);
        used += widths[size_t(c)];
    }
    // The last column fills what is left; when what is left is too narrow
    // for it, it keeps its own width and the list scrolls sideways.
    const int last = widths.back();
    header()->setStretchLastSection(last <= available - used);
    if (last > available - used)
        header()->resizeSection(columns - 1, last);
}

QString TResultsList::RowText(const QTreeWidgetItem& row) const {
    QStringList cells;
    for (int visual = 0; visual < columnCount(); ++visual)
        cells << row.text(header()->logicalIndex(visual));
    return cells.join(QLatin1Char('\t'));
}

QUrl TResultsList::CallAddress(const QTreeWidgetItem& row, int column) const {
    if (column < 0 || size_t(column) >= callable_.size() || !callable_[size_t(column)])
        return {};
    QString number = row.text(column);
    number.remove(QRegularExpression(QStringLiteral("\\s")));
    if (!number.contains(QRegularExpression(QStringLiteral("\\d"))))
        return {};
    return QUrl(QStringLiteral("tel:") + number);
}

void TResultsList::CopySelectedRows() {
    QStringList lines;
    // In the order shown, whatever order they were selected in.
    for (int r = 0; r < topLevelItemCount(); ++r)
        if (topLevelItem(r)->isSelected())
            lines << RowText(*topLevelItem(r));
    if (lines.isEmpty() && currentItem())
        lines << RowText(*currentItem());
    if (!lines.isEmpty())
        CopyText(lines.join(QLatin1Char('\n')));
}

void TResultsList::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        CopySelectedRows();
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void TResultsList::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        advancesStale_ = true;
    QTreeWidget::changeEvent(event);
}

void TResultsList::focusInEvent(QFocusEvent* event) {
    QTreeWidget::focusInEvent(event);
    // Arriving by keyboard, the user must see where the selection is.
    if (!currentItem() && topLevelItemCount() > 0)
        setCurrentItem(topLevelItem(0));
    else if (currentItem() && selectedItems().isEmpty())
        currentItem()->setSelected(true);
}

void TResultsList::ShowContextMenu(const QPoint& position) {
    QTreeWidgetItem* row = itemAt(position);
    if (!row)
        return;
    const int column = columnAt(position.x());
    setCurrentItem(row, column);

    QMenu menu(this);
    menu.setObjectName(QStringLiteral("mnuResults"));
    const QString cell = column >= 0 ? row->text(column) : QString();
    if (!cell.isEmpty())
        menu.addAction(tr("Copy %1").arg(MenuText(cell, fontMetrics())),
                       [cell] { CopyText(cell); });
    menu.addAction(tr("Copy Row"), [this, row] { CopyText(RowText(*row)); });
    if (const QUrl address = CallAddress(*row, column); !address.isEmpty())
        menu.addAction(tr("Call %1").arg(MenuText(cell, fontMetrics())),
                       [address] { QDesktopServices::openUrl(address); });
    menu.exec(viewport()->mapToGlobal(position));
}

void TResultsList::SortByColumn(int column) {
    sortOrder_ = (column == sortColumn_ && sortOrder_ == Qt::AscendingOrder) ? Qt::DescendingOrder
                                                                          : Qt::AscendingOrder;
    sortColumn_ = column;
    header()->setSortIndicator(column, sortOrder_);
    header()->setSortIndicatorShown(true);

    QTreeWidgetItem* current = currentItem();
    QList<QTreeWidgetItem*> rows = invisibleRootItem()->takeChildren();
    const QCollator collator = SortCollator();
    std::stable_sort(rows.begin(), rows.end(), [&](QTreeWidgetItem* a, QTreeWidgetItem* b) {
        const int order = collator.compare(a->text(column), b->text(column));
        return sortOrder_ == Qt::AscendingOrder ? order < 0 : order > 0;
    });
    addTopLevelItems(rows);
    if (current)
        setCurrentItem(current);
}
