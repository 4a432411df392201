// The window searching the real test domain: typed text goes to the
// directory as UTF-8 and the rows come back decoded.
#include "gui_test_support.h"
#include "mainwindow/ResultsList.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

QStringList Names(const TResultsList& list) {
    QStringList names;
    for (int i = 0; i < list.topLevelItemCount(); ++i)
        names << list.topLevelItem(i)->text(0);
    names.sort();
    return names;
}

// Types as the keyboard would, letters beyond ASCII included.
void Type(QWidget* widget, const QString& text) {
    for (QChar c : text)
        for (QTest::KeyAction action : {QTest::Press, QTest::Release})
            QTest::sendKeyEvent(action, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

class MainWindowDomainTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(std::getenv("FINDARO_TEST_DC"), nullptr)
            << "FINDARO_TEST_DC is not set: run inside tests/harness/with-test-domain";
        const std::string base = std::getenv("FINDARO_TEST_BASE");
        settings.Write("DisplayOffice=1\r\nDNCount=1\r\nSearchDN0=OU=Staff," + base + "\r\n");
    }
    SettingsScope settings;
    MessageBoxCatcher boxes;
};

TEST_F(MainWindowDomainTest, EnterSearchesTheDomainAndFillsTheList) {
    auto frm = MakeWindow();
    frm->ShowMainWindow();
    Type(Parts(*frm).cboSearch, "smith");
    QTest::keyClick(Parts(*frm).cboSearch, Qt::Key_Return);
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(frm->height(), 400);
    EXPECT_EQ(Parts(*frm).lblStatus->text(), "");
    EXPECT_EQ(Names(*Parts(*frm).lvwResults).join("|"), "Adam Smithers|Jane Smith|Smith, John");

    // Typing replaces the selected old text; non-ASCII text reaches the filter as UTF-8.
    frm->ShowMainWindow();
    Type(Parts(*frm).cboSearch, QString::fromUtf8("Zoë"));
    QTest::keyClick(Parts(*frm).cboSearch, Qt::Key_Return);
    ASSERT_EQ(Parts(*frm).lvwResults->topLevelItemCount(), 1);
    const QTreeWidgetItem* row = Parts(*frm).lvwResults->topLevelItem(0);
    EXPECT_EQ(row->text(0), QString::fromUtf8("Zoë Müller"));
    EXPECT_EQ(row->text(1), "+49 30 1234567");
    EXPECT_EQ(row->text(2), "Berlin 2.14");
    EXPECT_EQ(row->text(3), "Sales");
}

} // namespace
