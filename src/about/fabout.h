#pragma once
// The About box: the program's identity, the update check and the way to the
// proxy settings. Made once and reused, so what a check shows stays on display
// across showings.

#include "about/UpdateCheck.h"

#include <QDialog>
#include <QPointer>

#include <memory>

class QGroupBox;
class QLabel;
class QPushButton;
class TfrmProxySettings;

class TfrmAbout : public QDialog, public IUpdateView {
    Q_OBJECT
  public:
    // mainWindow: what the box and the proxy dialog are centred on until the
    // tray menu has opened the box.
    explicit TfrmAbout(QWidget* mainWindow = nullptr);
    ~TfrmAbout() override;

    // The tray menu's way in: centred on the screen, from now on for every way in.
    void ShowFromTray();
    // The configuration dialog's way in: shown with the placement it has.
    void ShowFromSetup();

    void FormShow();
    void cmdOkClick();
    void lblURLMouseEnter();
    void lblURLMouseLeave();
    void lblURLClick();
    void cmdUpdatesClick();
    void cmdProxyClick();
    void cmdDownloadClick();

    // For tests: the check's address and bounds.
    TUpdateCheck& UpdateCheck() { return check_; }
    void SetHttpClient(std::unique_ptr<IHttpClient> http);

    QGroupBox* grpInfo = nullptr;
    QLabel* lblAppName = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblCopyRight = nullptr;
    QLabel* lblURL = nullptr;
    QGroupBox* grpUpdates = nullptr;
    QPushButton* cmdUpdates = nullptr;
    QPushButton* cmdProxy = nullptr;
    QGroupBox* grpDetails = nullptr;
    QLabel* lblStatus = nullptr;
    QLabel* lblStatus2 = nullptr;
    QPushButton* cmdDownload = nullptr;
    QPushButton* cmdOk = nullptr;
    std::unique_ptr<TfrmProxySettings> frmProxySettings;

    // IUpdateView
    void SetBusyCursor(bool busy) override;
    void RepaintBox() override;
    void SetStatus(const std::string& text) override;
    void SetVerdict(const std::string& text) override;
    void ShowDownload(bool visible) override;
    void ShowSocketError(const std::string& text) override;

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Place();
    bool BroughtForward();
    // Hands an address to the browser, or says why it does not.
    void OpenWebAddress(const std::string& address);

    QPointer<QWidget> mainWindow_;
    bool centredOnScreen_ = false;
    TUpdateCheck check_;
    std::unique_ptr<IHttpClient> http_;
};
