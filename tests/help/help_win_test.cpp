// The system's HTML Help on Windows, located as the program locates it: the
// library the registry names for the HTML Help control, and its HtmlHelpA.
// What the help window then shows is the system's own.
#include "help/HtmlHelp.h"
#include "help/HtmlHelpViewer.h"
#include "help/win/HtmlHelpSystem.h"

#include <QFileInfo>
#include <QString>

#include <gtest/gtest.h>

#include <windows.h>

namespace {

TEST(HtmlHelpWin, TheRegisteredControlLibraryLoadsWithItsHtmlHelpA) {
    const std::string path = HtmlHelpLibraryPath();
    ASSERT_FALSE(path.empty()) << "no HTML Help control in HKEY_CLASSES_ROOT";
    EXPECT_EQ(QFileInfo(QString::fromLocal8Bit(path.c_str())).fileName().toLower(),
              QStringLiteral("hhctrl.ocx"));
    HMODULE library = LoadLibraryA(path.c_str());
    ASSERT_NE(library, nullptr);
    EXPECT_NE(GetProcAddress(library, "HtmlHelpA"), nullptr);
    FreeLibrary(library);

    EXPECT_NE(LoadHtmlHelpViewer(), nullptr);
    THtmlHelp help([] { return QString(); });
    EXPECT_TRUE(help.LoadHtmlHelp());
    EXPECT_NE(help.Viewer(), nullptr);
}

} // namespace
