// Our own help window, the viewer of the help file outside Windows, through
// OpenHelp as the program uses it, on Qt's offscreen platform.

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

std::vector<THelpWindow*> HelpWindows() {
    std::vector<THelpWindow*> windows;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* help = qobject_cast<THelpWindow*>(w))
            windows.push_back(help);
    return windows;
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
