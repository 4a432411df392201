#pragma once
// The proxy dialog: whether and through which SOCKS 5 proxy the update check
// goes, with user name and password.

#include "about/ProxySettings.h"

#include <QDialog>
#include <QPointer>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TfrmProxySettings : public QDialog {
    Q_OBJECT
  public:
    // centreOn: the window the dialog is centred on when shown.
    explicit TfrmProxySettings(QWidget* centreOn = nullptr, QWidget* parent = nullptr);

    // Shows the dialog filled from `rec`; on OK takes its values into `rec`
    // and saves them. True when ended with OK.
    bool Edit(TProxyRec& rec);

    void chkUseProxyChange();
    void cmdOKClick();
    void cmdCancelClick();

    QGroupBox* grpProxy = nullptr;
    QCheckBox* chkUseProxy = nullptr;
    QLabel* lblHostName = nullptr;
    QLineEdit* txtHostName = nullptr;
    QLabel* lblPort = nullptr;
    QLineEdit* txtPort = nullptr;
    QLabel* lblUserName = nullptr;
    QLineEdit* txtUserName = nullptr;
    QLabel* lblPassword = nullptr;
    QLineEdit* txtPassword = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

  private:
    QPointer<QWidget> centreOn_;
};
