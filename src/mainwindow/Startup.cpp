#include "mainwindow/Startup.h"

#include "help/HelpKey.h"
#include "mainwindow/DisplayPlatform.h"
#include "mainwindow/ErrorBox.h"
#include "mainwindow/FindaroApplication.h"
#include "mainwindow/SingleInstance.h"
#include "mainwindow/WebAddress.h"
#include "mainwindow/fMain.h"
#include "search/Settings.h"

#include <cstdio>
#include <exception>
#include <memory>
#include <string>

namespace {

const char kUsage[] = R"(Usage: findaro [edit]

Findaro sits in the notification area and finds people in the Active
Directory domain. Super+P or a click on its icon pops up the search field;
starting findaro again while it runs does the same, so a desktop shortcut
can be bound to the command "findaro".

  edit        keep the configuration dialog available although the
              settings file's HideConfig hides it
  --help      show this text and exit
  --version   show the version and exit

The settings are read from findaro.INI beside the program.
)";

// What a terminal asks for is answered without a display; any other
// argument is the window's business (only "edit" means something there).
bool AnswerTerminal(int argc, char** argv, int& exitCode) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help") {
            std::fputs(kUsage, stdout);
            exitCode = 0;
            return true;
        }
        if (arg == "--version") {
            std::printf("%s %.1f\n", ProductName, ProgramVersion);
            exitCode = 0;
            return true;
        }
    }
    return false;
}

} // namespace

int RunFindaro(int argc, char** argv) {
    if (int exitCode = 0; AnswerTerminal(argc, argv, exitCode))
        return exitCode;
    if (std::string whyNot; !ChooseDisplayPlatform(whyNot)) {
        std::fprintf(stderr, "findaro: cannot start: %s\n", whyNot.c_str());
        return 1;
    }

    std::unique_ptr<TFindaroApplication> app;
    try {
        app = std::make_unique<TFindaroApplication>(argc, argv);
        // The title is also the window's X11 class and name.
        QCoreApplication::setApplicationName(QString::fromUtf8(ProductName));
        // The window only hides; the program ends through the tray menu's Exit.
        QApplication::setQuitOnLastWindowClosed(false);
        // F1 in any window asks for the help topic of what has the focus.
        InstallHelpKey();
        InstallWebAddressOpener();

        // A later start asks the running one to come forward and ends before
        // it adds a tray icon of its own.
        TSingleInstance instance(SingleInstanceName());
        if (!instance.Acquire())
            return 0;

        QStringList arguments = QCoreApplication::arguments();
        arguments.removeFirst();
        TfrmMain frmMain(arguments);
        // A later start calls the search bar up as the hot key does, so
        // that any desktop can bind its own shortcut to the command.
        instance.ComeForward = [&frmMain] { frmMain.ShowMainWindow(); };
        return app->exec();
    } catch (const std::exception& error) {
        if (app)
            ShowStandardErrorBox(QString::fromUtf8(error.what()));
        else
            std::fprintf(stderr, "%s\n", error.what());
    }
    return 0;
}
