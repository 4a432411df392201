// The container picker of the "Search Containers" page: a tree of the
// domain read one level at a time, and the list of containers to search.

#include "config/fsetup.h"

#include "directory/DcLocator.h"
#include "directory/LdapBrowser.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

namespace {

const char* const Placeholder = "Loading...";

// Busy cursor for the blocking work, restored on every way out.
class BusyCursor {
  public:
    explicit BusyCursor(QWidget* repaint) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        repaint->repaint();
    }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

std::string ToUtf8(const QString& text) {
    return text.toUtf8().toStdString();
}

QString LdapText(int32_t code) {
    return FromUtf8(LdapResultText(code));
}

} // namespace

void TfrmSetup::ShowPickerError(const QString& text) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), text, QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("PickerErrorBox"));
    box.exec();
}

void TfrmSetup::optCurrentDomainClick() {
    txtDomainName->setEnabled(false);
    txtDomainName->clear();
}

void TfrmSetup::optAnotherDomainClick() {
    txtDomainName->setEnabled(true);
}

void TfrmSetup::cmdConnectClick() {
    const std::string domainName = ToUtf8(txtDomainName->text());
    BusyCursor busy(this);

    // Another domain is passed as typed, an empty text included.
    std::string dcName;
    const uint32_t located =
        LocateDomainController(optCurrentDomain->isChecked() ? nullptr : domainName.c_str(),
                               dcflags::ReturnDnsName | dcflags::IsFlatName, dcName);
    if (located != 0) {
        ShowPickerError(FromUtf8(WindowsErrorText(located)));
        return;
    }
    lblConnectedTo->setText(FromUtf8(dcName));
    const std::string host = RemoveBackslashPairs(dcName);

    browser_ = std::make_unique<TQMLDAPBrowse>();
    const QString server = FromUtf8(host);
    // Where the read below would only tell that the root entry is missing, the
    // connect and bind results say what went wrong; the bind matters because
    // the root entry is readable without one, while nothing below it is.
    if (const int32_t rc = browser_->Connect(host); rc != 0) {
        ShowPickerError(QStringLiteral("Could not connect to the directory on %1 (%2). Check that "
                                       "the server is running and can be reached, then connect "
                                       "again.")
                            .arg(server, LdapText(rc)));
        return;
    }
    // Below a domain's root the server refers to its other partitions; chased,
    // those references fail without a bind of their own and take the whole
    // listing with them. The tree shows the objects of this server only.
    browser_->SetReferrals(false);
    if (const int32_t rc = browser_->Bind(); rc != 0) {
        ShowPickerError(QStringLiteral("%1 did not accept your logon (%2). Check that you have a "
                                       "valid Kerberos ticket for the domain (klist, kinit), then "
                                       "connect again.")
                            .arg(server, LdapText(rc)));
        return;
    }
    std::vector<std::string> names, values;
    const int32_t read = browser_->ReadRootDSE(names, values);
    std::string root;
    bool found = false;
    for (size_t i = 0; i < names.size() && i < values.size(); ++i) {
        if (QString::fromUtf8(names[i]).compare(QLatin1String("defaultNamingContext"),
                                                Qt::CaseInsensitive) == 0) {
            root = values[i];
            found = true;
            break;
        }
    }
    if (!found) {
        ShowPickerError(
            read != 0
                ? QStringLiteral("Could not read the root entry of the directory on %1 (%2). Try "
                                 "to connect again, or choose another domain.")
                      .arg(server, LdapText(read))
                : QStringLiteral("The directory on %1 names no default naming context, so there "
                                 "are no containers to show. Choose a domain controller's "
                                 "domain and connect again.")
                      .arg(server));
        return;
    }

    AddDomainNode(nullptr, root, root);
    txtDomainName->setEnabled(false);
    optCurrentDomain->setEnabled(false);
    optAnotherDomain->setEnabled(false);
    cmdDisconnect->setEnabled(true);
}

void TfrmSetup::AddDomainNode(QTreeWidgetItem* parent, const std::string& text,
                              const std::string& dn) {
    auto* node = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tvwDomain);
    node->setText(0, FromUtf8(text));
    node->setData(0, Qt::UserRole, FromUtf8(dn));
    // Marks the node as not yet listed and gives it an expand button.
    new QTreeWidgetItem(node, QStringList{QString::fromLatin1(Placeholder)});
}

void TfrmSetup::tvwDomainExpanding(QTreeWidgetItem* node) {
    QTreeWidgetItem* first = node->child(0);
    if (!first || first->text(0) != QLatin1String(Placeholder))
        return; // listed before: it keeps the children it has
    BusyCursor busy(this);
    delete first;
    if (!browser_)
        return;
    browser_->SetBaseDN(ToUtf8(node->data(0, Qt::UserRole).toString()));
    std::vector<std::string> names, dns;
    browser_->ListChildren(names, dns);
    // A failed listing adds nothing and says nothing.
    for (size_t i = 0; i < names.size() && i < dns.size(); ++i)
        AddDomainNode(node, names[i], dns[i]);
}

void TfrmSetup::cmdAddClick() {
    QTreeWidgetItem* node = tvwDomain->currentItem();
    if (!node || !node->isSelected() || !node->data(0, Qt::UserRole).isValid()) {
        QApplication::beep();
        return;
    }
    lstContainers->addItem(node->data(0, Qt::UserRole).toString());
}

void TfrmSetup::cmdDeleteClick() {
    QListWidgetItem* entry = lstContainers->currentItem();
    if (!entry || !entry->isSelected()) {
        QApplication::beep();
        return;
    }
    delete entry;
}

void TfrmSetup::cmdDisconnectClick() {
    browser_.reset();
    if (optAnotherDomain->isChecked())
        txtDomainName->setEnabled(true);
    optCurrentDomain->setEnabled(true);
    optAnotherDomain->setEnabled(true);
    lblConnectedTo->clear();
    tvwDomain->clear();
}
