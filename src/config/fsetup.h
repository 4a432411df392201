#pragma once
// The configuration dialog: five pages that edit a copy of OptionsRec, the
// container picker on the first of them and the diagnostics log on the last.
// One instance lives for the whole run; it is built on its first opening so
// that start-up stays light.

#include "search/Settings.h"

#include <QDialog>

#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;
class TDiagnosticsLog;
class TQMLDAPBrowse;
class TSpinEdit;

// What the dialog does to the main window: it sizes it, places it and
// rebuilds its columns, and stands right above it.
struct TSetupHost {
    QWidget* MainWindow = nullptr;
    std::function<void()> PlaceMainWindow;
    // Rebuilds the result columns from OptionsRec (this empties the list).
    std::function<void()> BuildResultColumns;
};

// Help context ids of the dialog and its pages, read by the F1 handler from
// the "helpContext" property up the parent chain.
inline constexpr int SetupHelpContext = 1003;

class TfrmSetup : public QDialog {
    Q_OBJECT
  public:
    TfrmSetup(TSetupHost host, TDiagnosticsLog& log);
    ~TfrmSetup() override;

    // Loads OptionsRec into the controls, places the dialog above the main
    // window and runs it modally; on OK writes the controls back, saves the
    // settings file and rebuilds the columns. A failed save throws
    // "Unable to write to <path>" after OptionsRec took the edited values.
    void ShowSetupDialog();

    // Builds the pages now instead of at the first opening (tests, demo).
    void EnsureBuilt();

    // Event handlers.
    void cmdOKClick();
    void cmdCancelClick();
    void txtSpinWidthChange();
    void txtSpinHeightChange();
    void optCurrentDomainClick();
    void optAnotherDomainClick();
    void cmdConnectClick();
    void cmdDisconnectClick();
    void tvwDomainExpanding(QTreeWidgetItem* node);
    void cmdAddClick();
    void cmdDeleteClick();

  signals:
    void aboutRequested();
    void helpRequested();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void BuildPages();
    QWidget* BuildContainersPage();
    QWidget* BuildSearchFieldsPage();
    QWidget* BuildDisplayPage();
    QWidget* BuildMiscPage();
    QWidget* BuildDiagnosticsPage();
    void LoadControls();
    void SaveControls();
    void LiveResize(const TSpinEdit& spin, bool width);
    void PlaceDialog();
    void MirrorDiagnostics();
    void AddDomainNode(QTreeWidgetItem* parent, const std::string& text, const std::string& dn);
    void ShowPickerError(const QString& text);

    TSetupHost host_;
    TDiagnosticsLog& log_;
    std::unique_ptr<TQMLDAPBrowse> browser_; // the picker's current browser
    bool built_ = false;

    QTabWidget* PageControl1 = nullptr;
    QPushButton* cmdAbout = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdHelp = nullptr;

    // Search Containers.
    QRadioButton* optCurrentDomain = nullptr;
    QRadioButton* optAnotherDomain = nullptr;
    QLineEdit* txtDomainName = nullptr;
    QPushButton* cmdConnect = nullptr;
    QPushButton* cmdDisconnect = nullptr;
    QLabel* lblConnectedTo = nullptr;
    QTreeWidget* tvwDomain = nullptr;
    QPushButton* cmdAdd = nullptr;
    QPushButton* cmdDelete = nullptr;
    QListWidget* lstContainers = nullptr;

    // Search Fields and Display Format: one box per search field and column,
    // in the order of their tables.
    std::vector<std::pair<int32_t TOptionsRec::*, QCheckBox*>> flagBoxes_;
    QRadioButton* optSearchExact = nullptr;
    QRadioButton* optSearchStartsWith = nullptr;
    QRadioButton* optSearchContains = nullptr;
    TSpinEdit* txtSpinWidth = nullptr;
    TSpinEdit* txtSpinHeight = nullptr;

    // Misc Options.
    TSpinEdit* txtMaxResults = nullptr;
    TSpinEdit* txtSearchTimeOut = nullptr;
    QCheckBox* chkSearchChildren = nullptr;
    QCheckBox* chkSearchReferrals = nullptr;
    QCheckBox* chkHookHotkey = nullptr;
    QCheckBox* chkHideConfig = nullptr;

    // Diagnostics.
    QListWidget* lstDiags = nullptr;
};
