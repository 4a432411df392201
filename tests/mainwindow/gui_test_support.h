#pragma once
// Helpers for the widget tests: a scratch settings file and a catcher that
// closes every modal message box and keeps what it showed.

#include "mainwindow/ResultsList.h"
#include "mainwindow/fMain.h"
#include "search/Settings.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>

#include <fstream>
#include <memory>
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
    return frm.lblStatus->toolTip().isEmpty() ? frm.lblStatus->text() : frm.lblStatus->toolTip();
}

// Where Qt's own item layout puts a cell's text, and whether the text fits
// there unshortened.
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
