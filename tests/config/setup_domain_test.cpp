// The container picker against the real test domain: the locator, the
// browser's root entry and one-level listings, the error boxes, and the
// chosen containers reaching the next search.
#include "setup_support.h"

#include "directory/DcLocator.h"
#include "mainwindow/ResultsList.h"
#include "search/test_files.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

#include <cstdlib>

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The DNs directly below dn in the order the server returns them, read
// with ldapsearch as the test user.
QStringList ServerOrder(const std::string& dn) {
    QProcess ldapsearch;
    ldapsearch.start("ldapsearch", {"-Q", "-Y", "GSSAPI", "-N", "-LLL", "-o", "ldif-wrap=no", "-H",
                                    QString::fromStdString("ldap://" + Env("FINDARO_TEST_DC")),
                                    "-b", QString::fromStdString(dn), "-s", "one", "1.1"});
    ldapsearch.waitForFinished(20000);
    QStringList names;
    for (const QByteArray& line : ldapsearch.readAllStandardOutput().split('\n')) {
        if (line.startsWith("dn:: "))
            names << QString::fromUtf8(QByteArray::fromBase64(line.mid(5)));
        else if (line.startsWith("dn: "))
            names << QString::fromUtf8(line.mid(4));
    }
    return names;
}

QStringList ChildDns(const QTreeWidgetItem* node) {
    QStringList dns;
    for (int i = 0; node && i < node->childCount(); ++i)
        dns << node->child(i)->data(0, Qt::UserRole).toString();
    return dns;
}

QTreeWidgetItem* ChildNamed(const QTreeWidgetItem* node, const QString& text) {
    for (int i = 0; node && i < node->childCount(); ++i)
        if (node->child(i)->text(0) == text)
            return node->child(i);
    return nullptr;
}

int SambaAdmin(const QStringList& arguments) {
    return QProcess::execute(FINDARO_SOURCE_DIR "/tests/harness/samba-admin", arguments);
}

class SetupDomainTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(Env("FINDARO_TEST_DC").empty())
            << "FINDARO_TEST_DC is not set: run inside tests/harness/with-test-domain";
        base = Env("FINDARO_TEST_BASE");
        frm = MakeWindow();
        dlg = SetupOf(*frm);
    }

    QRadioButton* Option(const char* name) const { return Part<QRadioButton>(*dlg, name); }
    QPushButton* Button(const char* name) const { return Part<QPushButton>(*dlg, name); }
    QLineEdit* DomainEdit() const { return Part<QLineEdit>(*dlg, "txtDomainName"); }
    QString ConnectedTo() const { return Part<QLabel>(*dlg, "lblConnectedTo")->text(); }
    QTreeWidget* Tree() const { return Part<QTreeWidget>(*dlg, "tvwDomain"); }
    QListWidget* Containers() const { return Part<QListWidget>(*dlg, "lstContainers"); }

    void ConnectTo(const char* domain) {
        if (domain) {
            Option("optAnotherDomain")->click();
            DomainEdit()->setText(domain);
        } else {
            Option("optCurrentDomain")->click();
        }
        Button("cmdConnect")->click();
    }

    std::string base;
    SettingsScope settings;
    MessageBoxCatcher boxes;
    std::unique_ptr<TfrmMain> frm;
    TfrmSetup* dlg = nullptr;
};

TEST_F(SetupDomainTest, ConnectShowsTheRootAndExpansionListsEachLevelOnce) {
    const QString dc = QString::fromStdString("\\\\" + Env("FINDARO_TEST_DC"));
    WhileShown(*frm, [&] {
        ConnectTo(nullptr);
        ASSERT_TRUE(boxes.boxes.empty());
        EXPECT_EQ(ConnectedTo(), dc);
        ASSERT_EQ(Tree()->topLevelItemCount(), 1);
        QTreeWidgetItem* root = RootNode(*dlg);
        EXPECT_EQ(root->text(0), QString::fromStdString(base));
        EXPECT_EQ(root->data(0, Qt::UserRole).toString(), QString::fromStdString(base));
        EXPECT_EQ(Children(root), QStringList({"Loading..."}));
        EXPECT_FALSE(Option("optCurrentDomain")->isEnabled());
        EXPECT_FALSE(Option("optAnotherDomain")->isEnabled());
        EXPECT_FALSE(DomainEdit()->isEnabled());
        EXPECT_TRUE(Button("cmdDisconnect")->isEnabled());

        // Everything directly below, users and containers alike, in server order.
        root->setExpanded(true);
        const QStringList level = ServerOrder(base);
        EXPECT_EQ(ChildDns(root), level);
        for (const char* name : {"Staff", "Users", "Empty", "Contractors"})
            EXPECT_TRUE(Children(root).contains(name)) << name;
        for (int i = 0; i < root->childCount(); ++i)
            EXPECT_EQ(Children(root->child(i)), QStringList({"Loading..."})) << i;

        // Collapsed and expanded again, the node keeps what it read: an OU
        // added meanwhile does not show.
        root->setExpanded(false);
        ASSERT_EQ(SambaAdmin({"ou", "add", QString::fromStdString("OU=Late," + base)}), 0);
        root->setExpanded(true);
        EXPECT_EQ(ChildDns(root), level);
        SambaAdmin({"ou", "delete", QString::fromStdString("OU=Late," + base)});

        // A node's data is its own DN; an empty OU loses its placeholder.
        QTreeWidgetItem* staff = ChildNamed(root, "Staff");
        ASSERT_NE(staff, nullptr);
        EXPECT_EQ(staff->data(0, Qt::UserRole).toString(),
                  QString::fromStdString("OU=Staff," + base));
        staff->setExpanded(true);
        EXPECT_EQ(ChildDns(staff), ServerOrder("OU=Staff," + base));
        // A user is a node like any other, and lists nothing.
        QTreeWidgetItem* sales = ChildNamed(staff, "Sales");
        ASSERT_NE(sales, nullptr);
        sales->setExpanded(true);
        QTreeWidgetItem* john = ChildNamed(sales, "Smith, John");
        ASSERT_NE(john, nullptr);
        EXPECT_EQ(Children(john), QStringList({"Loading..."}));
        john->setExpanded(true);
        EXPECT_EQ(john->childCount(), 0);
        QTreeWidgetItem* empty = ChildNamed(root, "Empty");
        ASSERT_NE(empty, nullptr);
        empty->setExpanded(true);
        EXPECT_EQ(empty->childCount(), 0);
        EXPECT_TRUE(boxes.boxes.empty());
    });
}

TEST_F(SetupDomainTest, AnotherDomainByFlatAndDnsName) {
    const QString dc = QString::fromStdString("\\\\" + Env("FINDARO_TEST_DC"));
    for (const std::string& name : {Env("FINDARO_TEST_NETBIOS"), Env("FINDARO_TEST_DOMAIN")}) {
        SCOPED_TRACE(name);
        WhileShown(*frm, [&] {
            ConnectTo(name.c_str());
            EXPECT_TRUE(boxes.boxes.empty());
            EXPECT_EQ(ConnectedTo(), dc);
            ASSERT_EQ(Tree()->topLevelItemCount(), 1);
            EXPECT_EQ(RootNode(*dlg)->text(0), QString::fromStdString(base));
            ClickOK(*dlg);
        });
        EXPECT_EQ(OptionsRec.CurrentDomain, 0);
        EXPECT_EQ(OptionsRec.DomainName, name);
    }
}

TEST_F(SetupDomainTest, LocatorFailuresShowItsOwnText) {
    std::string dcName;
    // The empty name is handed over as typed; the locator decides what it means.
    const uint32_t emptyCode =
        LocateDomainController("", dcflags::ReturnDnsName | dcflags::IsFlatName, dcName);
    struct Case {
        const char* domain;
        uint32_t code;
    };
    for (const Case c : {Case{"NOWHERE", winerror::NoSuchDomain},
                         Case{"bad/name", winerror::InvalidDomainName}, Case{"", emptyCode}}) {
        SCOPED_TRACE(c.domain);
        boxes.boxes.clear();
        WhileShown(*frm, [&] {
            Part<QLabel>(*dlg, "lblConnectedTo")->setText("before");
            ConnectTo(c.domain);
            if (c.code == 0) {
                EXPECT_TRUE(boxes.boxes.empty());
                EXPECT_EQ(ConnectedTo().toStdString(), dcName);
                return;
            }
            ASSERT_EQ(boxes.boxes.size(), 1u);
            EXPECT_EQ(boxes.boxes[0].caption, "Error");
            EXPECT_EQ(boxes.boxes[0].icon, QMessageBox::Critical);
            EXPECT_EQ(boxes.boxes[0].owner, dlg);
            EXPECT_EQ(boxes.boxes[0].text.toStdString(), WindowsErrorText(c.code));
            // Nothing else changed.
            EXPECT_EQ(ConnectedTo(), "before");
            EXPECT_EQ(Tree()->topLevelItemCount(), 0);
            EXPECT_TRUE(Option("optAnotherDomain")->isEnabled());
            EXPECT_FALSE(Button("cmdDisconnect")->isEnabled());
        });
    }
}

TEST_F(SetupDomainTest, RefusedBindNamesTheServer) {
    TempDir dir;
    const std::string saved = Env("KRB5CCNAME");
    setenv("KRB5CCNAME", ("FILE:" + dir.file("none")).c_str(), 1);
    WhileShown(*frm, [&] {
        ConnectTo(nullptr);
        setenv("KRB5CCNAME", saved.c_str(), 1);
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].caption, "Error");
        EXPECT_EQ(boxes.boxes[0].owner, dlg);
        EXPECT_TRUE(boxes.boxes[0].text.contains(QString::fromStdString(Env("FINDARO_TEST_DC"))))
            << boxes.boxes[0].text.toStdString();
        EXPECT_TRUE(boxes.boxes[0].text.contains("Kerberos"));
        EXPECT_EQ(Tree()->topLevelItemCount(), 0);
        EXPECT_EQ(ConnectedTo().toStdString(), "\\\\" + Env("FINDARO_TEST_DC"));
        EXPECT_TRUE(Option("optCurrentDomain")->isEnabled());
        EXPECT_FALSE(Button("cmdDisconnect")->isEnabled());

        // With the ticket back the next Connect works.
        boxes.boxes.clear();
        Button("cmdConnect")->click();
        EXPECT_TRUE(boxes.boxes.empty());
        EXPECT_EQ(Tree()->topLevelItemCount(), 1);
    });
}

TEST_F(SetupDomainTest, TwoConnectsGiveTwoRootsThatBothExpand) {
    WhileShown(*frm, [&] {
        ConnectTo(nullptr);
        Button("cmdConnect")->click();
        ASSERT_EQ(Tree()->topLevelItemCount(), 2);
        EXPECT_EQ(RootNode(*dlg, 0)->text(0), RootNode(*dlg, 1)->text(0));
        const QStringList level = ServerOrder(base);
        for (int i : {1, 0}) {
            RootNode(*dlg, i)->setExpanded(true);
            EXPECT_EQ(ChildDns(RootNode(*dlg, i)), level) << i;
        }

        Button("cmdDisconnect")->click();
        EXPECT_EQ(Tree()->topLevelItemCount(), 0);
        EXPECT_EQ(ConnectedTo(), "");
        EXPECT_TRUE(Option("optCurrentDomain")->isEnabled());
    });
    // Closed while connected and opened again: an empty tree, the domain
    // controls enabled, and the former server still named.
    WhileShown(*frm, [&] {
        ConnectTo(nullptr);
        dlg->reject();
    });
    WhileShown(*frm, [&] {
        EXPECT_EQ(Tree()->topLevelItemCount(), 0);
        EXPECT_FALSE(Button("cmdDisconnect")->isEnabled());
        EXPECT_TRUE(Option("optCurrentDomain")->isEnabled());
        EXPECT_TRUE(DomainEdit()->isEnabled());
        EXPECT_EQ(ConnectedTo().toStdString(), "\\\\" + Env("FINDARO_TEST_DC"));
    });
}

// Picked containers are saved in list order, duplicates included, and the
// next search looks in exactly those.
TEST_F(SetupDomainTest, PickedContainersAreWhatTheNextSearchSearches) {
    const std::string engineering = "OU=Engineering,OU=Staff," + base;
    WhileShown(*frm, [&] {
        ConnectTo(nullptr);
        QTreeWidgetItem* root = RootNode(*dlg);
        root->setExpanded(true);
        QTreeWidgetItem* staff = ChildNamed(root, "Staff");
        ASSERT_NE(staff, nullptr);
        staff->setExpanded(true);
        QTreeWidgetItem* node = ChildNamed(staff, "Engineering");
        ASSERT_NE(node, nullptr);
        Tree()->setCurrentItem(node);
        Button("cmdAdd")->click();
        Button("cmdAdd")->click();
        Tree()->setCurrentItem(root);
        Button("cmdAdd")->click();
        EXPECT_EQ(Containers()->count(), 3);
        // Removing the root again leaves the two equal lines.
        Containers()->setCurrentRow(2);
        Button("cmdDelete")->click();
        ClickOK(*dlg);
    });
    EXPECT_EQ(OptionsRec.SearchDN, std::vector<std::string>(2, engineering));
    const std::string ini = ReadFile(SettingsFilePath());
    EXPECT_NE(ini.find("DNCount=2\r\n"), std::string::npos);
    EXPECT_NE(ini.find("SearchDN0=" + engineering + "\r\nSearchDN1=" + engineering),
              std::string::npos);

    OptionsRec.SearchDN = {engineering};
    auto* search = Part<QLineEdit>(*frm, "cboSearch");
    search->setText("smith");
    frm->RunSearch();
    auto* list = Part<TResultsList>(*frm, "lvwResults");
    QStringList names;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        names << list->topLevelItem(i)->text(0);
    names.sort();
    EXPECT_EQ(names, QStringList({"Adam Smithers", "Jane Smith"}));
}

} // namespace
