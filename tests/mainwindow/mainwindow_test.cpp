#include "gui_test_support.h"
#include "mainwindow/ErrorBox.h"
#include "mainwindow/ResultsList.h"
#include "mainwindow/WindowShape.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace {

constexpr const char* NoServer = "No LDAP Server for this domain could be found";
// Searches that need no directory run against a domain without controllers,
// also inside the test domain.
constexpr const char* NoDomain = "DomainName=nowhere.invalid\r\n";

class MainWindowTest : public ::testing::Test {
  protected:
    SettingsScope settings;
    MessageBoxCatcher boxes;
};

void SetScreen(TfrmMain& frm, const QRect& workArea) {
    frm.SetScreenMetricsSource([=] { return ScreenMetrics{workArea}; });
}
void SetScreen(TfrmMain& frm, int screenWidth, int workAreaHeight) {
    SetScreen(frm, QRect(0, 0, screenWidth, workAreaHeight));
}

TEST_F(MainWindowTest, PlacementAndLayoutFollowTheSizeAndTheScreen) {
    struct Case {
        int W, H;
        QRect workArea; // the primary screen's, in desktop coordinates
        int left, top;
    };
    const Case cases[] = {
        // The default window on a 1024 x 768 desktop with a 30-pixel bottom panel.
        {500, 400, {0, 0, 1024, 738}, 524, 337},
        {200, 30, {0, 0, 800, 570}, 600, 539}, // narrowest configurable width, collapsed
        {700, 500, {0, 0, 1920, 1050}, 1220, 549},
        {500, 900, {0, 0, 1024, 738}, 524, -163}, // taller than the work area: not clamped
        // The panel at the top: the bottom of the work area is the screen's.
        {500, 400, {0, 30, 1024, 738}, 524, 367},
        // The primary screen right of a 1280-pixel one, and left of another.
        {500, 400, {1280, 0, 1920, 1050}, 2700, 649},
        {500, 30, {0, 0, 1920, 1050}, 1420, 1019},
        // The primary screen below and right of the desktop's origin, panel on the left.
        {500, 400, {1648, 200, 1872, 1080}, 3020, 879},
    };
    auto frm = MakeWindow();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.W << "x" << c.H << " in " << c.workArea.x() << "," << c.workArea.y()
                     << " " << c.workArea.width() << "x" << c.workArea.height());
        frm->resize(c.W, c.H);
        SetScreen(*frm, c.workArea);
        frm->PlaceMainWindow();
        EXPECT_EQ(frm->pos(), QPoint(c.left, c.top));
        EXPECT_EQ(Parts(*frm).lvwResults->geometry(),
                  QRect(5, 44, c.W - 10, std::max(0, c.H - 55)));
        EXPECT_EQ(Parts(*frm).cboSearch->geometry(), QRect(82, 5, c.W - 160, 21));
        EXPECT_EQ(Parts(*frm).cmdSearch->geometry(), QRect(c.W - 68, 7, 16, 16));
        EXPECT_EQ(Parts(*frm).cmdSetup->geometry(), QRect(c.W - 52, 7, 16, 16));
        EXPECT_EQ(Parts(*frm).cmdMax->geometry(), QRect(c.W - 36, 7, 16, 16));
        EXPECT_EQ(Parts(*frm).cmdHide->geometry(), QRect(c.W - 20, 7, 16, 16));
        EXPECT_EQ(Parts(*frm).lblStatus->geometry(), QRect(8, 28, 454, 13));
        EXPECT_EQ(Parts(*frm).Label1->pos(), QPoint(8, 9));
    }

    // Without a source of its own the window reads the real primary screen.
    auto real = MakeWindow();
    real->resize(500, 400);
    real->PlaceMainWindow();
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(real->pos(), QPoint(work.right() + 1 - 500, work.bottom() + 1 - 401));
}

TEST_F(MainWindowTest, StartsHiddenWithTheWindowsFixedParts) {
    settings.Write("FormWidth=200\r\n");
    auto frm = MakeWindow();
    EXPECT_FALSE(frm->isVisible());
    EXPECT_EQ(frm->size(), QSize(200, 30));
    EXPECT_EQ(frm->windowTitle(), "Findaro");
    EXPECT_TRUE(frm->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(frm->windowFlags().testFlag(Qt::Tool));
    EXPECT_EQ(Parts(*frm).cmdMax->text(), "/\\");
    EXPECT_EQ(Parts(*frm).Label1->text(), "Search For :");
    EXPECT_TRUE(Parts(*frm).Label1->font().bold());
    EXPECT_EQ(Parts(*frm).tray->toolTip(), "Click to search the directory");
    EXPECT_FALSE(Parts(*frm).tray->icon().isNull());
    QStringList hints, menu;
    for (QToolButton* b :
         {Parts(*frm).cmdHide, Parts(*frm).cmdSetup, Parts(*frm).cmdMax, Parts(*frm).cmdSearch})
        hints << b->text() + "=" + b->toolTip();
    EXPECT_EQ(hints.join(", "), "X=Hide, ...=Set Configuration, /\\=Grow/Shrink, S=Search");
    for (QAction* a : Parts(*frm).tray->contextMenu()->actions())
        menu << (a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(menu.join(" "), "Setup About - Exit");

    // Tab order from the search field through the buttons and the list.
    QStringList order;
    QWidget* w = Parts(*frm).cboSearch;
    do {
        if (w->focusPolicy() & Qt::TabFocus)
            order << w->objectName();
        w = w->nextInFocusChain();
    } while (w != Parts(*frm).cboSearch);
    EXPECT_EQ(order.join(" "), "cboSearch cmdHide cmdSetup lvwResults cmdMax cmdSearch");

    // Default columns, sized to their headers, the last one filling the rest.
    QStringList headers;
    for (int i = 0; i < Parts(*frm).lvwResults->columnCount(); ++i)
        headers << Parts(*frm).lvwResults->headerItem()->text(i);
    EXPECT_EQ(headers.join("|"), "Name|Telephone Number|Department");
}

TEST_F(MainWindowTest, RegionIsRoundedAtEveryCornerAndFollowsResizes) {
    auto frm = MakeWindow();
    EXPECT_EQ(frm->mask(), RoundedWindowRegion(500, 30)); // already while hidden
    frm->show();
    for (QSize size : {QSize(200, 400), QSize(700, 350), QSize(500, 30)}) {
        SCOPED_TRACE(testing::Message() << size.width() << "x" << size.height());
        frm->resize(size);
        const QRegion r = frm->mask();
        const int W = size.width(), H = size.height();
        EXPECT_EQ(r.boundingRect(), QRect(0, 0, W, H));
        // (1,1) lies outside a 10-pixel corner radius, (2,2) inside it.
        for (QPoint corner :
             {QPoint(0, 0), QPoint(1, 1), QPoint(W - 1, 0), QPoint(W - 2, 1), QPoint(0, H - 1),
              QPoint(1, H - 2), QPoint(W - 1, H - 1), QPoint(W - 2, H - 2)})
            EXPECT_FALSE(r.contains(corner)) << corner.x() << "," << corner.y();
        for (QPoint inside :
             {QPoint(2, 2), QPoint(W - 3, 2), QPoint(2, H - 3), QPoint(W - 3, H - 3),
              QPoint(W / 2, 0), QPoint(W / 2, H - 1), QPoint(0, H / 2), QPoint(W - 1, H / 2)})
            EXPECT_TRUE(r.contains(inside)) << inside.x() << "," << inside.y();
        EXPECT_EQ(r, RoundedWindowRegion(W, H));
    }
}

TEST_F(MainWindowTest, SearchFieldIsFocusedWithItsTextSelectedSoTypingReplacesIt) {
    auto frm = MakeWindow();
    Parts(*frm).cboSearch->setText("old search");
    frm->ShowMainWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frm.get()));
    EXPECT_EQ(frm->focusWidget(), Parts(*frm).cboSearch);
    EXPECT_EQ(Parts(*frm).cboSearch->selectedText(), "old search");
    QTest::keyClicks(Parts(*frm).cboSearch, "new");
    EXPECT_EQ(Parts(*frm).cboSearch->text(), "new");
}

TEST_F(MainWindowTest, BackgroundDragsTheWindowAndTheNextPlacementPutsItBack) {
    auto frm = MakeWindow();
    SetScreen(*frm, 1024, 738);
    frm->ShowMainWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frm.get()));
    const QPoint placed = frm->pos();
    const QPoint background(40, 25); // below the label, left of the status text
    ASSERT_EQ(frm->childAt(background), nullptr);
    QTest::mousePress(frm.get(), Qt::LeftButton, {}, background);
    QTest::mouseMove(frm.get(), background + QPoint(-30, -20));
    QTest::mouseRelease(frm.get(), Qt::LeftButton, {}, background + QPoint(-30, -20));
    EXPECT_EQ(frm->pos(), placed + QPoint(-30, -20));
    frm->PlaceMainWindow();
    EXPECT_EQ(frm->pos(), placed);
}

TEST_F(MainWindowTest, GrowShrinkAlternatesCaptionAndHeightAcrossASearch) {
    settings.Write(NoDomain);
    auto frm = MakeWindow();
    SetScreen(*frm, 1024, 738);
    auto click = [&] { QTest::mouseClick(Parts(*frm).cmdMax, Qt::LeftButton); };
    click();
    EXPECT_EQ(Parts(*frm).cmdMax->text(), "\\/");
    EXPECT_EQ(frm->height(), 350);
    EXPECT_EQ(frm->y(), 738 - 350 - 1); // grows upwards from its bottom edge
    click();
    EXPECT_EQ(Parts(*frm).cmdMax->text(), "/\\");
    EXPECT_EQ(frm->height(), 30);
    click();
    EXPECT_EQ(frm->height(), 350);

    // A search takes FormHeight but leaves the button's next action alone.
    QTest::mouseClick(Parts(*frm).cmdSearch, Qt::LeftButton);
    EXPECT_EQ(frm->height(), 400);
    EXPECT_EQ(Parts(*frm).cmdMax->text(), "\\/");
    click();
    EXPECT_EQ(Parts(*frm).cmdMax->text(), "/\\");
    EXPECT_EQ(frm->height(), 30);
}

TEST_F(MainWindowTest, EnterOrSearchButtonTakesFormHeightAndRunsASearch) {
    // The run starts, finds no server and says so.
    settings.Write(std::string("FormHeight=250\r\n") + NoDomain);
    for (const char* trigger : {"Enter", "S button"}) {
        SCOPED_TRACE(trigger);
        auto frm = MakeWindow();
        SetScreen(*frm, 1024, 738);
        frm->ShowMainWindow();
        boxes.boxes.clear();
        if (std::string(trigger) == "Enter")
            QTest::keyClick(Parts(*frm).cboSearch, Qt::Key_Return); // an empty text searches too
        else
            QTest::mouseClick(Parts(*frm).cmdSearch, Qt::LeftButton);
        EXPECT_EQ(frm->height(), 250);
        EXPECT_EQ(frm->y(), 738 - 250 - 1);
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].text, NoServer);
        EXPECT_EQ(boxes.boxes[0].caption, "Findaro");
        EXPECT_EQ(boxes.boxes[0].icon, QMessageBox::Critical);
        EXPECT_EQ(boxes.boxes[0].owner, frm.get());
        // An unknown domain: the status line names it instead of still "connecting".
        EXPECT_EQ(StatusText(*frm).toStdString(),
                  "no domain controller found for nowhere.invalid: check DomainName");
        EXPECT_TRUE(frm->isVisible());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
}

TEST_F(MainWindowTest, EscXAndTheCloseCommandHideWhileTheProgramStays) {
    auto frm = MakeWindow();
    QSignalSpy quitting(qApp, &QCoreApplication::aboutToQuit);
    const std::function<void()> hiders[] = {
        [&] { QTest::keyClick(Parts(*frm).cboSearch, Qt::Key_Escape); },
        [&] { QTest::mouseClick(Parts(*frm).cmdHide, Qt::LeftButton); },
        [&] { EXPECT_FALSE(frm->close()); },
    };
    for (const auto& hide : hiders) {
        Parts(*frm).cboSearch->setText("kept");
        frm->ShowMainWindow();
        ASSERT_TRUE(frm->isVisible());
        hide();
        EXPECT_FALSE(frm->isVisible());
        EXPECT_EQ(Parts(*frm).cboSearch->text(), "kept");
    }
    QTest::qWait(50);
    EXPECT_EQ(quitting.count(), 0);
    EXPECT_TRUE(Parts(*frm).tray->isVisible());
}

TEST_F(MainWindowTest, TrayLeftClickShowsTheCollapsedBarOtherButtonsShowNothing) {
    struct Case {
        QSystemTrayIcon::ActivationReason reason;
        bool shows;
    };
    const Case cases[] = {{QSystemTrayIcon::Trigger, true},
                          {QSystemTrayIcon::DoubleClick, true},
                          {QSystemTrayIcon::Context, false},
                          {QSystemTrayIcon::MiddleClick, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.reason));
        auto frm = MakeWindow();
        frm->resize(frm->width(), 400); // as after a search
        emit Parts(*frm).tray->activated(c.reason);
        EXPECT_EQ(frm->isVisible(), c.shows);
        EXPECT_FALSE(State(*frm, "TrayLeftDown"));
        if (c.shows) {
            EXPECT_EQ(frm->height(), 30);
            EXPECT_EQ(frm->focusWidget(), Parts(*frm).cboSearch);
        }
    }
}

TEST_F(MainWindowTest, HotKeyKeepsTheHeightWhileTheTrayCollapses) {
    settings.Write(NoDomain);
    auto frm = MakeWindow();
    QTest::mouseClick(Parts(*frm).cmdSearch, Qt::LeftButton); // results height
    QTest::keyClick(Parts(*frm).cboSearch, Qt::Key_Escape);
    frm->ShowMainWindow();
    EXPECT_EQ(frm->height(), 400);
    emit Parts(*frm).tray->activated(QSystemTrayIcon::Trigger);
    EXPECT_EQ(frm->height(), 30);
}

TEST_F(MainWindowTest, FirstRunNoticeComesOnceAndOnlyWithoutASettingsFile) {
    for (bool withFile : {false, true}) {
        SCOPED_TRACE(withFile ? "with settings file" : "without settings file");
        SettingsScope scope;
        if (withFile)
            scope.Write("FormWidth=500\r\n");
        boxes.boxes.clear();
        auto frm = MakeWindow();
        EXPECT_EQ(State(*frm, "FirstRun"), !withFile);
        if (!withFile) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return !boxes.boxes.empty(); }, 4000));
        }
        QTest::qWait(2500); // at least one more tick
        // The check is done once; the timer does not go on waking the program.
        EXPECT_FALSE(Parts(*frm).Timer1->isActive());
        if (withFile) {
            EXPECT_TRUE(boxes.boxes.empty());
            continue;
        }
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].caption, "Findaro");
        EXPECT_EQ(boxes.boxes[0].icon, QMessageBox::Warning);
        EXPECT_EQ(boxes.boxes[0].owner, frm.get());
        EXPECT_EQ(boxes.boxes[0].text, QString(FirstRunNotice).replace("\r\n", "\n"));
        EXPECT_FALSE(State(*frm, "FirstRun"));
        EXPECT_FALSE(frm->isVisible());
    }
    EXPECT_STREQ(FirstRunNotice,
                 "Welcome to Findaro.\r\n\r\nNo Findaro.ini configuration file found.\r\n\r\n"
                 "To configure Findaro, right click on the phone icon in the status bar and "
                 "select Setup");
}

TEST_F(MainWindowTest, UnreadableSettingsFileIsSaidOnceAndTheDefaultsServe) {
    // A folder in the file's place cannot be read, by root either.
    const std::string path = SettingsFilePath();
    ASSERT_TRUE(std::filesystem::create_directory(path));
    auto frm = MakeWindow();
    EXPECT_FALSE(State(*frm, "FirstRun")) << "the file exists: no first-run notice";
    EXPECT_TRUE(QTest::qWaitFor([&] { return !boxes.boxes.empty(); }, 4000));
    QTest::qWait(2500); // at least one tick of the first-run timer
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "Findaro");
    EXPECT_EQ(boxes.boxes[0].icon, QMessageBox::Critical);
    // The system's own reason: a folder is one on Linux, access denied on Windows.
    const QString prefix = QString::fromStdString("Cannot read " + path + ": ");
    const QString text = boxes.boxes[0].text;
    EXPECT_TRUE(text.startsWith(prefix) && text.endsWith('.')) << text.toStdString();
    EXPECT_TRUE(QStringList({std::strerror(EISDIR), std::strerror(EACCES)})
                    .contains(text.mid(prefix.size()).chopped(1)))
        << text.toStdString();
    EXPECT_EQ(frm->width(), 500);
    EXPECT_EQ(OptionsRec.MaxResults, 100);
}

TEST_F(MainWindowTest, HideConfigDisablesBothSetupEntriesUnlessStartedWithEdit) {
    struct Case {
        const char* hideConfig;
        QStringList arguments;
        bool editMode, setupEnabled;
    };
    const Case cases[] = {
        {"0", {}, false, true},
        {"1", {}, false, false},
        {"5", {}, false, false}, // any non-zero value is on
        {"1", {"edit"}, true, true},
        {"1", {"Edit"}, false, false},
        {"1", {"-edit"}, false, false},
        {"1", {"/edit"}, false, false},
        {"1", {"other", "edit"}, false, false}, // only the first argument counts
        {"0", {"edit"}, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "HideConfig=" << c.hideConfig
                                        << " args=" << c.arguments.join(' ').toStdString());
        settings.Write(std::string("HideConfig=") + c.hideConfig + "\r\n");
        auto frm = MakeWindow(c.arguments);
        EXPECT_EQ(State(*frm, "EditMode"), c.editMode);
        EXPECT_EQ(Parts(*frm).cmdSetup->isEnabled(), c.setupEnabled);
        EXPECT_EQ(Parts(*frm).mniSetup->isEnabled(), c.setupEnabled);
    }
}

TEST_F(MainWindowTest, KeyboardReachesTheListAndEscHidesTheWindowFromIt) {
    auto frm = MakeWindow();
    frm->ShowMainWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frm.get()));
    // With nothing listed, Down stays in the search field.
    QTest::keyClick(Parts(*frm).cboSearch, Qt::Key_Down);
    EXPECT_EQ(frm->focusWidget(), Parts(*frm).cboSearch);

    Parts(*frm).lvwResults->AddRow({"Jane Smith", "+1 555 0101", "Engineering"});
    Parts(*frm).lvwResults->AddRow({"Sam Smith", "+1 555 0199", "Support"});
    QTest::keyClick(Parts(*frm).cboSearch, Qt::Key_Down);
    EXPECT_EQ(frm->focusWidget(), Parts(*frm).lvwResults);
    ASSERT_NE(Parts(*frm).lvwResults->currentItem(), nullptr);
    EXPECT_EQ(Parts(*frm).lvwResults->currentItem()->text(0), "Jane Smith");
    EXPECT_TRUE(Parts(*frm).lvwResults->currentItem()->isSelected());
    QTest::keyClick(Parts(*frm).lvwResults, Qt::Key_Down);
    EXPECT_EQ(Parts(*frm).lvwResults->currentItem()->text(0), "Sam Smith");
    // The selection keeps its colours when the pop-up is not the active window.
    const QPalette colours = Parts(*frm).lvwResults->palette();
    EXPECT_EQ(colours.color(QPalette::Inactive, QPalette::Highlight),
              colours.color(QPalette::Active, QPalette::Highlight));
    QTest::keyClick(Parts(*frm).lvwResults, Qt::Key_Escape);
    EXPECT_FALSE(frm->isVisible()) << "Esc in the list must hide the window too";
}

TEST_F(MainWindowTest, ASearchThatStopsEarlyLeavesTheUsersColumnWidths) {
    settings.Write(NoDomain);
    auto frm = MakeWindow();
    Parts(*frm).lvwResults->AddRow({"Jane Smith", "+1 555 0101", "Engineering"});
    Parts(*frm).lvwResults->header()->resizeSection(0, 37); // as a drag of the divider leaves it
    QTest::mouseClick(Parts(*frm).cmdSearch, Qt::LeftButton);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(Parts(*frm).lvwResults->header()->sectionSize(0), 37);
    EXPECT_EQ(Parts(*frm).lvwResults->topLevelItemCount(), 1);
}

TEST(StandardErrorText, AddsAFullStopOnlyAfterCharactersSortingAfterIt) {
    const std::pair<QString, QString> cases[] = {
        {"Unable to write to /tmp/findaro.INI", "Unable to write to /tmp/findaro.INI."},
        {"Already ends.", "Already ends."},
        {"Really?", "Really?."}, // '?' sorts after '.'
        {"Stop!", "Stop!"},
        {"(see log)", "(see log)"},
        {"a-", "a-"},
        {"path/", "path/."},
        {"Code 7", "Code 7."},
        {"Müller ü", "Müller ü."},
        {"", ""},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(StandardErrorText(in), out) << in.toStdString();
}

// An object whose event handler fails, as a handler of the program may.
class FailingHandler : public QObject {
  public:
    int handled = 0;
    bool event(QEvent* e) override {
        if (e->type() != QEvent::User)
            return QObject::event(e);
        if (++handled == 1)
            throw std::runtime_error("Unable to write to /x/findaro.INI");
        return true;
    }
};

TEST_F(MainWindowTest, ErrorEscapingAHandlerShowsTheErrorBoxAndTheProgramCarriesOn) {
    FailingHandler handler;
    QCoreApplication::postEvent(&handler, new QEvent(QEvent::User));
    QCoreApplication::postEvent(&handler, new QEvent(QEvent::User));
    EXPECT_TRUE(QTest::qWaitFor([&] { return handler.handled == 2; }, 3000));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "Findaro");
    EXPECT_EQ(boxes.boxes[0].icon, QMessageBox::Critical);
    EXPECT_EQ(boxes.boxes[0].text, "Unable to write to /x/findaro.INI.");
}

TEST(ResultsList, RowsKeepOrderAndDecodeUtf8UnderTheirHeaders) {
    TResultsList list;
    list.AddColumn("Name");
    list.AddColumn("Telephone Number");
    list.AddColumn("Department");
    list.AddRow({"Zo\xc3\xab M\xc3\xbcller", "+49 30 1234567", "Sales"});
    list.AddRow({"Adam Smithers", "", "Platform"});
    ASSERT_EQ(list.topLevelItemCount(), 2);
    EXPECT_EQ(list.topLevelItem(0)->text(0), QString::fromUtf8("Zoë Müller"));
    EXPECT_EQ(list.topLevelItem(1)->text(1), "");
    EXPECT_EQ(list.topLevelItem(1)->text(2), "Platform");
    EXPECT_FALSE(list.isSortingEnabled());
    EXPECT_FALSE(list.rootIsDecorated());
    list.ClearRows();
    EXPECT_EQ(list.topLevelItemCount(), 0);
    EXPECT_EQ(list.columnCount(), 3);
    list.ClearColumns();
    EXPECT_EQ(list.columnCount(), 0);
}

} // namespace
