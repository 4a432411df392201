#include "about/fabout.h"

#include "about/DialogPlacement.h"
#include "about/fProxySettings.h"
#include "mainwindow/Accessible.h"
#include "mainwindow/ErrorBox.h"
#include "search/Settings.h"

#include <algorithm>

#include <QApplication>
#include <QDesktopServices>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>

namespace {

QLabel* AddLabel(QWidget* parent, const char* caption, int left, int top) {
    auto* label = new QLabel(QString::fromLatin1(caption), parent);
    label->move(left, top);
    label->adjustSize();
    return label;
}

QLabel* AddField(QWidget* parent, const char* name, const QRect& where) {
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(where);
    return label;
}

QPushButton* AddButton(QWidget* parent, const char* name, const char* caption, const QRect& where) {
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(where);
    return button;
}

// The user's own decimal separator, when it is a single byte.
char UserDecimalSeparator() {
    QString point = QLocale().decimalPoint();
    return point.size() == 1 && point[0].unicode() < 0x80 ? char(point[0].unicode()) : '.';
}

std::string Trimmed(const std::string& s) {
    return QString::fromUtf8(s.c_str()).trimmed().toStdString();
}

constexpr int ClientWidth = 448;
constexpr int ClientHeight = 250;

} // namespace

TfrmAbout::TfrmAbout(QWidget* mainWindow)
    : QDialog(nullptr, FixedDialogFlags), mainWindow_(mainWindow) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About"));
    setFont(QFont(QStringLiteral("MS Shell Dlg 2"), 8));
    setFixedSize(ClientWidth, ClientHeight);

    cmdOk = AddButton(this, "cmdOk", "OK", QRect((ClientWidth - 74) / 2, 219, 74, 23));
    cmdOk->setDefault(true);

    grpInfo = new QGroupBox(QStringLiteral("Application Information"), this);
    grpInfo->setGeometry(8, 10, 431, 111);
    // The values start at 110, or right of the widest caption where the
    // font at hand is wider than the one the layout was drawn for; their
    // right edges stay.
    int column = 110;
    for (QLabel* caption :
         {AddLabel(grpInfo, "Application Name :", 9, 20), AddLabel(grpInfo, "Version :", 8, 40),
          AddLabel(grpInfo, "Copyright :", 8, 60), AddLabel(grpInfo, "Website : ", 8, 80)})
        column = std::max(column, caption->geometry().right() + 6);
    lblAppName = AddField(grpInfo, "lblAppName", {column, 20, 320 - column, 18});
    lblVersion = AddField(grpInfo, "lblVersion", {column, 40, 320 - column, 18});
    lblCopyRight = AddField(grpInfo, "lblCopyRight", {column, 60, 414 - column, 18});
    lblURL = AddField(grpInfo, "lblURL", {column, 80, 417 - column, 18});
    for (QLabel* field : {lblAppName, lblVersion, lblCopyRight, lblURL})
        field->setAlignment(Qt::AlignLeft | Qt::AlignTop); // on the captions' lines
    // What a screen reader says for the values, which have no buddy to name them.
    SetAccessibleName(lblAppName, QStringLiteral("Application Name"));
    SetAccessibleName(lblVersion, QStringLiteral("Version"));
    SetAccessibleName(lblCopyRight, QStringLiteral("Copyright"));
    SetAccessibleName(lblURL, QStringLiteral("Website"));
    QPalette blue = lblURL->palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    lblURL->setPalette(blue);
    lblURL->installEventFilter(this);

    grpUpdates = new QGroupBox(QStringLiteral("Updates"), this);
    grpUpdates->setGeometry(8, 128, 431, 83);
    cmdUpdates = AddButton(grpUpdates, "cmdUpdates", "Check For Updates", {10, 23, 106, 23});
    cmdProxy = AddButton(grpUpdates, "cmdProxy", "Proxy Settings", {10, 52, 106, 23});
    grpDetails = new QGroupBox(QStringLiteral("Update Details"), grpUpdates);
    grpDetails->setGeometry(131, 12, 293, 66);
    lblStatus = AddField(grpDetails, "lblStatus", {4, 14, 278, 16});
    lblStatus2 = AddField(grpDetails, "lblStatus2", {4, 37, 201, 16});
    SetAccessibleName(lblStatus, QStringLiteral("Update status"));
    SetAccessibleName(lblStatus2, QStringLiteral("Update verdict"));
    cmdDownload = AddButton(grpDetails, "cmdDownload", "Download", {207, 34, 80, 23});
    cmdDownload->hide();

    setTabOrder(cmdOk, cmdUpdates);
    setTabOrder(cmdUpdates, cmdProxy);
    setTabOrder(cmdProxy, cmdDownload);

    connect(cmdOk, &QPushButton::clicked, this, &TfrmAbout::cmdOkClick);
    connect(cmdUpdates, &QPushButton::clicked, this, &TfrmAbout::cmdUpdatesClick);
    connect(cmdProxy, &QPushButton::clicked, this, &TfrmAbout::cmdProxyClick);
    connect(cmdDownload, &QPushButton::clicked, this, &TfrmAbout::cmdDownloadClick);

    // A child of the box, so that it stays above it and off the task bar.
    frmProxySettings = std::make_unique<TfrmProxySettings>(mainWindow, this);
    check_.UserDecimalSeparator = UserDecimalSeparator();
}

TfrmAbout::~TfrmAbout() = default;

void TfrmAbout::SetHttpClient(std::unique_ptr<IHttpClient> http) {
    http_ = std::move(http);
}

void TfrmAbout::Place() {
    CentreOn(*this, centredOnScreen_ ? nullptr : mainWindow_.data());
}

bool TfrmAbout::BroughtForward() {
    // The tray menu stays usable while the box is up; a second way in shows
    // the box that is open instead of opening it inside itself.
    if (!isVisible())
        return false;
    raise();
    activateWindow();
    return true;
}

void TfrmAbout::ShowFromTray() {
    centredOnScreen_ = true;
    if (BroughtForward())
        return;
    Place();
    repaint();
    QCoreApplication::processEvents();
    exec();
}

void TfrmAbout::ShowFromSetup() {
    if (BroughtForward())
        return;
    Place();
    exec();
}

void TfrmAbout::showEvent(QShowEvent* event) {
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
}

void TfrmAbout::FormShow() {
    lblVersion->setText(QString::asprintf("%1.2lf", ProgramVersion));
    lblAppName->setText(QString::fromUtf8(ProductName));
    lblURL->setText(QString::fromUtf8(WebSiteAddress));
    lblCopyRight->setText(QString::fromUtf8(CopyrightLine));
    LoadProxySettings(ProxyRec);
    cmdOk->setFocus();
}

void TfrmAbout::cmdOkClick() {
    accept();
}

bool TfrmAbout::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lblURL) {
        switch (event->type()) {
        case QEvent::Enter:
            lblURLMouseEnter();
            break;
        case QEvent::Leave:
            lblURLMouseLeave();
            break;
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
                lblURL->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint()))
                lblURLClick();
            break;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmAbout::lblURLMouseEnter() {
    QFont f = lblURL->font();
    f.setUnderline(true);
    lblURL->setFont(f);
}

void TfrmAbout::lblURLMouseLeave() {
    QFont f = lblURL->font();
    f.setUnderline(false);
    lblURL->setFont(f);
}

void TfrmAbout::lblURLClick() {
    OpenWebAddress(WebSiteAddress);
}

void TfrmAbout::cmdUpdatesClick() {
    // Made at the first check: setting up the HTTP library costs start-up time.
    ReportErrors([this] {
        if (!http_)
            http_ = CreateHttpClient();
        RunUpdateCheck(check_, *this, *http_, ProxyRec);
    });
}

void TfrmAbout::cmdProxyClick() {
    frmProxySettings->Edit(ProxyRec);
}

void TfrmAbout::cmdDownloadClick() {
    OpenWebAddress(check_.DownloadAddress);
}

void TfrmAbout::OpenWebAddress(const std::string& address) {
    const std::string a = Trimmed(address);
    const QUrl url(QString::fromUtf8(a.c_str()), QUrl::StrictMode);
    if (IsWebAddress(a) && url.isValid()) {
        QDesktopServices::openUrl(url);
        return;
    }
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(ProductName),
                    QStringLiteral("The address \"%1\" was not opened: only web addresses "
                                   "(http or https) are opened.")
                        .arg(QString::fromUtf8(address.c_str())),
                    QMessageBox::Ok, this);
    box.exec();
}

void TfrmAbout::SetBusyCursor(bool busy) {
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void TfrmAbout::RepaintBox() {
    repaint();
}

void TfrmAbout::SetStatus(const std::string& text) {
    lblStatus->setText(QString::fromUtf8(text.c_str()));
    lblStatus->repaint();
}

void TfrmAbout::SetVerdict(const std::string& text) {
    lblStatus2->setText(QString::fromUtf8(text.c_str()));
}

void TfrmAbout::ShowDownload(bool visible) {
    cmdDownload->setVisible(visible);
}

void TfrmAbout::ShowSocketError(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Check for Updates"),
                    QString::fromUtf8(text.c_str()), QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("SocketErrorBox"));
    box.exec();
}
