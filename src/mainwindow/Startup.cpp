#include "mainwindow/Startup.h"

#include "help/HelpKey.h"
#include "mainwindow/ErrorBox.h"
#include "mainwindow/FindaroApplication.h"
#include "mainwindow/SingleInstance.h"
#include "mainwindow/fMain.h"
#include "search/Settings.h"

#include <cstdio>
#include <exception>
#include <memory>

int RunFindaro(int argc, char** argv) {
    std::unique_ptr<TFindaroApplication> app;
    try {
        app = std::make_unique<TFindaroApplication>(argc, argv);
        // The title is also the window's X11 class and name.
        QCoreApplication::setApplicationName(QString::fromUtf8(ProductName));
        // The window only hides; the program ends through the tray menu's Exit.
        QApplication::setQuitOnLastWindowClosed(false);
        // F1 in any window asks for the help topic of what has the focus.
        InstallHelpKey();

        // A later start asks the running one to come forward and ends before
        // it adds a tray icon of its own.
        TSingleInstance instance(SingleInstanceName());
        if (!instance.Acquire())
            return 0;

        QStringList arguments = QCoreApplication::arguments();
        arguments.removeFirst();
        TfrmMain frmMain(arguments);
        // The window comes forward only when it is shown; a hidden one stays
        // hidden, as the call-up is the tray's and the hot key's.
        instance.ComeForward = [&frmMain] {
            if (frmMain.isVisible())
                frmMain.BringToFront();
        };
        return app->exec();
    } catch (const std::exception& error) {
        if (app)
            ShowStandardErrorBox(QString::fromUtf8(error.what()));
        else
            std::fprintf(stderr, "%s\n", error.what());
    }
    return 0;
}
