#include "about/fProxySettings.h"

#include "about/DialogPlacement.h"
#include "mainwindow/Accessible.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

QLineEdit* AddEdit(QWidget* group, QLabel*& label, const char* caption, const char* name, int top) {
    label = new QLabel(QString::fromLatin1(caption), group);
    label->move(8, top);
    label->adjustSize();
    auto* edit = new QLineEdit(group);
    edit->setObjectName(QLatin1String(name));
    edit->setGeometry(80, top, 150, 19);
    label->setBuddy(edit); // the label names the edit for screen readers
    SetAccessibleName(edit, label->text());
    return edit;
}

} // namespace

TfrmProxySettings::TfrmProxySettings(QWidget* centreOn, QWidget* parent)
    : QDialog(parent, FixedDialogFlags), centreOn_(centreOn) {
    setObjectName(QStringLiteral("frmProxySettings"));
    setWindowTitle(QStringLiteral("Proxy Settings"));
    setFont(QFont(QStringLiteral("MS Shell Dlg 2"), 8));
    setFixedSize(391, 187);

    grpProxy = new QGroupBox(QStringLiteral("Proxy Settings"), this);
    grpProxy->setGeometry(9, 10, 260, 174);
    chkUseProxy = new QCheckBox(QStringLiteral("Use Proxy Server"), grpProxy);
    chkUseProxy->setObjectName(QStringLiteral("chkUseProxy"));
    chkUseProxy->setGeometry(8, 20, 146, 20);
    txtHostName = AddEdit(grpProxy, lblHostName, "Host Name", "txtHostName", 50);
    txtPort = AddEdit(grpProxy, lblPort, "Port", "txtPort", 80);
    txtUserName = AddEdit(grpProxy, lblUserName, "User", "txtUserName", 110);
    txtPassword = AddEdit(grpProxy, lblPassword, "Password", "txtPassword", 140);
    txtPassword->setEchoMode(QLineEdit::Password);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(287, 17, 81, 25);
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setGeometry(287, 50, 81, 25);

    setTabOrder(chkUseProxy, txtHostName);
    setTabOrder(txtHostName, txtPort);
    setTabOrder(txtPort, txtUserName);
    setTabOrder(txtUserName, txtPassword);
    setTabOrder(txtPassword, cmdOK);
    setTabOrder(cmdOK, cmdCancel);

    connect(chkUseProxy, &QCheckBox::toggled, this, &TfrmProxySettings::chkUseProxyChange);
    connect(cmdOK, &QPushButton::clicked, this, &TfrmProxySettings::cmdOKClick);
    connect(cmdCancel, &QPushButton::clicked, this, &TfrmProxySettings::cmdCancelClick);
}

bool TfrmProxySettings::Edit(TProxyRec& rec) {
    chkUseProxy->setChecked(rec.ProxyEnabled != 0);
    txtHostName->setText(QString::fromUtf8(rec.ProxyServer.c_str()));
    txtPort->setText(QString::number(rec.ProxyPort));
    txtUserName->setText(QString::fromUtf8(rec.ProxyUser.c_str()));
    txtPassword->setText(QString::fromUtf8(rec.ProxyPassword.c_str()));
    chkUseProxyChange(); // toggled() does not fire when the state stays
    chkUseProxy->setFocus();

    CentreOn(*this, centreOn_);
    if (exec() != QDialog::Accepted)
        return false;

    rec.ProxyEnabled = chkUseProxy->isChecked() ? 1 : 0;
    rec.ProxyServer = txtHostName->text().toStdString();
    rec.ProxyPort = ProxyPortFromText(txtPort->text().toStdString());
    rec.ProxyUser = txtUserName->text().toStdString();
    rec.ProxyPassword = txtPassword->text().toStdString();
    SaveProxySettings(rec);
    return true;
}

void TfrmProxySettings::chkUseProxyChange() {
    const bool on = chkUseProxy->isChecked();
    for (QLineEdit* edit : {txtHostName, txtPort, txtUserName, txtPassword})
        edit->setEnabled(on);
}

void TfrmProxySettings::cmdOKClick() {
    accept();
}

void TfrmProxySettings::cmdCancelClick() {
    reject();
}
