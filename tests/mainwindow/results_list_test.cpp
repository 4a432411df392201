// The results list on its own: column fitting, sorting, copy and call.
#include "gui_test_support.h"
#include "mainwindow/ResultsList.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QFontMetrics>
#include <QHeaderView>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Receives the addresses the list opens, as the desktop's telephony
// handler would.
class TelHandler : public QObject {
    Q_OBJECT
  public:
    TelHandler() { QDesktopServices::setUrlHandler(QStringLiteral("tel"), this, "open"); }
    ~TelHandler() override { QDesktopServices::unsetUrlHandler(QStringLiteral("tel")); }
    QList<QUrl> opened;
  public slots:
    void open(const QUrl& url) { opened << url; }
};

struct ListFixture {
    TResultsList list;
    ListFixture(std::initializer_list<const char*> columns, int width = 490) {
        for (const char* c : columns)
            list.AddColumn(c);
        list.resize(width, 300);
        list.show();
    }
    QStringList Column(int c) const {
        QStringList texts;
        for (int r = 0; r < list.topLevelItemCount(); ++r)
            texts << list.topLevelItem(r)->text(c);
        return texts;
    }
    bool Elided(int row, int column) const { return CellElided(list, row, column); }
    QPoint CellCentre(int row, int column) const {
        return list.visualRect(list.model()->index(row, column)).center();
    }
};

// Opens the list's context menu at a cell and returns its items' texts;
// `pick`, when not empty, is triggered.
QStringList ContextMenu(TResultsList& list, QPoint at, const QString& pick = {}) {
    QStringList texts;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        for (QAction* a : menu->actions())
            texts << a->text();
        for (QAction* a : menu->actions())
            if (!pick.isEmpty() && a->text() == pick)
                a->trigger();
        menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, list.viewport()->mapToGlobal(at));
    QApplication::sendEvent(list.viewport(), &event);
    return texts;
}

// What the window system delivers for a double click: press, release, then
// a double-click event and a release.
void DoubleClick(QWidget* widget, QPoint at) {
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    QMouseEvent press(QEvent::MouseButtonDblClick, at, widget->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
}

TEST(ResultsList, ColumnsFitTheirWidestCellUpToTwoThirdsAndTheLastTakesTheRest) {
    const QString latin = QStringLiteral("Maximiliane Oberländer-Schwarzenberg");
    const QString greek = QStringLiteral("Αλέξανδρος Παπαδοπουλόπουλος");
    ListFixture f({"Name", "Telephone Number", "Description", "Department"});
    // Sized from the fonts at hand, which differ from one desktop to the
    // next: the cap of two thirds lies between the two names' widths in the
    // larger font below, and the Latin name fits in the first.
    QFont larger = f.list.font();
    larger.setPointSize(larger.pointSize() + 3);
    const QFontMetrics big(larger);
    const int cap = (big.horizontalAdvance(latin) + big.horizontalAdvance(greek)) / 2 + 10;
    f.list.resize(cap * 3 / 2 + 2 + f.list.width() - f.list.viewport()->width(), 300);
    ASSERT_LT(f.list.fontMetrics().horizontalAdvance(latin) + 20, f.list.viewport()->width() * 2 / 3);
    const int headerOnly = f.list.header()->sectionSize(0);
    f.list.AddRow({latin.toStdString(), "+1 555 0100", "", "Sales"});
    f.list.AddRow({"Al", "", std::string(200, 'x'), "Engineering"});
    f.list.FitColumns();

    for (int r = 0; r < 2; ++r)
        for (int c : {0, 1, 3})
            EXPECT_FALSE(f.Elided(r, c)) << "row " << r << " column " << c;
    EXPECT_GT(f.list.header()->sectionSize(0), headerOnly);
    // The header is wider than every number under it.
    EXPECT_GE(f.list.header()->sectionSize(1), f.list.header()->sectionSizeHint(1));
    // One long description is held to two thirds of the list.
    EXPECT_EQ(f.list.header()->sectionSize(2), f.list.viewport()->width() * 2 / 3);
    EXPECT_TRUE(f.Elided(1, 2));

    // Text beyond Latin, and a larger font chosen after the rows came.
    f.list.AddRow({greek.toStdString(), "+30 210 555 0100", "", "Πωλήσεις"});
    f.list.setFont(larger);
    f.list.FitColumns();
    QTest::qWait(20); // the view lays its rows out again
    for (int r = 0; r < 3; ++r) {
        for (int c : {0, 1, 3}) {
            if (r == 0 && c == 0)
                continue; // the long name now reaches the cap
            EXPECT_FALSE(f.Elided(r, c)) << "larger font, row " << r << " column " << c << " "
                                         << f.list.visualRect(f.list.model()->index(r, c)).width();
        }
    }

    // Rows taken away by any means leave nothing behind for the next fit.
    f.list.clear();
    f.list.AddRow({"Al", "", "", "IT"});
    f.list.FitColumns();
    EXPECT_EQ(f.list.header()->sectionSize(0), f.list.header()->sectionSizeHint(0));

    // Narrow contents: the last column fills the list to its right edge.
    ListFixture narrow({"Name", "Department"});
    narrow.list.AddRow({"Al", "IT"});
    narrow.list.FitColumns();
    EXPECT_EQ(narrow.list.header()->sectionSize(0) + narrow.list.header()->sectionSize(1),
              narrow.list.viewport()->width());
}

TEST(ResultsList, HeaderClickSortsLocaleAwareASecondReversesANewSearchShowsServerOrder) {
    ListFixture f({"Name", "Telephone Number"});
    const QStringList server = {"Zoë", "Bauer", "Ärger", "adam", "Arger", "Bulk 10", "Bulk 9"};
    for (const QString& name : server)
        f.list.AddRow({name.toStdString(), ""});
    const int x = f.list.header()->sectionViewportPosition(0) + 10;
    auto clickHeader = [&] {
        QTest::mouseClick(f.list.header()->viewport(), Qt::LeftButton, {}, QPoint(x, 5));
    };
    clickHeader();
    EXPECT_EQ(f.Column(0).join("|"), QString("adam|Arger|Ärger|Bauer|Bulk 9|Bulk 10|Zoë"));
    EXPECT_TRUE(f.list.header()->isSortIndicatorShown());
    clickHeader();
    EXPECT_EQ(f.Column(0).join("|"), QString("Zoë|Bulk 10|Bulk 9|Bauer|Ärger|Arger|adam"));

    // The next search's rows come in the server's order, unsorted.
    f.list.ClearRows();
    for (const QString& name : server)
        f.list.AddRow({name.toStdString(), ""});
    EXPECT_EQ(f.Column(0), server);
    EXPECT_FALSE(f.list.header()->isSortIndicatorShown());
    clickHeader();
    EXPECT_EQ(f.Column(0).front(), "adam") << "the first click after a search sorts ascending";
}

TEST(ResultsList, CtrlCCopiesTheSelectedRowTabSeparatedInColumnOrder) {
    ListFixture f({"Name", "Telephone Number", "Department"});
    f.list.AddRow({"Zoë Müller", "+49 30 1234567", "Sales"});
    f.list.AddRow({"Adam Smithers", "", "Platform"});
    QApplication::clipboard()->clear();
    f.list.setFocus();
    f.list.setCurrentItem(f.list.topLevelItem(1));
    QTest::keyClick(&f.list, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QString("Adam Smithers\t\tPlatform"));
    if (QApplication::clipboard()->supportsSelection()) {
        EXPECT_EQ(QApplication::clipboard()->text(QClipboard::Selection),
                  QString("Adam Smithers\t\tPlatform"));
    }
}

TEST(ResultsList, ContextMenuCopiesACellOrTheRowAndCallsTelephoneNumbers) {
    ListFixture f({"Name", "Telephone Number", "Fax Number", "Mobile Number", "Pager",
                   "Department"},
                  900);
    f.list.AddRow({"Jane Smith", "+1 555 0101", "+1 555 0121", "", "+1 555 0141", "R&D"});
    TelHandler tel;

    // A double click calls a number and does nothing on other cells.
    DoubleClick(f.list.viewport(), f.CellCentre(0, 0));
    DoubleClick(f.list.viewport(), f.CellCentre(0, 2));
    EXPECT_TRUE(tel.opened.isEmpty());
    DoubleClick(f.list.viewport(), f.CellCentre(0, 4));
    EXPECT_EQ(tel.opened, QList<QUrl>{QUrl("tel:+15550141")});
    tel.opened.clear();

    EXPECT_EQ(ContextMenu(f.list, f.CellCentre(0, 1)).join("|"),
              QString("Copy +1 555 0101|Copy Row|Call +1 555 0101"));
    EXPECT_EQ(ContextMenu(f.list, f.CellCentre(0, 4)).join("|"),
              QString("Copy +1 555 0141|Copy Row|Call +1 555 0141"));
    // Names, fax numbers and empty cells are not called.
    EXPECT_EQ(ContextMenu(f.list, f.CellCentre(0, 0)).join("|"),
              QString("Copy Jane Smith|Copy Row"));
    EXPECT_EQ(ContextMenu(f.list, f.CellCentre(0, 2)).join("|"),
              QString("Copy +1 555 0121|Copy Row"));
    EXPECT_EQ(ContextMenu(f.list, f.CellCentre(0, 3)).join("|"), QString("Copy Row"));
    // An ampersand shows as itself, not as a shortcut mark.
    EXPECT_EQ(ContextMenu(f.list, f.CellCentre(0, 5)).front(), QString("Copy R&&D"));

    ContextMenu(f.list, f.CellCentre(0, 5), "Copy R&&D");
    EXPECT_EQ(QApplication::clipboard()->text(), QString("R&D"));
    ContextMenu(f.list, f.CellCentre(0, 0), "Copy Row");
    EXPECT_EQ(QApplication::clipboard()->text(),
              QString("Jane Smith\t+1 555 0101\t+1 555 0121\t\t+1 555 0141\tR&D"));
    ASSERT_TRUE(tel.opened.isEmpty());
    ContextMenu(f.list, f.CellCentre(0, 1), "Call +1 555 0101");
    EXPECT_EQ(tel.opened, QList<QUrl>{QUrl("tel:+15550101")});
}

} // namespace

#include "results_list_test.moc"
