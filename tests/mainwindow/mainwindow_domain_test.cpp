// The window searching the real test domain: typed text goes to the
// directory as UTF-8 and the rows come back decoded.
#include "DomainPeers.h"
#include "gui_test_support.h"
#include "mainwindow/ResultsList.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTest>


#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>

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

TEST_F(MainWindowDomainTest, ColumnsFitTheLongestNamesInAFiveHundredPixelWindow) {
    const std::string base = std::getenv("FINDARO_TEST_BASE");
    settings.Write("FormWidth=500\r\nDisplayOffice=1\r\nSearchChildren=1\r\nDNCount=3\r\n"
                   "SearchDN0=OU=Staff," + base + "\r\nSearchDN1=OU=Contractors," + base +
                   "\r\nSearchDN2=CN=Users," + base + "\r\n");
    auto frm = MakeWindow();
    frm->ShowMainWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frm.get()));
    Parts(*frm).cboSearch->setText(""); // everybody, the longest names among them
    QTest::keyClick(Parts(*frm).cboSearch, Qt::Key_Return);
    TResultsList& list = *Parts(*frm).lvwResults;
    ASSERT_GE(list.topLevelItemCount(), 8);
    ASSERT_EQ(list.width(), 490);
    for (int r = 0; r < list.topLevelItemCount(); ++r)
        for (int c : {0, 1, 2}) // Name, Telephone Number, Office
            EXPECT_FALSE(CellElided(list, r, c)) << list.topLevelItem(r)->text(c).toStdString();

    // A drag of a divider holds until the next search fits the columns again.
    const int fitted = list.header()->sectionSize(0);
    list.header()->resizeSection(0, 30);
    QTest::qWait(50);
    EXPECT_EQ(list.header()->sectionSize(0), 30);
    QTest::keyClick(Parts(*frm).cboSearch, Qt::Key_Return);
    EXPECT_EQ(list.header()->sectionSize(0), fitted);
}

// A domain whose one controller answers every bind with "invalid
// credentials" and a reason, as Active Directory does for a disabled
// account. Its service name belongs to the test user, so that the client
// gets a ticket for it and sends a real bind.
class RefusingController {
  public:
    static constexpr const char* Reason =
        "80090308: LdapErr: DSID-0C090569, comment: AcceptSecurityContext error, data 533";
    const std::string zone = "refusing.example.test";
    const std::string host = "dc7." + zone;
    std::atomic<int> binds{0};

    RefusingController() {
        listener_ = ListenOnLoopback("127.0.0.9", 389, 8);
        listening_ = listener_ >= 0;
        if (listening_)
            server_ = std::thread([this] { Serve(); });
        published_ = SambaTool("dns zonecreate 127.0.0.2 " + zone) &&
                     SambaTool("dns add 127.0.0.2 " + zone + " dc7 A 127.0.0.9") &&
                     SambaTool("dns add 127.0.0.2 " + zone + " _ldap._tcp.dc._msdcs SRV '" + host +
                           " 389 0 100'") &&
                     SambaTool("spn add ldap/" + host + " " + std::getenv("FINDARO_TEST_USER"));
    }
    ~RefusingController() {
        SambaTool("spn delete ldap/" + host + " " + std::getenv("FINDARO_TEST_USER"));
        SambaTool("dns zonedelete 127.0.0.2 " + zone);
        shutdown(listener_, SHUT_RDWR);
        close(listener_);
        if (server_.joinable())
            server_.join();
    }
    bool Listening() const { return listening_; }
    bool Published() const { return published_; }

  private:
    // Reads one BER element's tag and length; false at the end of the data.
    static bool Header(int fd, unsigned char& tag, size_t& length) {
        unsigned char b[2];
        if (recv(fd, b, 2, MSG_WAITALL) != 2)
            return false;
        tag = b[0];
        length = b[1];
        if (length & 0x80) {
            const int n = length & 0x7f;
            unsigned char more[4];
            if (n > 4 || recv(fd, more, size_t(n), MSG_WAITALL) != n)
                return false;
            length = 0;
            for (int i = 0; i < n; ++i)
                length = (length << 8) | more[i];
        }
        return true;
    }

    void Serve() {
        for (;;) {
            const int peer = accept(listener_, nullptr, nullptr);
            if (peer < 0)
                return;
            unsigned char tag = 0;
            size_t length = 0;
            // A bind request: SEQUENCE { messageID INTEGER, [APPLICATION 0] ... }.
            std::string body;
            if (Header(peer, tag, length) && tag == 0x30 && length < 65536) {
                body.resize(length);
                if (recv(peer, body.data(), length, MSG_WAITALL) == ssize_t(length) &&
                    body.size() > 3 && body[0] == 0x02 && size_t(body[1]) + 2 < body.size() &&
                    static_cast<unsigned char>(body[2 + size_t(body[1])]) == 0x60) {
                    ++binds;
                    const std::string id = body.substr(0, 2 + size_t(body[1]));
                    const std::string reason = Reason;
                    std::string result = std::string("\x0a\x01\x31", 3) + std::string("\x04\x00", 2) +
                                         "\x04" + char(reason.size()) + reason;
                    std::string response = "\x61" + std::string(1, char(result.size())) + result;
                    std::string message = id + response;
                    message = "\x30" + std::string(1, char(message.size())) + message;
                    send(peer, message.data(), message.size(), MSG_NOSIGNAL);
                }
            }
            close(peer);
        }
    }

    int listener_ = -1;
    bool listening_ = false;
    bool published_ = false;
    std::thread server_;
};

// The status line after runs that stop before searching: it says what failed
// and what to do, while the diagnostics keep the details.
TEST_F(MainWindowDomainTest, StatusLineSaysWhyARunStopped) {
    auto run = [&] {
        auto frm = MakeWindow();
        frm->ShowMainWindow();
        Parts(*frm).cboSearch->setText("smith");
        QTest::keyClick(Parts(*frm).cboSearch, Qt::Key_Return);
        return StatusText(*frm).toStdString();
    };

    // The ticket destroyed, as after it expired or before any logon.
    const std::string ticket = std::getenv("KRB5CCNAME");
    const std::string cache = ::testing::TempDir() + "/findaro-destroyed.cc";
    ASSERT_EQ(std::system(("cp '" + ticket.substr(ticket.find(':') + 1) + "' '" + cache + "'").c_str()), 0);
    setenv("KRB5CCNAME", ("FILE:" + cache).c_str(), 1);
    ASSERT_EQ(std::system("kdestroy -q"), 0);
    const std::string noTicket = run();
    setenv("KRB5CCNAME", ticket.c_str(), 1);
    EXPECT_EQ(noTicket, "not logged on to the domain: log on again, or run kinit");

    // A controller that refuses the logon: the server's own words.
    RefusingController refusing;
    ASSERT_TRUE(refusing.Listening());
    ASSERT_TRUE(refusing.Published()) << "could not publish the refusing controller";
    settings.Write("DomainName=" + refusing.zone + "\r\n");
    EXPECT_EQ(run(), "logon refused: " + std::string(RefusingController::Reason));
    EXPECT_GE(refusing.binds, 1);

    // An unknown domain, named.
    settings.Write("DomainName=NOSUCHDOMAIN\r\n");
    EXPECT_EQ(run(), "no domain controller found for NOSUCHDOMAIN: check DomainName in the settings");
    EXPECT_EQ(boxes.boxes.size(), 1u) << "the message box stays as it was";

    // And the run after all that still searches.
    settings.Write("");
    EXPECT_EQ(run(), "");
}

} // namespace
