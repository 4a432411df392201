// The About box's update check against the test domain's web server and
// SOCKS 5 proxy (run inside tests/harness/with-test-domain).
#include "AboutTestSupport.h"
#include "SocketCodes.h"

#include "about/fProxySettings.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "TestEnv.h"

#include <gtest/gtest.h>

namespace {

class AboutCheck : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(Env("FINDARO_TEST_WEB_HOST").empty())
            << "run inside tests/harness/with-test-domain";
    }
    // One showing of the box with `inside` run while it is up.
    void WhileShown(const std::function<void()>& inside) {
        driver.Then([&](QWidget*) {
            inside();
            QTest::mouseClick(about->cmdOk, Qt::LeftButton);
        });
        about->ShowFromSetup();
    }
    void Check(const std::string& url) {
        about->UpdateCheck().VersionFileURL = url;
        // A real click, so that a raised error takes the application's way.
        QTest::mouseClick(about->cmdUpdates, Qt::LeftButton);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the hourglass stayed";
    }
    static std::string Case(const char* name) {
        return "http://" + Env("FINDARO_TEST_WEB_HOST") + "/cases/" + name;
    }

    ProxyFileScope proxyFile;
    std::unique_ptr<TfrmAbout> about = std::make_unique<TfrmAbout>();
    ModalDriver driver;
    UrlRecorder browser;
};

TEST_F(AboutCheck, VerdictAndDownloadOutliveShowingsAndLaterFailures) {
    const QString newerURL = "http://www.findaro.example/download/findaro-1.01.tar.gz";
    WhileShown([&] {
        Check(VersionFileAddress());
        EXPECT_EQ(about->lblStatus->text(), "");
        EXPECT_EQ(about->lblStatus2->text(), "A Newer Version Is Available");
        EXPECT_TRUE(about->cmdDownload->isVisible());
    });
    WhileShown([&] {
        EXPECT_EQ(about->lblStatus2->text(), "A Newer Version Is Available");
        EXPECT_TRUE(about->cmdDownload->isVisible());
        QTest::mouseClick(about->cmdDownload, Qt::LeftButton);
        EXPECT_EQ(browser.opened, QStringList({newerURL}));

        // A socket failure: its own box; the first line keeps its text.
        Check("http://127.0.0.7/versions/versions.xml");
        ASSERT_EQ(driver.boxes.size(), 1u);
        EXPECT_EQ(driver.boxes[0].caption, "Check for Updates");
        EXPECT_EQ(driver.boxes[0].icon, QMessageBox::NoIcon);
        EXPECT_EQ(driver.boxes[0].owner, about.get());
        EXPECT_EQ(driver.boxes[0].text.toStdString(), SocketErrorText(ConnectionRefusedCode));
        EXPECT_EQ(about->lblStatus->text(), "Checking for Updates");
        EXPECT_EQ(about->lblStatus2->text(), "A Newer Version Is Available");
        EXPECT_TRUE(about->cmdDownload->isVisible());

        // No product entry: the earlier verdict and address stay.
        Check(Case("noproduct.xml"));
        EXPECT_EQ(about->lblStatus->text(), "Error fetching update info");
        EXPECT_TRUE(about->cmdDownload->isVisible());
        QTest::mouseClick(about->cmdDownload, Qt::LeftButton);
        EXPECT_EQ(browser.opened, QStringList({newerURL, newerURL}));

        Check(Case("equal.xml"));
        EXPECT_EQ(about->lblStatus2->text(), "The current version is up to date");
        EXPECT_FALSE(about->cmdDownload->isVisible());
    });
}

TEST_F(AboutCheck, OtherFailuresGoToTheStandardErrorBox) {
    WhileShown([&] {
        Check(Case("404"));
        ASSERT_EQ(driver.boxes.size(), 1u);
        EXPECT_EQ(driver.boxes[0].caption, "Findaro");
        EXPECT_EQ(driver.boxes[0].icon, QMessageBox::Critical);
        EXPECT_EQ(driver.boxes[0].text, "The web server answered 404 Not Found.");
        EXPECT_EQ(about->lblStatus->text(), "");
        EXPECT_EQ(about->lblStatus2->text(), "");
    });
}

// Values entered in the proxy dialog serve the next check of the same showing.
TEST_F(AboutCheck, ProxyEnteredDuringTheShowingIsUsedAtOnce) {
    WhileShown([&] {
        driver.Then([&](QWidget*) {
            TfrmProxySettings& d = *about->frmProxySettings;
            d.chkUseProxy->setChecked(true);
            d.txtHostName->setText(QString::fromStdString(Env("FINDARO_TEST_SOCKS_HOST")));
            d.txtPort->setText(QString::fromStdString(Env("FINDARO_TEST_SOCKS_PORT")));
            d.txtUserName->setText(QString::fromStdString(Env("FINDARO_TEST_SOCKS_USER")));
            d.txtPassword->setText(QString::fromStdString(Env("FINDARO_TEST_SOCKS_PASSWORD")));
            QTest::mouseClick(d.cmdOK, Qt::LeftButton);
        });
        QTest::mouseClick(about->cmdProxy, Qt::LeftButton);
        const size_t served = FileText(Env("FINDARO_TEST_WEB_LOG")).size();
        Check(VersionFileAddress());
        EXPECT_EQ(about->lblStatus2->text(), "A Newer Version Is Available");
        EXPECT_EQ(FileText(Env("FINDARO_TEST_WEB_LOG")).substr(served),
                  Env("FINDARO_TEST_SOCKS_OUT_IP") + " GET /versions/versions.xml HTTP/1.1\n");
    });
    EXPECT_TRUE(driver.boxes.empty());
}

// A user whose numbers use a decimal comma gets a verdict for "1.01" and "1,5".
TEST_F(AboutCheck, DecimalCommaUserReadsBothSeparators) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    about = std::make_unique<TfrmAbout>();
    QLocale::setDefault(QLocale::c());
    WhileShown([&] {
        for (const char* name : {"newer.xml", "comma.xml"}) {
            about->lblStatus2->clear();
            Check(Case(name));
            EXPECT_EQ(about->lblStatus2->text(), "A Newer Version Is Available") << name;
        }
    });
}

} // namespace
