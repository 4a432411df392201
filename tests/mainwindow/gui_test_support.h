#pragma once
// Helpers for the widget tests: a scratch settings file and a catcher that
// closes every modal message box and keeps what it showed.

#include "mainwindow/ResultsList.h"
#include "mainwindow/fMain.h"
#include "search/Settings.h"

#include <QAction>
#include <QApplication>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

struct ShownBox {
    QString caption;
    QString text;
    QMessageBox::Icon icon;
    QWidget* owner;
};

class MessageBoxCatcher {
  public:
    MessageBoxCatcher() {
        timer_.setInterval(20);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                boxes.push_back(
                    {box->windowTitle(), box->text(), box->icon(), box->parentWidget()});
                box->done(QMessageBox::Ok);
            }
        });
        timer_.start();
    }
    std::vector<ShownBox> boxes;

  private:
    QTimer timer_;
};

// Each window starts from a fresh settings record and its own settings file
// (absent unless written).
class SettingsScope {
  public:
    SettingsScope() {
        path_ = dir_.filePath(QStringLiteral("findaro.INI")).toStdString();
        SetSettingsFilePath(path_);
        OptionsRec = TOptionsRec{};
    }
    ~SettingsScope() { SetSettingsFilePath({}); }
    void Write(const std::string& body) const {
        std::ofstream(path_, std::ios::binary) << "[Settings]\r\n" << body;
    }

  private:
    QTemporaryDir dir_;
    std::string path_;
};

// The whole status text: a long one is shown shortened, with all of it in
// the tool tip.
inline QString StatusText(const TfrmMain& frm) {
    const QLabel* status = frm.findChild<QLabel*>(QStringLiteral("lblStatus"));
    return status->toolTip().isEmpty() ? status->text() : status->toolTip();
}

// Where Qt's own item layout puts a cell's text, and whether the text fits
// there unshortened.
// Qt's offscreen platform on Windows has no fonts: every glyph is a box as
// wide as the font is high, so captions sized for real text cannot fit.
inline bool HasRealFonts() {
    return !QFontDatabase::families().isEmpty();
}

inline bool CellElided(const TResultsList& list, int row, int column) {
    QStyleOptionViewItem option;
    option.initFrom(&list);
    option.font = list.font();
    option.rect = list.visualRect(list.model()->index(row, column));
    option.text = list.topLevelItem(row)->text(column);
    option.features |= QStyleOptionViewItem::HasDisplay;
    const QRect textRect = list.style()->subElementRect(QStyle::SE_ItemViewItemText, &option, &list);
    return list.fontMetrics().horizontalAdvance(option.text) > textRect.width();
}

inline std::unique_ptr<TfrmMain> MakeWindow(const QStringList& arguments = {}) {
    OptionsRec = TOptionsRec{};
    return std::make_unique<TfrmMain>(arguments);
}

// One part of an object, found by its object name as an accessibility tool
// would; a missing part fails the test where it is asked for.
template <typename T> T* Part(const QObject& owner, const char* name) {
    T* part = owner.findChild<T*>(QLatin1String(name));
    if (part == nullptr)
        throw std::logic_error(std::string("no part named ") + name);
    return part;
}

// The main window's parts, by the names the window gives them.
struct MainParts {
    explicit MainParts(const TfrmMain& frm)
        : cboSearch(Part<QLineEdit>(frm, "cboSearch")), cmdHide(Part<QToolButton>(frm, "cmdHide")),
          cmdSetup(Part<QToolButton>(frm, "cmdSetup")), cmdMax(Part<QToolButton>(frm, "cmdMax")),
          cmdSearch(Part<QToolButton>(frm, "cmdSearch")),
          lvwResults(Part<TResultsList>(frm, "lvwResults")), Label1(Part<QLabel>(frm, "Label1")),
          lblStatus(Part<QLabel>(frm, "lblStatus")), tray(Part<QSystemTrayIcon>(frm, "tray")),
          Timer1(Part<QTimer>(frm, "Timer1")),
          mniSetup(Part<QAction>(*tray->contextMenu(), "mniSetup")) {}
    QLineEdit* cboSearch;
    QToolButton* cmdHide;
    QToolButton* cmdSetup;
    QToolButton* cmdMax;
    QToolButton* cmdSearch;
    TResultsList* lvwResults;
    QLabel* Label1;
    QLabel* lblStatus;
    QSystemTrayIcon* tray;
    QTimer* Timer1;
    QAction* mniSetup;
};

inline MainParts Parts(const TfrmMain& frm) {
    return MainParts(frm);
}

// The window's module state, which it shows as read-only properties.
inline bool State(const TfrmMain& frm, const char* name) {
    const QVariant value = frm.property(name);
    if (!value.isValid())
        throw std::logic_error(std::string("no property named ") + name);
    return value.toBool();
}
