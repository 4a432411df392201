// The configuration dialog on the offscreen platform, opened from the main
// window as a user opens it.
#include "setup_support.h"

#include "mainwindow/ResultsList.h"
#include "search/Diagnostics.h"
#include "search/test_files.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStringList>
#include <QTimer>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QTabBar>
#include <QTest>
#include <QToolButton>

#include <fstream>
#include <sstream>

namespace {

class SetupTest : public ::testing::Test {
  protected:
    SettingsScope settings;
    MessageBoxCatcher boxes;

    std::string IniText() const { return ReadFile(SettingsFilePath()); }
};

QStringList Lines(const QListWidget& list) {
    QStringList lines;
    for (int i = 0; i < list.count(); ++i)
        lines << list.item(i)->text();
    return lines;
}

TEST_F(SetupTest, EveryControlHasItsNameCaptionRangeAndHelpContext) {
    auto frm = MakeWindow();
    TfrmSetup& dlg = *SetupOf(*frm);
    EXPECT_FALSE(dlg.isVisible());
    dlg.EnsureBuilt();
    EXPECT_EQ(dlg.windowTitle(), "Findaro Configuration");
    EXPECT_EQ(dlg.property("helpContext").toInt(), 1003);
    EXPECT_GE(dlg.width(), 589);
    EXPECT_GE(dlg.height(), 295);
    EXPECT_EQ(dlg.minimumSize(), dlg.maximumSize()) << "fixed size";

    auto* pages = Part<QTabWidget>(dlg, "PageControl1");
    const std::pair<const char*, int> tabs[] = {{"Search Containers", 1007},
                                                {"Search Fields", 1005},
                                                {"Display Format", 1006},
                                                {"Misc Options", 1007},
                                                {"Diagnostics", 1008}};
    ASSERT_EQ(pages->count(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(pages->tabText(i), tabs[i].first);
        EXPECT_EQ(pages->widget(i)->property("helpContext").toInt(), tabs[i].second) << i;
    }

    const std::pair<const char*, const char*> texts[] = {
        {"chkSearchName", "Name"},
        {"chkSearchDisplayName", "Display Name"},
        {"chkSearchSurname", "Surname"},
        {"chkSearchFirstName", "First Name"},
        {"chkSearchTelephoneNumber", "Telephone Number"},
        {"chkSearchSAMAccountName", "SAM Account Name"},
        {"chkSearchUPN", "UPN"},
        {"optSearchExact", "Search for exact text entered"},
        {"optSearchStartsWith", "Search for data starting with text entered"},
        {"optSearchContains", "Search for data containing the text entered"},
        {"optSearchExactExample", "Smith will find Smith but not Smithson"},
        {"optSearchStartsWithExample", "Smith will find  Smith and Smithson"},
        {"optSearchContainsExample", "Smith will find Smith, Smithson and Blacksmith"},
        {"chkDisplayName", "Name"},
        {"chkDisplayDisplayName", "Display Name"},
        {"chkDisplayGivenName", "Given Name"},
        {"chkDisplaySurname", "Surname"},
        {"chkDisplaySamAccountName", "samAccountName"},
        {"chkDisplayTelephoneNumber", "Telephone Number"},
        {"chkDisplayMobilePhone", "Mobile Phone"},
        {"chkDisplayFax", "Fax"},
        {"chkDisplayIPPhone", "IP Phone"},
        {"chkDisplayHomePhone", "Home Phone"},
        {"chkDisplayPager", "Pager"},
        {"chkDisplayDescription", "Description"},
        {"chkDisplayOffice", "Office"},
        {"chkDisplayDepartment", "Department"},
        {"chkDisplayCompany", "Company"},
        {"chkSearchChildren", "Search Child Containers"},
        {"chkSearchReferrals", "Search Referrals"},
        {"chkHookHotkey", "Hook Global Hot Key  ( Windows Key + P)  (Requires Restart)"},
        {"chkHideConfig", "Hide Configuration Dialog (Requires Restart)"},
        {"optCurrentDomain", "Current Domain"},
        {"optAnotherDomain", "Another Domain"},
        {"cmdConnect", "Connect"},
        {"cmdDisconnect", "Disconnect"},
        {"cmdAdd", ">>"},
        {"cmdDelete", "<<"},
        {"cmdAbout", "About"},
        {"cmdOK", "OK"},
        {"cmdCancel", "Cancel"},
        {"cmdHelp", "Help"},
        {"lblConnectedTo", ""},
    };
    for (const auto& [name, text] : texts) {
        QObject* control = Part<QObject>(dlg, name);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->property("text").toString(), QString::fromUtf8(text)) << name;
    }

    // The box of each display column sits in the column the table gives it.
    WhileShown(*frm, [&] {
        Part<QTabWidget>(dlg, "PageControl1")->setCurrentIndex(2);
        auto* left = Part<QCheckBox>(dlg, "chkDisplayIPPhone");
        auto* right = Part<QCheckBox>(dlg, "chkDisplayHomePhone");
        EXPECT_LT(left->x(), right->x());
        EXPECT_EQ(Part<QCheckBox>(dlg, "chkDisplayName")->x(), left->x());
        EXPECT_EQ(Part<QCheckBox>(dlg, "chkDisplayCompany")->x(), right->x());
        EXPECT_LT(left->y(), Part<QCheckBox>(dlg, "chkDisplayName")->y() + 9 * left->height());
    });

    for (const char* label :
         {"Active Directory Setup", "Search the following fields", "Pattern Matching",
          "Display the following fields in the results :", "Size", "Misc Options"}) {
        bool found = false;
        for (const QGroupBox* group : dlg.findChildren<QGroupBox*>())
            found = found || group->title() == label;
        EXPECT_TRUE(found) << label;
    }
    for (const char* label :
         {"Connected To :", "Select Container to Search :", "These containers will be searched :",
          "Width :", "Height :", "Max Number of Results :", "Search Timeout",
          "Diagnostic results of the last search :"}) {
        bool found = false;
        for (const QLabel* l : dlg.findChildren<QLabel*>())
            found = found || l->text() == label;
        EXPECT_TRUE(found) << label;
    }

    struct Spin {
        const char* name;
        int minimum, maximum, initial;
    };
    for (const Spin& s :
         {Spin{"txtSpinWidth", 200, 700, -1}, Spin{"txtSpinHeight", 100, 500, -1},
          Spin{"txtMaxResults", 10, 500, 100}, Spin{"txtSearchTimeOut", 1, 120, 10}}) {
        auto* spin = Part<QSpinBox>(dlg, s.name);
        EXPECT_EQ(spin->minimum(), s.minimum) << s.name;
        EXPECT_EQ(spin->maximum(), s.maximum) << s.name;
        if (s.initial >= 0) {
            EXPECT_EQ(spin->value(), s.initial) << s.name;
        }
    }
    EXPECT_TRUE(Part<QRadioButton>(dlg, "optSearchStartsWith")->isChecked());

    // Only four controls have a tooltip, and they name this program.
    const std::pair<const char*, const char*> hints[] = {
        {"chkSearchChildren",
         "When checked, Findaro will search in containers the reside under the ones selected.  If "
         "not checked, Findaro will search just the container"},
        {"chkSearchReferrals",
         "When checked, Findaro will follow referrals. Specifically, this enables you to point "
         "Findaro at a parent (or root) domain and Findaro will search the child domains as well."},
        {"chkHookHotkey", "When checked, this allows the user to press the <Windows> key and the "
                          "letter P to bring up Findaro  (requires restart to take effect)"},
        {"chkHideConfig",
         "When checked, regular users cannot bring up this dialog box.  To edit settings, the "
         "Administrator runs Findaro with the \"findaro edit\" command line option"},
    };
    int withHint = 0;
    for (const QWidget* w : dlg.findChildren<QWidget*>())
        withHint += !w->toolTip().isEmpty();
    EXPECT_EQ(withHint, 4);
    for (const auto& [name, hint] : hints)
        EXPECT_EQ(Part<QWidget>(dlg, name)->toolTip(), hint) << name;

    for (const QPushButton* b : dlg.findChildren<QPushButton*>())
        EXPECT_FALSE(b->isDefault() || b->autoDefault()) << b->objectName().toStdString();
}

// The width a control's text asks for. A push button's size hint adds the
// style's least button width, which the small ">>" and "<<" do not need: for
// them the text and the button's margins count.
int NeededWidth(const QWidget& w) {
    if (auto* button = qobject_cast<const QPushButton*>(&w)) {
        const QStyle* style = button->style();
        return button->fontMetrics().horizontalAdvance(button->text()) +
               2 * style->pixelMetric(QStyle::PM_ButtonMargin) +
               2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth);
    }
    return w.sizeHint().width();
}

// No text may be cut off: every label, box and button is at least as large
// as its text asks for, on every page, in the platform's font.
TEST_F(SetupTest, EveryTextFitsItsControl) {
    auto frm = MakeWindow();
    TfrmSetup& dlg = *SetupOf(*frm);
    WhileShown(*frm, [&] {
        auto* pages = Part<QTabWidget>(dlg, "PageControl1");
        for (int page = 0; page < pages->count(); ++page) {
            pages->setCurrentIndex(page);
            QApplication::processEvents();
            const QRect tab = pages->tabBar()->tabRect(page);
            EXPECT_GE(tab.width(), pages->fontMetrics().horizontalAdvance(pages->tabText(page)));
            EXPECT_LE(pages->tabBar()->geometry().right(), pages->width());
            for (QWidget* w : pages->widget(page)->findChildren<QWidget*>()) {
                const bool hasText = qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w);
                if (!hasText || w == Part<QLabel>(dlg, "lblConnectedTo"))
                    continue; // the server name is cut off by design
                SCOPED_TRACE(w->objectName().toStdString() + " " +
                             w->property("text").toString().toStdString());
                EXPECT_GE(w->width(), NeededWidth(*w));
                EXPECT_GE(w->height(), w->sizeHint().height());
                // Inside its page, and the page inside the dialog.
                EXPECT_TRUE(pages->widget(page)->rect().contains(
                    QRect(w->mapTo(pages->widget(page), QPoint(0, 0)), w->size())));
            }
            for (auto* group : pages->widget(page)->findChildren<QGroupBox*>()) {
                const int titleWidth = group->fontMetrics().horizontalAdvance(group->title());
                EXPECT_GE(group->width(), titleWidth + 16) << group->title().toStdString();
            }
        }
        for (const char* name : {"cmdAbout", "cmdOK", "cmdCancel", "cmdHelp"}) {
            auto* b = Part<QPushButton>(dlg, name);
            EXPECT_GE(b->width(), NeededWidth(*b)) << name;
            EXPECT_GE(b->height(), b->sizeHint().height()) << name;
            EXPECT_TRUE(dlg.rect().contains(b->geometry())) << name;
        }
    });
}

TEST_F(SetupTest, OpeningLoadsTheSettingsAndOkWritesThemBack) {
    settings.Write("SearchType=2\r\nSearchName=0\r\nSearchUPN=1\r\nDisplayName=0\r\n"
                   "DisplayCompany=1\r\nFormWidth=300\r\nFormHeight=250\r\nMaxResults=42\r\n"
                   "CurrentDomain=0\r\nDomainName= CORP \r\nSearchReferrals=1\r\n"
                   "SearchChildren=0\r\nHookHotkey=0\r\nHideConfig=0\r\nSearchTimeout=33\r\n"
                   "DNCount=2\r\nSearchDN0=OU=B,DC=x\r\nSearchDN1=OU=A,DC=x\r\nUnknown=kept\r\n");
    auto frm = MakeWindow();
    TfrmSetup& dlg = *SetupOf(*frm);
    frm->findChild<TResultsList*>("lvwResults")->AddRow({"old row"});
    ASSERT_TRUE(WhileShown(*frm, [&] {
        EXPECT_EQ(Part<QTabWidget>(dlg, "PageControl1")->currentIndex(), 0);
        EXPECT_TRUE(Part<QRadioButton>(dlg, "optSearchContains")->isChecked());
        EXPECT_FALSE(Part<QCheckBox>(dlg, "chkSearchName")->isChecked());
        EXPECT_TRUE(Part<QCheckBox>(dlg, "chkSearchUPN")->isChecked());
        EXPECT_FALSE(Part<QCheckBox>(dlg, "chkDisplayName")->isChecked());
        EXPECT_TRUE(Part<QCheckBox>(dlg, "chkDisplayCompany")->isChecked());
        EXPECT_EQ(Part<QSpinBox>(dlg, "txtSpinWidth")->value(), 300);
        EXPECT_EQ(Part<QSpinBox>(dlg, "txtSpinHeight")->value(), 250);
        EXPECT_EQ(frm->size(), QSize(300, 250));
        EXPECT_EQ(Part<QSpinBox>(dlg, "txtMaxResults")->value(), 42);
        EXPECT_EQ(Part<QSpinBox>(dlg, "txtSearchTimeOut")->value(), 33);
        EXPECT_TRUE(Part<QRadioButton>(dlg, "optAnotherDomain")->isChecked());
        EXPECT_EQ(Part<QLineEdit>(dlg, "txtDomainName")->text(), "CORP"); // the reader trims
        EXPECT_TRUE(Part<QCheckBox>(dlg, "chkSearchReferrals")->isChecked());
        EXPECT_FALSE(Part<QCheckBox>(dlg, "chkSearchChildren")->isChecked());
        EXPECT_FALSE(Part<QCheckBox>(dlg, "chkHookHotkey")->isChecked());
        EXPECT_EQ(Lines(*Part<QListWidget>(dlg, "lstContainers")),
                  QStringList({"OU=B,DC=x", "OU=A,DC=x"}));

        // Edits on every page.
        Part<QRadioButton>(dlg, "optSearchExact")->click();
        Part<QCheckBox>(dlg, "chkDisplayOffice")->click();
        Part<QCheckBox>(dlg, "chkHideConfig")->click();
        Part<QSpinBox>(dlg, "txtMaxResults")->setValue(7); // below the range: 10
        Part<QLineEdit>(dlg, "txtDomainName")->setText(" other ");
        auto* list = Part<QListWidget>(dlg, "lstContainers");
        list->setCurrentRow(0);
        Part<QPushButton>(dlg, "cmdDelete")->click();
        ClickOK(dlg);
    }));
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(OptionsRec.SearchType, 0);
    EXPECT_EQ(OptionsRec.DisplayOffice, 1);
    EXPECT_EQ(OptionsRec.HideConfig, 1);
    EXPECT_EQ(OptionsRec.MaxResults, 10);
    EXPECT_EQ(OptionsRec.DomainName, " other ");
    EXPECT_EQ(OptionsRec.SearchDN, std::vector<std::string>{"OU=A,DC=x"});
    const std::string ini = IniText();
    for (const char* line :
         {"SearchType=0\r\n", "DisplayOffice=1\r\n", "DisplayName=0\r\n", "HideConfig=1\r\n",
          "MaxResults=10\r\n", "DNCount=1\r\n", "SearchDN0=OU=A,DC=x\r\n", "SearchTimeout=33\r\n",
          "Unknown=kept\r\n", "CurrentDomain=0\r\n", "FormWidth=300\r\n"})
        EXPECT_NE(ini.find(line), std::string::npos) << line;

    // The columns were rebuilt from the new flags, and the rows went.
    auto* list = frm->findChild<TResultsList*>("lvwResults");
    EXPECT_EQ(list->topLevelItemCount(), 0);
    QStringList headers;
    for (int i = 0; i < list->columnCount(); ++i)
        headers << list->headerItem()->text(i);
    EXPECT_EQ(headers, QStringList({"Telephone Number", "Office", "Department", "Company"}));
}

TEST_F(SetupTest, OutOfRangeAndUnknownValuesAtTheOpening) {
    struct Case {
        const char* ini;
        bool ok;
        int shownWidth, windowWidth, savedWidth, shownTimeout, savedType;
    };
    const Case cases[] = {
        {"FormWidth=1000\r\nSearchTimeout=0\r\nSearchType=5\r\n", true, 700, 700, 700, 1, 1},
        {"FormWidth=1000\r\nSearchTimeout=0\r\nSearchType=5\r\n", false, 700, 700, 1000, 1, 5},
        // The field starts at its minimum: loading 150 changes nothing, so the
        // window keeps the width it took from the file.
        {"FormWidth=150\r\nSearchType=1\r\n", true, 200, 150, 200, 10, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini);
        SettingsScope scope;
        scope.Write(c.ini);
        auto frm = MakeWindow();
        TfrmSetup& dlg = *SetupOf(*frm);
        WhileShown(*frm, [&] {
            EXPECT_EQ(Part<QSpinBox>(dlg, "txtSpinWidth")->value(), c.shownWidth);
            EXPECT_EQ(frm->width(), c.windowWidth);
            EXPECT_EQ(Part<QSpinBox>(dlg, "txtSearchTimeOut")->value(), c.shownTimeout);
            // A stored 5 leaves the buttons as they were: "starting with" at first.
            EXPECT_TRUE(Part<QRadioButton>(dlg, "optSearchStartsWith")->isChecked());
            if (c.ok)
                ClickOK(dlg);
        });
        EXPECT_EQ(OptionsRec.FormWidth, c.savedWidth);
        EXPECT_EQ(OptionsRec.SearchType, c.savedType);
        if (c.ok) {
            EXPECT_NE(IniText().find("FormWidth=" + std::to_string(c.savedWidth) + "\r\n"),
                      std::string::npos);
        } else {
            EXPECT_EQ(IniText(), std::string("[Settings]\r\n") + c.ini);
        }
    }
}

// Typing previews the size: out of range the window only moves back into
// its corner, and leaving the field makes the number the nearest bound.
TEST_F(SetupTest, TypedSizesResizeTheWindowLive) {
    settings.Write("FormWidth=500\r\nFormHeight=400\r\n");
    auto frm = MakeWindow();
    TfrmSetup& dlg = *SetupOf(*frm);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int right = screen->geometry().width();
    const int bottom = screen->availableGeometry().height() - 1;
    WhileShown(*frm, [&] {
        Part<QTabWidget>(dlg, "PageControl1")->setCurrentIndex(2);
        auto* width = Part<QSpinBox>(dlg, "txtSpinWidth");
        width->setFocus();
        width->selectAll();
        frm->move(0, 0);
        QTest::keyClicks(width, "150");
        EXPECT_EQ(frm->width(), 500);
        EXPECT_EQ(frm->geometry().right() + 1, right) << "placed again";
        EXPECT_EQ(width->text(), "150");
        Part<QSpinBox>(dlg, "txtSpinHeight")->setFocus();
        EXPECT_EQ(width->value(), 200);
        EXPECT_EQ(frm->width(), 200);
        EXPECT_EQ(frm->geometry().right() + 1, right);

        // Beyond the maximum the typed number stands too, until the focus leaves.
        width->setFocus();
        width->selectAll();
        QTest::keyClicks(width, "950");
        EXPECT_EQ(width->text(), "950");
        EXPECT_EQ(frm->width(), 200);
        auto* height = Part<QSpinBox>(dlg, "txtSpinHeight");
        height->setFocus();
        EXPECT_EQ(width->value(), 700);
        EXPECT_EQ(frm->width(), 700);
        height->selectAll();
        QTest::keyClicks(height, "321");
        EXPECT_EQ(frm->height(), 321);
        EXPECT_EQ(frm->geometry().bottom() + 1, bottom);
        dlg.reject();
    });
    // Cancel keeps the settings; the preview stays until the next opening.
    EXPECT_EQ(OptionsRec.FormWidth, 500);
    EXPECT_EQ(frm->width(), 700);
    EXPECT_EQ(IniText(), "[Settings]\r\nFormWidth=500\r\nFormHeight=400\r\n");
}

TEST_F(SetupTest, CancelAndTheCloseBoxWriteNothing) {
    const std::string stored = "SearchType=0\r\nDNCount=1\r\nSearchDN0=OU=Kept\r\n";
    settings.Write(stored);
    auto frm = MakeWindow();
    TfrmSetup& dlg = *SetupOf(*frm);
    const TOptionsRec before = OptionsRec;
    const std::string file = IniText();
    for (const char* way : {"cmdCancel", "close box"}) {
        SCOPED_TRACE(way);
        WhileShown(*frm, [&] {
            EXPECT_TRUE(Part<QRadioButton>(dlg, "optSearchExact")->isChecked());
            EXPECT_EQ(Lines(*Part<QListWidget>(dlg, "lstContainers")), QStringList({"OU=Kept"}));
            Part<QRadioButton>(dlg, "optSearchContains")->click();
            Part<QCheckBox>(dlg, "chkDisplayFax")->click();
            Part<QListWidget>(dlg, "lstContainers")->addItem("OU=Added");
            Part<QLineEdit>(dlg, "txtDomainName")->setText("typed");
            if (std::string(way) == "cmdCancel")
                Part<QPushButton>(dlg, "cmdCancel")->click();
            else
                dlg.close();
        });
        EXPECT_EQ(OptionsRec.SearchType, before.SearchType);
        EXPECT_EQ(OptionsRec.DisplayFax, before.DisplayFax);
        EXPECT_EQ(OptionsRec.SearchDN, before.SearchDN);
        EXPECT_EQ(IniText(), file);
    }
}

TEST_F(SetupTest, EnterAndEscapeDoNotCloseTheDialog) {
    auto frm = MakeWindow();
    TfrmSetup& dlg = *SetupOf(*frm);
    WhileShown(*frm, [&] {
        for (const char* focus : {"cmdOK", "cmdCancel", "txtDomainName", "chkSearchName"}) {
            Part<QWidget>(dlg, focus)->setFocus();
            for (int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
                QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
            EXPECT_TRUE(dlg.isVisible()) << focus;
        }
    });
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(SettingsFilePath())));
}

// A write that fails even for root needs a read-only mount, which only the
// Linux run can make.
#ifdef __linux__
TEST_F(SetupTest, ReadOnlySettingsFileShowsTheErrorAndKeepsTheEditsInMemory) {
    REQUIRE_MOUNTS();
    TempDir dir;
    const std::string ini = dir.file("findaro.INI");
    WriteFile(ini, "[Settings]\r\nDisplayFax=0\r\n");
    SetSettingsFilePath(ini);
    BindReadOnly(dir, dir.path(), dir.path());
    auto frm = MakeWindow();
    TfrmSetup& dlg = *SetupOf(*frm);
    auto* list = frm->findChild<TResultsList*>("lvwResults");
    const int columns = list->columnCount();
    list->AddRow({"kept", "", ""});
    WhileShown(*frm, [&] {
        Part<QCheckBox>(dlg, "chkDisplayFax")->click();
        ClickOK(dlg);
    });
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "Findaro");
    EXPECT_EQ(boxes.boxes[0].text, QString::fromStdString("Unable to write to " + ini + "."));
    EXPECT_EQ(boxes.boxes[0].icon, QMessageBox::Critical);
    EXPECT_EQ(OptionsRec.DisplayFax, 1);
    EXPECT_EQ(list->columnCount(), columns);
    EXPECT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(ReadFile(ini), "[Settings]\r\nDisplayFax=0\r\n");
}
#endif

TEST_F(SetupTest, HideConfigLocksBothWaysInUnlessStartedWithEdit) {
    struct Case {
        const char* ini;
        QStringList arguments;
        bool opens;
    };
    const Case cases[] = {
        {"HideConfig=1\r\n", {}, false},
        {"HideConfig=1\r\n", {"Edit"}, false},
        {"HideConfig=1\r\n", {"edit"}, true},
        {"HideConfig=0\r\n", {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini + c.arguments.join(" ").toStdString());
        SettingsScope scope;
        scope.Write(c.ini);
        auto frm = MakeWindow(c.arguments);
        TfrmSetup& dlg = *SetupOf(*frm);
        EXPECT_EQ(WhileShown(
                      dlg, [&] { frm->ShowSetupDialog(); }, [] {}),
                  c.opens);
        EXPECT_EQ(WhileShown(*frm, [] {}), c.opens);
        // The tray's Setup shows the window first, then the dialog over it.
        frm->hide();
        EXPECT_EQ(WhileShown(
                      dlg, [&] { SetupMenuItem(*frm)->trigger(); },
                      [&] { EXPECT_TRUE(frm->isVisible()); }),
                  c.opens);
    }
}

TEST_F(SetupTest, StandsAtTheRightEdgeOnTopOfTheMainWindow) {
    if (!HasRealFonts())
        GTEST_SKIP() << "in boxes for glyphs the dialog is wider than the screen";
    struct Case {
        int formHeight;
    };
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int workHeight = screen->availableGeometry().height();
    for (int formHeight : {100, 500}) {
        SettingsScope scope;
        scope.Write("FormHeight=" + std::to_string(formHeight) + "\r\n");
        auto frm = MakeWindow();
        TfrmSetup& dlg = *SetupOf(*frm);
        WhileShown(*frm, [&] {
            EXPECT_EQ(dlg.frameGeometry().right() + 1, screen->geometry().width())
                << "outer width " << dlg.frameGeometry().width();
            const int top = workHeight - dlg.frameGeometry().height() - formHeight;
            EXPECT_EQ(dlg.frameGeometry().top(), std::max(top, 0)) << formHeight;
            EXPECT_EQ(frm->height(), formHeight);
        });
    }
}

TEST_F(SetupTest, DiagnosticsPageMirrorsTheLogAlsoWhileHidden) {
    auto frm = MakeWindow();
    TfrmSetup& dlg = *SetupOf(*frm);
    TDiagnosticsLog& log = Diagnostics();
    log.ClearDiagnostics();
    // Written before the dialog's first opening, as a search would.
    log.LogDiagnostic("Connecting to Directory");
    log.LogDiagnostic("Error Binding to Directory", 49);
    WhileShown(*frm, [&] {
        auto* diags = Part<QListWidget>(dlg, "lstDiags");
        const QStringList lines = Lines(*diags);
        ASSERT_EQ(lines.size(), 3);
        EXPECT_TRUE(lines[0].endsWith("\tConnecting to Directory"));
        EXPECT_TRUE(lines[2].endsWith("\t   Status Code = 49"));
        // The text column starts at the same place on every line.
        EXPECT_EQ(diags->visualItemRect(diags->item(0)).height(),
                  diags->visualItemRect(diags->item(1)).height());
    });
    log.ClearDiagnostics();
    log.LogDiagnostic("Searching");
    WhileShown(*frm, [&] {
        const QStringList lines = Lines(*Part<QListWidget>(dlg, "lstDiags"));
        ASSERT_EQ(lines.size(), 1);
        EXPECT_TRUE(lines[0].endsWith("\tSearching"));
    });
    log.ClearDiagnostics();
}

TEST_F(SetupTest, AboutAndHelpAreHandedToTheirOwners) {
    auto frm = MakeWindow();
    TfrmSetup& dlg = *SetupOf(*frm);
    int about = 0, help = 0;
    QObject::connect(&dlg, &TfrmSetup::aboutRequested, [&] { ++about; });
    QObject::connect(&dlg, &TfrmSetup::helpRequested, [&] { ++help; });
    // The main window opens the About box modally above the dialog (and help
    // may warn of a missing file): close whatever comes up above it.
    QStringList above;
    QTimer closer;
    closer.setInterval(20);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        QWidget* top = QApplication::activeModalWidget();
        if (!top || top == &dlg)
            return;
        above << top->windowTitle();
        if (auto* box = qobject_cast<QDialog*>(top))
            box->reject();
        else
            top->close();
    });
    WhileShown(*frm, [&] {
        closer.start();
        Part<QPushButton>(dlg, "cmdAbout")->click();
        Part<QPushButton>(dlg, "cmdHelp")->click();
        Part<QPushButton>(dlg, "cmdHelp")->click();
        closer.stop();
        EXPECT_TRUE(dlg.isVisible());
    });
    EXPECT_EQ(about, 1);
    EXPECT_EQ(help, 2);
    EXPECT_TRUE(above.contains(QStringLiteral("About"))) << above.join(", ").toStdString();
}

// The picker without a directory: the domain choice, the list and the
// controls' states at the opening and after Disconnect.
TEST_F(SetupTest, PickerStatesWithoutADirectory) {
    settings.Write("CurrentDomain=1\r\nDomainName=KEPT\r\nDNCount=2\r\nSearchDN0=OU=A\r\n"
                   "SearchDN1=OU=B\r\n");
    auto frm = MakeWindow();
    TfrmSetup& dlg = *SetupOf(*frm);
    dlg.EnsureBuilt();
    auto* current = Part<QRadioButton>(dlg, "optCurrentDomain");
    auto* another = Part<QRadioButton>(dlg, "optAnotherDomain");
    auto* name = Part<QLineEdit>(dlg, "txtDomainName");
    auto* disconnect = Part<QPushButton>(dlg, "cmdDisconnect");
    auto* list = Part<QListWidget>(dlg, "lstContainers");
    WhileShown(*frm, [&] {
        // "Current Domain" with a stored name: shown in an enabled edit.
        EXPECT_TRUE(current->isChecked());
        EXPECT_TRUE(name->isEnabled());
        EXPECT_EQ(name->text(), "KEPT");
        EXPECT_FALSE(disconnect->isEnabled());

        // Add and Remove without a selection change nothing.
        Part<QPushButton>(dlg, "cmdAdd")->click();
        list->setCurrentRow(-1);
        Part<QPushButton>(dlg, "cmdDelete")->click();
        EXPECT_EQ(Lines(*list), QStringList({"OU=A", "OU=B"}));

        another->click();
        EXPECT_TRUE(name->isEnabled());
        EXPECT_EQ(name->text(), "KEPT");
        name->setText("TYPED");
        current->click();
        EXPECT_FALSE(name->isEnabled());
        EXPECT_EQ(name->text(), "");

        // Disconnect twice: nothing to release, the controls reset each time.
        for (int i = 0; i < 2; ++i) {
            disconnect->setEnabled(true);
            disconnect->click();
            EXPECT_TRUE(current->isEnabled() && another->isEnabled());
            EXPECT_FALSE(name->isEnabled()) << "only with Another Domain";
            EXPECT_TRUE(disconnect->isEnabled());
        }
        ClickOK(dlg);
    });
    EXPECT_EQ(OptionsRec.DomainName, "");
    EXPECT_EQ(OptionsRec.CurrentDomain, 1);

    // CurrentDomain=0 selects "Another Domain" and keeps its name.
    OptionsRec.CurrentDomain = 0;
    OptionsRec.DomainName = "CORP";
    WhileShown(*frm, [&] {
        EXPECT_TRUE(another->isChecked());
        EXPECT_TRUE(name->isEnabled());
        EXPECT_EQ(name->text(), "CORP");
    });
}

} // namespace
