// OpenHelp and the F1 key, on Qt's offscreen platform, with the help file
// that the build compiled and a viewer that records what it is asked.

#include "help/HelpKey.h"
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

} // namespace
