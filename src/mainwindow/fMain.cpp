#include "mainwindow/fMain.h"

#include "about/fabout.h"
#include "config/fsetup.h"
#include "help/HelpKey.h"
#include "help/HtmlHelp.h"
#include "mainwindow/Accessible.h"
#include "mainwindow/ErrorBox.h"
#include "mainwindow/GlobalHotkey.h"
#include "mainwindow/ResultsList.h"
#include "mainwindow/WindowActivation.h"
#include "mainwindow/WindowShape.h"
#include "search/Diagnostics.h"
#include "search/ResultsTable.h"
#include "search/Settings.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

// The icons are compiled into the static library; make sure they are linked in.
static void InitIconResources() {
    Q_INIT_RESOURCE(findaro);
}

const char* const FirstRunNotice =
    "Welcome to Findaro.\r\n\r\nNo Findaro.ini configuration file found.\r\n\r\nTo configure "
    "Findaro, right click on the phone icon in the status bar and select Setup";

namespace {

constexpr int CollapsedHeight = 30;
constexpr int GrownHeight = 350;
const QColor Background(128, 128, 128);

QIcon TrayIcon() {
    InitIconResources();
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128})
        icon.addFile(QStringLiteral(":/icons/findaro-%1.png").arg(size), QSize(size, size));
    return icon;
}

// accessibleName: what a screen reader says for a caption such as "...".
QToolButton* MakeButton(QWidget* parent, const char* name, const char* caption, const char* hint,
                        const char* accessibleName) {
    auto* button = new QToolButton(parent); // owned by the window
    button->setObjectName(QLatin1String(name));
    button->setText(QString::fromUtf8(caption));
    button->setToolTip(QString::fromUtf8(hint));
    SetAccessibleName(button, QString::fromUtf8(accessibleName));
    button->setFixedSize(16, 16);
    button->setFocusPolicy(Qt::StrongFocus);
    return button;
}

// The character a key press types, as the window's key preview sees it.
QChar TypedCharacter(const QKeyEvent& event) {
    if (!event.text().isEmpty())
        return event.text().front();
    switch (event.key()) {
    case Qt::Key_Escape:
        return QChar(27);
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return QChar(13);
    default:
        return {};
    }
}

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace

ScreenMetrics PrimaryScreenMetrics() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    return {screen->availableGeometry()};
}

QPoint PopupPosition(const QRect& workArea, const QSize& size) {
    return {workArea.x() + workArea.width() - size.width(),
            workArea.y() + workArea.height() - size.height() - 1};
}

TfrmMain::TfrmMain(const QStringList& arguments, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint), screenMetrics_(PrimaryScreenMetrics) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QString::fromUtf8(ProductName));
    setProperty(HelpContextProperty, 1000);
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));

    PopupMenu1 = std::make_unique<QMenu>();
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    mniSetup = PopupMenu1->addAction(QStringLiteral("Setup"), this, &TfrmMain::mniSetupClick);
    mniSetup->setObjectName(QStringLiteral("mniSetup"));
    About1 = PopupMenu1->addAction(QStringLiteral("About"), this, &TfrmMain::About1Click);
    About1->setObjectName(QStringLiteral("About1"));
    N1 = PopupMenu1->addSeparator();
    N1->setObjectName(QStringLiteral("N1"));
    Exit1 = PopupMenu1->addAction(QStringLiteral("Exit"), this, &TfrmMain::Exit1Click);
    Exit1->setObjectName(QStringLiteral("Exit1"));

    tray = new QSystemTrayIcon(TrayIcon(), this);
    tray->setObjectName(QStringLiteral("tray"));
    tray->setToolTip(QStringLiteral("Click to search the directory"));
    tray->setContextMenu(PopupMenu1.get());
    connect(tray, &QSystemTrayIcon::activated, this, &TfrmMain::trayActivated);

    // Positions that depend on the width are set by LayOutControls.
    cboSearch = new QLineEdit(this);
    cboSearch->setObjectName(QStringLiteral("cboSearch"));
    cboSearch->setGeometry(82, 5, 0, 21);
    cmdHide = MakeButton(this, "cmdHide", "X", "Hide", "Hide");
    cmdSetup = MakeButton(this, "cmdSetup", "...", "Set Configuration", "Setup");
    lvwResults = new TResultsList(this);
    lvwResults->setObjectName(QStringLiteral("lvwResults"));
    cmdMax = MakeButton(this, "cmdMax", "/\\", "Grow/Shrink", "Grow or shrink");
    Label1 = new QLabel(QStringLiteral("Search For :"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont bold = font();
    bold.setBold(true);
    Label1->setFont(bold);
    Label1->move(8, 9);
    Label1->adjustSize();
    Label1->stackUnder(cboSearch); // a wide fallback font must not cover the field
    Label1->setBuddy(cboSearch);   // names the field for screen readers
    cmdSearch = MakeButton(this, "cmdSearch", "S", "Search", "Search");
    lblStatus = new QLabel(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setGeometry(8, 28, 454, 13);

    setTabOrder(cboSearch, cmdHide);
    setTabOrder(cmdHide, cmdSetup);
    setTabOrder(cmdSetup, lvwResults);
    setTabOrder(lvwResults, cmdMax);
    setTabOrder(cmdMax, cmdSearch);

    connect(cmdSearch, &QToolButton::clicked, this, &TfrmMain::cmdSearchClick);
    connect(cmdSetup, &QToolButton::clicked, this, &TfrmMain::cmdSetupClick);
    connect(cmdMax, &QToolButton::clicked, this, &TfrmMain::cmdMaxClick);
    connect(cmdHide, &QToolButton::clicked, this, &TfrmMain::cmdHideClick);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(2000);
    connect(Timer1, &QTimer::timeout, this, &TfrmMain::Timer1Timer);

    // Key preview: the window sees every key press before its controls.
    qApp->installEventFilter(this);

    tray->show();
    setMask(RoundedWindowRegion(width(), height()));
    Timer1->start();

    // The native window exists from now on, so that its first exposure after
    // a show can be watched for the focus request.
    winId();
    windowHandle()->installEventFilter(this);

    FormCreate(arguments);

    frmSetup = new TfrmSetup({this, [this] { PlaceMainWindow(); },
                              [this] { BuildResultColumns(*lvwResults, OptionsRec); }},
                             Diagnostics());
    frmAbout = std::make_unique<TfrmAbout>(this);
    connect(frmSetup, &TfrmSetup::aboutRequested, this, &TfrmMain::ShowAboutFromSetup);
    connect(frmSetup, &TfrmSetup::helpRequested, this, [] { OpenHelp(HELP_TOC, 0); });
}

TfrmMain::~TfrmMain() {
    if (qApp)
        qApp->removeEventFilter(this);
}

void TfrmMain::FormCreate(const QStringList& arguments) {
    FirstRun = !QFileInfo::exists(QString::fromStdString(SettingsFilePath()));
    LoadSettings();
    // Said once; the program carries on with the defaults.
    if (const std::string error = SettingsReadError(); !error.empty())
        QTimer::singleShot(0, this,
                           [error] { ShowStandardErrorBox(QString::fromStdString(error)); });
    Resize(OptionsRec.FormWidth, CollapsedHeight);
    BuildResultColumns(*lvwResults, OptionsRec);
    if (OptionsRec.HookHotkey) {
        hotkey_ = CreateSuperPHotkey([this] { ShowMainWindow(); });
        if (hotkey_)
            hotkey_->Register(); // refused: no hot key this run, and nothing said
    }
    EditMode = !arguments.isEmpty() && arguments.front() == QLatin1String("edit");
    if (OptionsRec.HideConfig && !EditMode) {
        cmdSetup->setEnabled(false);
        mniSetup->setEnabled(false);
    }
    LayOutControls();
    LoadHtmlHelp();
}

void TfrmMain::SetScreenMetricsSource(std::function<ScreenMetrics()> source) {
    screenMetrics_ = std::move(source);
}

void TfrmMain::PlaceMainWindow() {
    move(PopupPosition(screenMetrics_().WorkArea, size()));
    LayOutControls();
    cboSearch->setFocus(Qt::OtherFocusReason);
    cboSearch->selectAll();
    repaint();
}

void TfrmMain::LayOutControls() {
    const int W = width(), H = height();
    lvwResults->setGeometry(5, 44, W - 10, H - 55);
    cboSearch->setGeometry(82, cboSearch->y(), W - 160, cboSearch->height());
    cmdSearch->move(W - 68, 7);
    cmdSetup->move(W - 52, 7);
    cmdMax->move(W - 36, 7);
    cmdHide->move(W - 20, 7);
}

void TfrmMain::ShowMainWindow() {
    PlaceMainWindow();
    BringToFront();
}

void TfrmMain::BringToFront() {
    const bool wasExposed = isVisible() && windowHandle() && windowHandle()->isExposed();
    show();
    raise();
    activateWindow();
    // A window that is only now being mapped takes the focus once exposed.
    if (wasExposed)
        ForceWindowActivation(*this);
    else
        activationPending_ = true;
}

void TfrmMain::SetHeight(int height) {
    Resize(width(), height);
}

void TfrmMain::Resize(int width, int height) {
    resize(width, height);
    // A hidden window gets its resize event only when shown; the region is
    // wanted before that.
    setMask(RoundedWindowRegion(this->width(), this->height()));
}

void TfrmMain::SearchNow() {
    SetHeight(OptionsRec.FormHeight);
    PlaceMainWindow();
    RunSearch();
}

void TfrmMain::RunSearch() {
    // The run lets waiting events through; a second Enter arriving then must
    // not start a run inside the run.
    if (searching_)
        return;
    searching_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{searching_};
    const SearchOutcome outcome =
        ::RunSearch(*this, Diagnostics(), cboSearch->text().toUtf8().toStdString(), OptionsRec);
    // Only a run that searched has new rows to fit; otherwise the user's own
    // column widths stay.
    if (outcome == SearchOutcome::Completed || outcome == SearchOutcome::CompletedWithErrors)
        lvwResults->FitColumns();
}

void TfrmMain::ShowSetupDialog() {
    // Both ways in were disabled at start-up when the configuration is locked.
    if (!cmdSetup->isEnabled() || !mniSetup->isEnabled())
        return;
    // A settings file that cannot be written raises after OK.
    ReportErrors([this] { frmSetup->ShowSetupDialog(); });
}

void TfrmMain::SetStatus(const std::string& text) {
    SetStatusLater(text);
    lblStatus->repaint();
}

void TfrmMain::SetStatusLater(const std::string& text) {
    // The line keeps its width; a text too long for it (a server's reason
    // for refusing the logon) ends in an ellipsis, and its tool tip holds it all.
    const QString full = FromUtf8(text);
    const QString shown =
        lblStatus->fontMetrics().elidedText(full, Qt::ElideRight, lblStatus->width());
    lblStatus->setText(shown);
    lblStatus->setToolTip(shown == full ? QString() : full);
}

void TfrmMain::ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) {
    QMessageBox::Icon boxIcon = QMessageBox::Information;
    if (icon == MessageIcon::Error)
        boxIcon = QMessageBox::Critical;
    else if (icon == MessageIcon::Warning)
        boxIcon = QMessageBox::Warning;
    // The texts carry Windows line ends; the box wants plain line feeds.
    QString body = FromUtf8(text);
    body.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QMessageBox box(boxIcon, FromUtf8(caption), body, QMessageBox::Ok, this);
    box.exec();
}

void TfrmMain::ProcessEvents() {
    QCoreApplication::processEvents();
}

void TfrmMain::SetBusyCursor(bool busy) {
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ++busyDepth_;
    } else if (busyDepth_ > 0) {
        QApplication::restoreOverrideCursor();
        --busyDepth_;
    }
}

void TfrmMain::RepaintWindow() {
    repaint();
}

IResultsTable& TfrmMain::ResultsTable() {
    return *lvwResults;
}

void TfrmMain::FormKeyPress(QChar key) {
    if (key.unicode() == 27)
        hide();
    else if (key.unicode() == 13)
        SearchNow();
}

void TfrmMain::trayActivated(QSystemTrayIcon::ActivationReason reason) {
    // Qt reports one signal per press; the press and the click it stands for
    // are both fed to the handlers. The tray host opens the menu itself.
    switch (reason) {
    case QSystemTrayIcon::Trigger:
    case QSystemTrayIcon::DoubleClick:
        trayMouseDown(Qt::LeftButton);
        break;
    case QSystemTrayIcon::Context:
        trayMouseDown(Qt::RightButton);
        break;
    case QSystemTrayIcon::MiddleClick:
        trayMouseDown(Qt::MiddleButton);
        break;
    default:
        return;
    }
    trayClick();
}

void TfrmMain::trayMouseDown(Qt::MouseButton button) {
    // A right press opens PopupMenu1, which the tray host does as the icon's
    // context menu.
    TrayLeftDown = button == Qt::LeftButton;
}

void TfrmMain::trayClick() {
    if (TrayLeftDown) {
        SetHeight(CollapsedHeight);
        PlaceMainWindow();
        BringToFront();
    }
    TrayLeftDown = false;
}

void TfrmMain::cmdSearchClick() {
    SearchNow();
}

void TfrmMain::cmdSetupClick() {
    ShowSetupDialog();
}

void TfrmMain::cmdMaxClick() {
    if (!Grown) {
        cmdMax->setText(QStringLiteral("\\/"));
        SetHeight(GrownHeight);
        Grown = true;
    } else {
        cmdMax->setText(QStringLiteral("/\\"));
        SetHeight(CollapsedHeight);
        Grown = false;
    }
    PlaceMainWindow();
}

void TfrmMain::cmdHideClick() {
    hide();
}

void TfrmMain::mniSetupClick() {
    // The dialog stands on top of the window, which shows under it.
    show();
    ShowSetupDialog();
}

void TfrmMain::About1Click() {
    frmAbout->ShowFromTray();
}

void TfrmMain::ShowAboutFromSetup() {
    frmAbout->ShowFromSetup();
}

void TfrmMain::Exit1Click() {
    exiting_ = true;
    tray->hide();
    close();
    QCoreApplication::quit();
}

void TfrmMain::Timer1Timer() {
    // One look is enough: the file's presence was settled at start-up, and a
    // timer left running would wake the program every two seconds for ever.
    Timer1->stop();
    if (!FirstRun)
        return;
    FirstRun = false;
    ShowMessage(FirstRunNotice, ProductName, MessageIcon::Warning);
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        // Only at the press's first receiver: an ignored press travels on to
        // the parents and would otherwise be seen twice.
        auto* widget = static_cast<QWidget*>(watched);
        QWidget* first = focusWidget() ? focusWidget() : this;
        if (widget == first && widget->window() == this) {
            auto* key = static_cast<QKeyEvent*>(event);
            // Down leaves the search field for the first row of the list.
            if (widget == cboSearch && key->key() == Qt::Key_Down &&
                lvwResults->topLevelItemCount() > 0) {
                lvwResults->setFocus(Qt::TabFocusReason);
                lvwResults->setCurrentItem(lvwResults->topLevelItem(0));
                return true;
            }
            const QChar typed = TypedCharacter(*key);
            if (!typed.isNull())
                FormKeyPress(typed);
        }
    } else if (event->type() == QEvent::Expose && watched == windowHandle() && activationPending_ &&
               windowHandle()->isExposed()) {
        activationPending_ = false;
        ForceWindowActivation(*this);
    }
    return false;
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    if (exiting_) {
        event->accept();
        return;
    }
    // The system's close command (Alt+F4) only hides; the program stays in the tray.
    hide();
    event->ignore();
}

void TfrmMain::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    setMask(RoundedWindowRegion(width(), height()));
}

void TfrmMain::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Background);
}

void TfrmMain::mousePressEvent(QMouseEvent* event) {
    // The background drags the window, as a title bar would.
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    if (windowHandle() && windowHandle()->startSystemMove())
        return;
    dragging_ = true;
    dragOffset_ = event->globalPosition().toPoint() - pos();
}

void TfrmMain::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_)
        move(event->globalPosition().toPoint() - dragOffset_);
    else
        QWidget::mouseMoveEvent(event);
}

void TfrmMain::mouseReleaseEvent(QMouseEvent* event) {
    dragging_ = false;
    QWidget::mouseReleaseEvent(event);
}
