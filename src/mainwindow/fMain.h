#pragma once
// The main window: the pop-up search bar at the bottom-right of the screen,
// its tray icon and menu, and the program's life cycle.

#include "search/SearchRun.h"

#include <QRect>
#include <QStringList>
#include <QSystemTrayIcon>
#include <QWidget>

#include <functional>
#include <memory>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QTimer;
class QToolButton;
class IGlobalHotkey;
class TResultsList;

// What the placement reads of the screen: the primary screen's work area
// (the screen without its panels) in desktop coordinates, where another
// screen may lie left of or above the primary one.
struct ScreenMetrics {
    QRect WorkArea;
};
ScreenMetrics PrimaryScreenMetrics();

// The pop-up's top-left corner: flush with the work area's right edge, its
// bottom one pixel above the work area's bottom.
QPoint PopupPosition(const QRect& workArea, const QSize& size);

// The first-run notice, shown once about two seconds after a start without a
// settings file.
extern const char* const FirstRunNotice;

// Its parts carry object names (cboSearch, lvwResults, tray, mniSetup ...), by
// which tests and accessibility tools find them; only what other windows
// call is public.
class TfrmMain : public QWidget, public ISearchView {
    Q_OBJECT
    // Read-only views of the module state, for tests.
    Q_PROPERTY(bool FirstRun READ firstRun)
    Q_PROPERTY(bool EditMode READ editMode)
    Q_PROPERTY(bool TrayLeftDown READ trayLeftDown)

  public:
    // arguments: the command line without the program's own name.
    explicit TfrmMain(const QStringList& arguments, QWidget* parent = nullptr);
    ~TfrmMain() override;

    // Bottom-right corner of the work area for the current size, controls laid
    // out, the search field focused with its text selected.
    void PlaceMainWindow();
    // The hot-key path: place, show and take the keyboard focus.
    void ShowMainWindow();
    // Searches the directory for the text of cboSearch.
    void RunSearch();
    // Shows the window as it stands and takes the keyboard focus.
    void BringToFront();

    // Opens the configuration dialog; a hook until that dialog exists, so it
    // does nothing yet.
    void ShowSetupDialog();

    // ISearchView
    void SetStatus(const std::string& text) override;
    void SetStatusLater(const std::string& text) override;
    void ShowMessage(const std::string& text, const std::string& caption,
                     MessageIcon icon) override;
    void ProcessEvents() override;
    void SetBusyCursor(bool busy) override;
    void RepaintWindow() override;
    IResultsTable& ResultsTable() override;

    // For tests: where the placement reads the screen from.
    void SetScreenMetricsSource(std::function<ScreenMetrics()> source);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    // Event handlers.
    void FormCreate(const QStringList& arguments);
    void FormKeyPress(QChar key);
    void trayActivated(QSystemTrayIcon::ActivationReason reason);
    void trayMouseDown(Qt::MouseButton button);
    void trayClick();
    void cmdSearchClick();
    void cmdSetupClick();
    void cmdMaxClick();
    void cmdHideClick();
    void mniSetupClick();
    void About1Click();
    void Exit1Click();
    void Timer1Timer();

    void LayOutControls();
    void SetHeight(int height);
    void Resize(int width, int height);
    void SearchNow();

    bool firstRun() const { return FirstRun; }
    bool editMode() const { return EditMode; }
    bool trayLeftDown() const { return TrayLeftDown; }

    // Components, named as the window's parts are known elsewhere.
    QSystemTrayIcon* tray = nullptr;
    std::unique_ptr<QMenu> PopupMenu1; // no parent, so it keeps the desktop's look
    QAction* mniSetup = nullptr;
    QAction* About1 = nullptr;
    QAction* N1 = nullptr;
    QAction* Exit1 = nullptr;
    // A plain line edit: the program uses only its text, and a combo box's
    // empty drop-down would offer a history it does not keep.
    QLineEdit* cboSearch = nullptr;
    QToolButton* cmdHide = nullptr;
    QToolButton* cmdSetup = nullptr;
    TResultsList* lvwResults = nullptr;
    QToolButton* cmdMax = nullptr;
    QLabel* Label1 = nullptr;
    QToolButton* cmdSearch = nullptr;
    QLabel* lblStatus = nullptr;
    QTimer* Timer1 = nullptr;

    // Module state.
    bool FirstRun = false;
    bool EditMode = false;
    bool Grown = false;
    bool TrayLeftDown = false;

    std::function<ScreenMetrics()> screenMetrics_;
    std::unique_ptr<IGlobalHotkey> hotkey_;
    bool activationPending_ = false;
    bool searching_ = false;
    bool exiting_ = false;
    int busyDepth_ = 0;
    bool dragging_ = false;
    QPoint dragOffset_;
};
