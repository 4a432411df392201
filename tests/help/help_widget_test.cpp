// OpenHelp, the F1 key and the help window, on Qt's offscreen platform,
// with the help file that the build compiled.

#include "help/HelpKey.h"
#include "help/HelpWindow.h"
#include "help/HtmlHelp.h"
#include "help/HtmlHelpViewer.h"
#include "mainwindow/ResultsList.h"
#include "mainwindow/gui_test_support.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

const QString HelpFile = QStringLiteral(FINDARO_HELP_FILE);

// What OpenHelp hands to the viewer.
struct ViewerCall {
    QString file;
    unsigned command;
    std::intptr_t data;
    bool operator==(const ViewerCall&) const = default;
};

class RecordingViewer : public IHtmlHelpViewer {
  public:
    explicit RecordingViewer(std::vector<ViewerCall>& calls) : calls_(calls) {}
    void HtmlHelp(const QString& file, unsigned command, std::intptr_t data) override {
        calls_.push_back({file, command, data});
    }

  private:
    std::vector<ViewerCall>& calls_;
};

std::vector<THelpWindow*> HelpWindows() {
    std::vector<THelpWindow*> windows;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* help = qobject_cast<THelpWindow*>(w))
            windows.push_back(help);
    return windows;
}

void SetHelpContext(QWidget& widget, int context) {
    widget.setProperty(HelpContextProperty, context);
}

// A dialog shaped like the configuration dialog: pages with their own ids
// and buttons outside them.
struct PagedDialog {
    PagedDialog() {
        SetHelpContext(dialog, 1003);
        dialog.resize(600, 300);
        auto* containers = new QWidget;
        SetHelpContext(*containers, 1007);
        auto* group = new QGroupBox(QStringLiteral("Active Directory Setup"), containers);
        tree = new QTreeWidget(group);
        auto* fields = new QWidget;
        SetHelpContext(*fields, 1005);
        check = new QCheckBox(QStringLiteral("Name"), new QGroupBox(fields));
        check->parentWidget()->resize(200, 100);
        auto* display = new QWidget;
        SetHelpContext(*display, 1006);
        spin = new QSpinBox(display);
        auto* misc = new QWidget;
        SetHelpContext(*misc, 1007);
        miscCheck = new QCheckBox(QStringLiteral("Search Referrals"), misc);
        auto* diagnostics = new QWidget;
        SetHelpContext(*diagnostics, 1008);
        list = new QListWidget(diagnostics);
        tabs = new QTabWidget(&dialog);
        tabs->addTab(containers, QStringLiteral("Search Containers"));
        tabs->addTab(fields, QStringLiteral("Search Fields"));
        tabs->addTab(display, QStringLiteral("Display Format"));
        tabs->addTab(misc, QStringLiteral("Misc Options"));
        tabs->addTab(diagnostics, QStringLiteral("Diagnostics"));
        tabs->setGeometry(0, 0, 600, 260);
        ok = new QPushButton(QStringLiteral("OK"), &dialog);
        ok->setGeometry(218, 265, 75, 25);
        // A window of its own inside the dialog, as the About box is.
        about = new QDialog(&dialog);
        about->resize(300, 100);
        aboutEdit = new QLineEdit(about);
    }
    QDialog dialog;
    QTabWidget* tabs;
    QTreeWidget* tree;
    QCheckBox* check;
    QSpinBox* spin;
    QCheckBox* miscCheck;
    QListWidget* list;
    QPushButton* ok;
    QDialog* about;
    QLineEdit* aboutEdit;
};

// Presses F1 with the focus on `widget` and returns the requests it made.
std::vector<int32_t> PressF1(QWidget* widget, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    std::vector<int32_t> requests;
    THelpKeyFilter filter([&](int32_t context) { requests.push_back(context); });
    qApp->installEventFilter(&filter);
    QWidget* window = widget->window();
    window->show();
    window->raise();
    window->activateWindow();
    // A dialog inside an active window counts as active before it is.
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == window; }));
    widget->setFocus(Qt::OtherFocusReason);
    EXPECT_EQ(QApplication::focusWidget(), widget);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1, modifiers);
    qApp->removeEventFilter(&filter);
    return requests;
}

TEST(HelpKey, AsksForTheTopicOfTheFocusedControlOrTheNearestParentWithOne) {
    PagedDialog d;
    struct Case {
        const char* where;
        int page;
        std::function<QWidget*()> focus;
        std::vector<int32_t> requests;
    };
    const Case cases[] = {
        {"tree of Search Containers", 0, [&] { return d.tree; }, {1007}},
        {"check box in a group of Search Fields", 1, [&] { return d.check; }, {1005}},
        {"spin edit of Display Format", 2, [&] { return d.spin; }, {1006}},
        {"check box of Misc Options", 3, [&] { return d.miscCheck; }, {1007}},
        {"log of Diagnostics", 4, [&] { return d.list; }, {1008}},
        {"the Misc Options tab", 3, [&] { return d.tabs->tabBar(); }, {1007}},
        {"the Search Fields tab", 1, [&] { return d.tabs->tabBar(); }, {1005}},
        {"the OK button", 0, [&] { return d.ok; }, {1003}},
        {"a window of its own without an id", 0, [&] { return d.aboutEdit; }, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.where);
        d.tabs->setCurrentIndex(c.page);
        EXPECT_EQ(PressF1(c.focus()), c.requests);
    }
    EXPECT_EQ(PressF1(d.check, Qt::ShiftModifier), std::vector<int32_t>{}) << "Shift+F1";
}

TEST(HelpKey, TheMainWindowAndItsControlsCarryTheMainWindowTopic) {
    SettingsScope settings;
    auto frm = MakeWindow();
    const MainParts parts = Parts(*frm);
    const QWidget* controls[] = {frm.get(), parts.cboSearch, parts.lvwResults, parts.cmdSetup};
    for (const QWidget* control : controls)
        EXPECT_EQ(HelpContextOf(control), 1000) << control->objectName().toStdString();
    // The window's creation made the viewer available.
    EXPECT_NE(ApplicationHelp().Viewer(), nullptr);
}

TEST(OpenHelp, WarnsOnceAboutAMissingFileAndThenHandsRequestsToTheViewer) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Findaro.chm"));
    std::vector<ViewerCall> calls;
    THtmlHelp help([&] { return path; });
    help.SetViewer(std::make_unique<RecordingViewer>(calls));
    MessageBoxCatcher catcher;

    EXPECT_EQ(help.OpenHelp(HELP_CONTEXT, 1000), 0);
    ASSERT_EQ(catcher.boxes.size(), 1u);
    EXPECT_EQ(catcher.boxes[0].caption, QStringLiteral("Findaro"));
    EXPECT_EQ(catcher.boxes[0].text, QStringLiteral("Cannot find Help File : ") + path);
    EXPECT_EQ(catcher.boxes[0].icon, QMessageBox::Warning);
    EXPECT_EQ(catcher.boxes[0].owner, nullptr);
    EXPECT_TRUE(calls.empty());

    EXPECT_EQ(help.OpenHelp(HELP_CONTEXT, 1000), 0);
    EXPECT_EQ(help.OpenHelp(HELP_TOC, 0), 0);
    EXPECT_EQ(catcher.boxes.size(), 1u);
    EXPECT_EQ(calls,
              (std::vector<ViewerCall>{{path, HH_HELP_CONTEXT, 1000}, {path, HH_DISPLAY_TOC, 0}}));
}

TEST(OpenHelp, TranslatesItsCommandsForTheViewer) {
    struct Case {
        uint16_t command;
        int32_t data;
        std::vector<ViewerCall> calls;
    };
    const Case cases[] = {
        {HELP_CONTEXT, 1005, {{HelpFile, HH_HELP_CONTEXT, 1005}}},
        {HELP_CONTENTS, 7, {{HelpFile, HH_DISPLAY_INDEX, 7}}},
        {HELP_TOC, 5, {{HelpFile, HH_DISPLAY_TOC, 0}}},
        {0, 1000, {}},
        {2, 1000, {}},  // quitting help
        {4, 1000, {}},  // positioning
        {0x101, 0, {}}, // a keyword
        {1000, 1000, {}},
    };
    for (const Case& c : cases) {
        std::vector<ViewerCall> calls;
        THtmlHelp help([] { return HelpFile; });
        help.SetViewer(std::make_unique<RecordingViewer>(calls));
        EXPECT_EQ(help.OpenHelp(c.command, c.data), 0);
        EXPECT_EQ(calls, c.calls) << "command " << c.command;
    }
}

// The help window over the compiled file, through OpenHelp as the program uses it.
class HelpViewer : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(help.LoadHtmlHelp());
        ASSERT_TRUE(HelpWindows().empty());
    }
    THelpWindow* Window() {
        const std::vector<THelpWindow*> windows = HelpWindows();
        EXPECT_EQ(windows.size(), 1u);
        return windows.empty() ? nullptr : windows.front();
    }
    std::string Text() { return Window()->browser->toPlainText().toStdString(); }

    QString path = HelpFile;
    THtmlHelp help{[this] { return path; }};
};

TEST_F(HelpViewer, OpensAtTheTopicOfAContextIdInAWindowOfItsOwn) {
    help.OpenHelp(HELP_CONTEXT, 1000);
    THelpWindow* window = Window();
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isWindow());
    EXPECT_EQ(window->parentWidget(), nullptr);
    EXPECT_EQ(window->CurrentTopic(), QStringLiteral("/search_window.htm"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Findaro Help - The search window"));
    EXPECT_NE(Text().find("Calling it up"), std::string::npos);
    EXPECT_EQ(window->tvwContents->currentItem()->text(0), QStringLiteral("The search window"));

    // A later request reuses the window, also after the user closed it.
    window->close();
    help.OpenHelp(HELP_CONTEXT, 1005);
    EXPECT_EQ(Window(), window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->CurrentTopic(), QStringLiteral("/search_fields.htm"));
    EXPECT_EQ(window->tvwContents->currentItem()->text(0), QStringLiteral("Search Fields"));
}

TEST_F(HelpViewer, ShowsItsOwnPageForAContextIdTheFileDoesNotMap) {
    help.OpenHelp(HELP_CONTEXT, 1001);
    ASSERT_TRUE(Window());
    EXPECT_TRUE(Window()->isVisible());
    EXPECT_EQ(Window()->CurrentTopic(), QString());
    EXPECT_NE(Text().find("Topic not found"), std::string::npos);
    EXPECT_NE(Text().find("1001"), std::string::npos);
}

TEST_F(HelpViewer, OpensAtTheContentsOrTheIndex) {
    help.OpenHelp(HELP_TOC, 0);
    THelpWindow* window = Window();
    ASSERT_TRUE(window);
    EXPECT_EQ(window->tabNavigation->currentWidget(), window->tvwContents);
    EXPECT_EQ(window->CurrentTopic(), QStringLiteral("/introduction.htm"));
    ASSERT_EQ(window->tvwContents->topLevelItemCount(), 5);
    QTreeWidgetItem* dialog = window->tvwContents->topLevelItem(2);
    EXPECT_EQ(dialog->text(0), QStringLiteral("The configuration dialog"));
    EXPECT_EQ(dialog->childCount(), 5);

    help.OpenHelp(HELP_CONTENTS, 0);
    EXPECT_EQ(window->tabNavigation->currentWidget(), window->lstIndex->parentWidget());
    EXPECT_EQ(window->CurrentTopic(), QStringLiteral("/introduction.htm")) << "the topic stays";
}

TEST_F(HelpViewer, UnknownCommandsOpenNothing) {
    help.OpenHelp(2, 1000);
    help.OpenHelp(0x101, 0);
    EXPECT_TRUE(HelpWindows().empty());
}

TEST_F(HelpViewer, AMissingFileIsTheViewersToReportAfterTheWarning) {
    QTemporaryDir dir;
    path = dir.filePath(QStringLiteral("Findaro.chm"));
    MessageBoxCatcher catcher;
    help.OpenHelp(HELP_CONTEXT, 1000);
    EXPECT_EQ(catcher.boxes.size(), 1u);
    EXPECT_TRUE(HelpWindows().empty());
    help.OpenHelp(HELP_CONTEXT, 1000);
    EXPECT_EQ(catcher.boxes.size(), 1u);
    ASSERT_TRUE(Window());
    EXPECT_NE(Text().find("Cannot open the help file"), std::string::npos);
    EXPECT_NE(Text().find(path.toStdString()), std::string::npos);
}

TEST_F(HelpViewer, RendersTopicsWithTheirStyleSheetAndPictures) {
    help.OpenHelp(HELP_TOC, 0);
    TChmBrowser* browser = Window()->browser;
    // The heading takes its colour from findaro.css.
    QTextBlock heading = browser->document()->begin();
    while (heading.isValid() && heading.blockFormat().headingLevel() != 1)
        heading = heading.next();
    ASSERT_TRUE(heading.isValid());
    EXPECT_EQ(heading.charFormat().foreground().color(), QColor(0x1f, 0x4e, 0x79));
    EXPECT_NE(heading.text().indexOf(QStringLiteral("Welcome to Findaro")), -1);
    // The icon beside it comes out of the help file.
    const QImage icon =
        QImage::fromData(browser
                             ->loadResource(QTextDocument::ImageResource,
                                            QUrl(QStringLiteral("images/findaro-32.png")))
                             .toByteArray());
    EXPECT_EQ(icon.size(), QSize(32, 32));
    EXPECT_FALSE(
        browser->loadResource(QTextDocument::ImageResource, QUrl(QStringLiteral("images/none.png")))
            .isValid());
}

TEST_F(HelpViewer, FollowsLinksAndRetracesThemWithBackAndForward) {
    help.OpenHelp(HELP_TOC, 0);
    THelpWindow* window = Window();
    ASSERT_TRUE(window);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    EXPECT_FALSE(window->actBack->isEnabled());

    // The first link of the introduction, chosen with the keyboard.
    window->browser->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(window->browser, Qt::Key_Tab);
    QTest::keyClick(window->browser, Qt::Key_Return);
    EXPECT_EQ(window->CurrentTopic(), QStringLiteral("/search_window.htm"));
    EXPECT_TRUE(window->actBack->isEnabled());

    window->actBack->trigger();
    EXPECT_EQ(window->CurrentTopic(), QStringLiteral("/introduction.htm"));
    EXPECT_TRUE(window->actForward->isEnabled());
    window->actForward->trigger();
    EXPECT_EQ(window->CurrentTopic(), QStringLiteral("/search_window.htm"));

    // An entry of the contents leads to its page's section.
    QTreeWidgetItem* misc = window->tvwContents->topLevelItem(2)->child(3);
    ASSERT_EQ(misc->text(0), QStringLiteral("Misc Options"));
    window->tvwContents->setCurrentItem(misc);
    EXPECT_EQ(window->browser->source().toString(),
              QStringLiteral("chm:/containers_and_options.htm#options"));
    window->actHome->trigger();
    EXPECT_EQ(window->CurrentTopic(), QStringLiteral("/introduction.htm"));
}

TEST_F(HelpViewer, TheIndexFindsAKeywordAsItIsTyped) {
    help.OpenHelp(HELP_CONTENTS, 0);
    THelpWindow* window = Window();
    ASSERT_TRUE(window);
    EXPECT_GT(window->lstIndex->count(), 40);
    QTest::keyClicks(window->txtKeyword, QStringLiteral("kerb"));
    ASSERT_TRUE(window->lstIndex->currentItem());
    EXPECT_EQ(window->lstIndex->currentItem()->text(), QStringLiteral("Kerberos ticket"));
    QTest::keyClick(window->txtKeyword, Qt::Key_Return);
    EXPECT_EQ(window->CurrentTopic(), QStringLiteral("/search_problems.htm"));
}

// F1 in the configuration dialog, which runs modally.
TEST_F(HelpViewer, StaysUsableBesideAModalDialog) {
    QDialog dialog;
    bool typed = false;
    QTimer::singleShot(0, &dialog, [&] {
        help.OpenHelp(HELP_CONTENTS, 0);
        THelpWindow* window = Window();
        // Typed as the window system delivers it, which is where modality applies.
        for (char c : std::string("kerb"))
            QTest::keyClick(window->windowHandle(), Qt::Key(Qt::Key_A + (c - 'a')), Qt::NoModifier);
        typed = window->txtKeyword->text() == QStringLiteral("kerb");
        dialog.reject();
    });
    dialog.exec();
    EXPECT_TRUE(typed) << "the help window took no keys beside the modal dialog";
    // With the dialog gone it stands on no window again, and stays open.
    ASSERT_TRUE(Window());
    EXPECT_TRUE(Window()->isVisible());
    EXPECT_EQ(Window()->windowHandle()->transientParent(), nullptr);
}

} // namespace
