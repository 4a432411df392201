// The About box and the proxy dialog on the offscreen platform.
#include "AboutTestSupport.h"

#include "about/fProxySettings.h"
#include "search/Settings.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The widgets Tab visits from `first` on, whether enabled now or not.
std::vector<QWidget*> TabOrder(QWidget* first, size_t count) {
    std::vector<QWidget*> order{first};
    for (QWidget* w = first->nextInFocusChain(); w != first && order.size() < count;
         w = w->nextInFocusChain())
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisible())
            order.push_back(w);
    return order;
}

class AboutBox : public ::testing::Test {
  protected:
    // Shows the box from the configuration dialog's way in, runs `inside`
    // while it is up and closes it with OK.
    void WhileShown(const std::function<void()>& inside, bool fromTray = false) {
        driver.Then([&](QWidget* modal) {
            EXPECT_EQ(modal, about.get());
            inside();
            QTest::mouseClick(about->cmdOk, Qt::LeftButton);
        });
        fromTray ? about->ShowFromTray() : about->ShowFromSetup();
        EXPECT_FALSE(about->isVisible());
    }

    ProxyFileScope proxyFile;
    QWidget mainWindow;
    std::unique_ptr<TfrmAbout> about = std::make_unique<TfrmAbout>(&mainWindow);
    ModalDriver driver;
};

TEST_F(AboutBox, FirstShowingFillsTheIdentityAndNothingElse) {
    WhileShown([&] {
        EXPECT_EQ(about->windowTitle(), "About");
        EXPECT_EQ(about->width(), 448);
        EXPECT_EQ(about->lblAppName->text(), "Findaro");
        EXPECT_EQ(about->lblVersion->text(), "1.00");
        EXPECT_EQ(about->lblURL->text().toStdString(), WebSiteAddress);
        EXPECT_EQ(about->lblCopyRight->text().toStdString(), CopyrightLine);
        EXPECT_EQ(about->lblStatus->text(), "");
        EXPECT_EQ(about->lblStatus2->text(), "");
        EXPECT_FALSE(about->cmdDownload->isVisible());
        EXPECT_TRUE(about->cmdOk->isDefault());
        EXPECT_EQ(about->focusWidget(), about->cmdOk);
        // Tab order: OK, then the Updates group's buttons (Download too once shown).
        about->cmdDownload->show();
        EXPECT_EQ(TabOrder(about->cmdOk, 4),
                  (std::vector<QWidget*>{about->cmdOk, about->cmdUpdates, about->cmdProxy,
                                         about->cmdDownload}));
        about->cmdDownload->hide();
        // Every caption fits its control (in a real font).
        if (HasRealFonts())
            for (QPushButton* b : about->findChildren<QPushButton*>())
                EXPECT_LE(b->sizeHint().width() - 8, b->width()) << b->text().toStdString();
        EXPECT_EQ(about->cmdOk->text(), "OK");
        EXPECT_EQ(about->cmdUpdates->text(), "Check For Updates");
        EXPECT_EQ(about->cmdProxy->text(), "Proxy Settings");
        EXPECT_EQ(about->cmdDownload->text(), "Download");
        QStringList groups;
        for (QGroupBox* g : about->findChildren<QGroupBox*>())
            if (g->window() == about.get()) // not the proxy dialog's
                groups << g->title();
        EXPECT_EQ(groups, QStringList({"Application Information", "Updates", "Update Details"}));
    });
}

TEST_F(AboutBox, WebSiteLabelUnderlinesOnHoverStaysBlueAndOpensOnlyWebAddresses) {
    UrlRecorder browser;
    WhileShown([&] {
        QLabel* url = about->lblURL;
        const QColor blue = url->palette().color(QPalette::WindowText);
        EXPECT_EQ(blue, QColor(Qt::blue));
        QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
        QApplication::sendEvent(url, &enter);
        EXPECT_TRUE(url->font().underline());
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(url, &leave);
        EXPECT_FALSE(url->font().underline());
        EXPECT_EQ(url->palette().color(QPalette::WindowText), blue);
        QTest::mouseClick(url, Qt::LeftButton, {}, QPoint(5, 5));
    });
    EXPECT_EQ(browser.opened, QStringList({QString::fromUtf8(WebSiteAddress)}));
    EXPECT_TRUE(driver.boxes.empty());
}

// The download address comes from the network: anything but http and https
// opens nothing and says why.
TEST_F(AboutBox, DownloadOpensOnlyWebAddresses) {
    UrlRecorder browser;
    for (const char* address : {"file:///etc/passwd", "/usr/bin/xterm", "javascript:alert(1)",
                                "http://h.example/%zz", " http://h.example/x\n"})
        WhileShown([&] {
            about->UpdateCheck().DownloadAddress = address;
            about->cmdDownloadClick();
        });
    EXPECT_EQ(browser.opened, QStringList({"http://h.example/x"}));
    ASSERT_EQ(driver.boxes.size(), 4u);
    EXPECT_EQ(driver.boxes[0].caption, "Findaro");
    EXPECT_EQ(driver.boxes[0].owner, about.get());
    EXPECT_EQ(driver.boxes[0].text,
              "The address \"file:///etc/passwd\" was not opened: only web addresses (http or "
              "https) are opened.");
}

TEST_F(AboutBox, EveryShowingLoadsTheProxySettings) {
    WhileShown([] {});
    EXPECT_EQ(ProxyRec.ProxyEnabled, 0);
    // Another process writes the values while the box is closed.
    TProxyRec other{1, "elsewhere", 1080, "u", "p"};
    SaveProxySettings(other);
    ProxyRec = TProxyRec{};
    WhileShown([] { EXPECT_EQ(ProxyRec.ProxyServer, "elsewhere"); });
    EXPECT_EQ(ProxyRec.ProxyPort, 1080);
}

TEST_F(AboutBox, CentredOnTheMainWindowUntilTheTrayOpensIt) {
    mainWindow.setGeometry(200, 150, 300, 200);
    mainWindow.show();
    const QPoint screenCentre = QGuiApplication::primaryScreen()->geometry().center();
    auto centre = [&] { return about->frameGeometry().center(); };
    // Within the rounding of odd sizes.
    auto near = [](QPoint a, QPoint b) { return (a - b).manhattanLength() <= 4; };
    WhileShown([&] {
        EXPECT_TRUE(near(centre(), mainWindow.frameGeometry().center()))
            << centre().x() << "," << centre().y();
    });
    // A main window at the screen's bottom edge: the box stays on the screen.
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    mainWindow.setGeometry(work.right() - 300, work.bottom() - 30, 300, 30);
    WhileShown([&] {
        EXPECT_TRUE(work.contains(about->frameGeometry()));
        EXPECT_EQ(about->frameGeometry().bottom(), work.bottom());
    });
    // A hidden main window is no anchor: the screen is.
    mainWindow.hide();
    WhileShown([&] { EXPECT_TRUE(near(centre(), screenCentre)); });
    mainWindow.show();
    WhileShown([&] { EXPECT_TRUE(near(centre(), screenCentre)); }, true);
    WhileShown([&] { EXPECT_TRUE(near(centre(), screenCentre)); });
}

class ProxyDialog : public AboutBox {
  protected:
    TfrmProxySettings& dialog() { return *about->frmProxySettings; }
    // Opens the dialog from the box's "Proxy Settings" button and runs
    // `inside` on it.
    void Edit(const std::function<void(TfrmProxySettings&)>& inside) {
        WhileShown([&] {
            driver.Then([&](QWidget* modal) {
                EXPECT_EQ(modal, &dialog());
                inside(dialog());
            });
            QTest::mouseClick(about->cmdProxy, Qt::LeftButton);
        });
    }
};

TEST_F(ProxyDialog, FirstRunShowsAnEmptyDisabledDialog) {
    Edit([](TfrmProxySettings& d) {
        EXPECT_EQ(d.windowTitle(), "Proxy Settings");
        EXPECT_EQ(d.size(), QSize(391, 187));
        EXPECT_FALSE(d.chkUseProxy->isChecked());
        for (QLineEdit* e : {d.txtHostName, d.txtPort, d.txtUserName, d.txtPassword})
            EXPECT_FALSE(e->isEnabled());
        EXPECT_EQ(d.txtHostName->text(), "");
        EXPECT_EQ(d.txtPort->text(), "0");
        EXPECT_EQ(d.txtPassword->echoMode(), QLineEdit::Password);
        EXPECT_EQ(d.lblHostName->buddy(), d.txtHostName);
        EXPECT_TRUE(d.cmdOK->isDefault());
        // Tab order through the group, then the buttons.
        EXPECT_EQ(TabOrder(d.chkUseProxy, 7),
                  (std::vector<QWidget*>{d.chkUseProxy, d.txtHostName, d.txtPort, d.txtUserName,
                                         d.txtPassword, d.cmdOK, d.cmdCancel}));
        QTest::keyClick(&d, Qt::Key_Escape);
    });
    EXPECT_FALSE(proxyFile.Stored()) << "Esc must write nothing";
}

TEST_F(ProxyDialog, OkStoresAndSavesCancelKeepsEverything) {
    Edit([](TfrmProxySettings& d) {
        QTest::mouseClick(d.chkUseProxy, Qt::LeftButton);
        for (QLineEdit* e : {d.txtHostName, d.txtPort, d.txtUserName, d.txtPassword})
            EXPECT_TRUE(e->isEnabled());
        d.txtHostName->setText(" proxy.corp ");
        d.txtPort->setText(" 8080");
        d.txtUserName->setText("anna");
        d.txtPassword->setText("secret");
        QTest::keyClick(d.txtPassword, Qt::Key_Return); // the default button
    });
    EXPECT_EQ(ProxyRec.ProxyEnabled, 1);
    EXPECT_EQ(ProxyRec.ProxyServer, " proxy.corp "); // taken as typed
    EXPECT_EQ(ProxyRec.ProxyPort, 8080);
    EXPECT_EQ(ProxyRec.ProxyPassword, "secret");
    const std::optional<TProxyRec> saved = proxyFile.Stored();
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->ProxyEnabled, 1);
    EXPECT_EQ(saved->ProxyServer, " proxy.corp ");
    EXPECT_EQ(saved->ProxyPort, 8080);
    EXPECT_EQ(saved->ProxyUser, "anna");
    EXPECT_EQ(saved->ProxyPassword, "secret");

    Edit([](TfrmProxySettings& d) {
        EXPECT_TRUE(d.chkUseProxy->isChecked());
        EXPECT_EQ(d.txtPort->text(), "8080");
        d.chkUseProxy->setChecked(false);
        EXPECT_FALSE(d.txtHostName->isEnabled());
        d.txtHostName->setText("changed");
        QTest::mouseClick(d.cmdCancel, Qt::LeftButton);
    });
    EXPECT_EQ(ProxyRec.ProxyServer, " proxy.corp ");
    ASSERT_TRUE(proxyFile.Stored());
    EXPECT_EQ(proxyFile.Stored()->ProxyServer, " proxy.corp ");
    EXPECT_EQ(proxyFile.Stored()->ProxyEnabled, 1);
    // The next showing shows the record again, not what was typed.
    Edit([](TfrmProxySettings& d) {
        EXPECT_EQ(d.txtHostName->text(), " proxy.corp ");
        d.reject();
    });
}

TEST_F(ProxyDialog, EnabledFiveShowsTickedAndWritesOne) {
    TProxyRec five{5, "h", 1, "", ""};
    SaveProxySettings(five);
    Edit([](TfrmProxySettings& d) {
        EXPECT_TRUE(d.chkUseProxy->isChecked());
        EXPECT_TRUE(d.txtPort->isEnabled());
        d.txtPort->setText("80a");
        d.cmdOKClick();
    });
    EXPECT_EQ(ProxyRec.ProxyEnabled, 1);
    EXPECT_EQ(ProxyRec.ProxyPort, 80);
    ASSERT_TRUE(proxyFile.Stored());
    EXPECT_EQ(proxyFile.Stored()->ProxyEnabled, 1);
    EXPECT_EQ(proxyFile.Stored()->ProxyPort, 80);
}

} // namespace
