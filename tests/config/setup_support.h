#pragma once
// Driving the configuration dialog from tests: it runs modally, so the steps
// run from the event loop once it shows, and whatever they leave open is
// cancelled.

#include "config/fsetup.h"
#include "mainwindow/gui_test_support.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <functional>

inline TfrmSetup* SetupOf(const TfrmMain& frm) {
    return Part<TfrmSetup>(frm, "frmSetup");
}

inline QAction* SetupMenuItem(const TfrmMain& frm) {
    return Part<QAction>(*Part<QSystemTrayIcon>(frm, "tray")->contextMenu(), "mniSetup");
}

// Calls open(); when it shows the dialog, runs steps() inside the dialog's
// modal loop. Returns whether the dialog was shown.
inline bool WhileShown(TfrmSetup& dialog, const std::function<void()>& open,
                       const std::function<void()>& steps) {
    bool shown = false;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (shown || !dialog.isVisible() || QApplication::activeModalWidget() != &dialog)
            return;
        shown = true;
        poll.stop();
        QApplication::setActiveWindow(&dialog); // the offscreen platform activates nothing
        steps();
        if (dialog.isVisible())
            dialog.reject();
    });
    poll.start();
    open();
    return shown;
}

// Opens the dialog with a click on the window's "..." button, so that an
// error escaping the handler takes the program's own way to its error box.
inline bool WhileShown(TfrmMain& frm, const std::function<void()>& steps) {
    frm.show();
    return WhileShown(
        *SetupOf(frm),
        [&] { QTest::mouseClick(Part<QToolButton>(frm, "cmdSetup"), Qt::LeftButton); }, steps);
}

inline void ClickOK(const TfrmSetup& dialog) {
    Part<QPushButton>(dialog, "cmdOK")->click();
}

inline QTreeWidgetItem* RootNode(const TfrmSetup& dialog, int i = 0) {
    return Part<QTreeWidget>(dialog, "tvwDomain")->topLevelItem(i);
}

inline QStringList Children(const QTreeWidgetItem* node) {
    QStringList texts;
    for (int i = 0; node && i < node->childCount(); ++i)
        texts << node->child(i)->text(0);
    return texts;
}

// Readable failures.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& texts, std::ostream* out) {
    *out << '{' << texts.join(QStringLiteral(" | ")).toStdString() << '}';
}
