// The pop-up on a desktop of two screens whose primary one is on the right:
// the offscreen platform, configured with both screens, stands in for the
// display server. It has its own main, as the screens are fixed when the
// application object starts.
#include "gui_test_support.h"
#include "mainwindow/FindaroApplication.h"

#include <QDir>
#include <QScreen>
#include <QTemporaryFile>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdio>

namespace {

TEST(TwoScreens, PopUpOpensAtTheBottomRightOfThePrimaryScreenOnTheRight) {
    const QList<QScreen*> screens = QGuiApplication::screens();
    ASSERT_EQ(screens.size(), 2);
    const QScreen* primary = QGuiApplication::primaryScreen();
    ASSERT_EQ(primary->geometry(), QRect(1280, 0, 1920, 1080));

    SettingsScope settings;
    MessageBoxCatcher boxes;
    auto frm = MakeWindow();
    frm->ShowMainWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frm.get()));
    EXPECT_EQ(frm->frameGeometry(), QRect(1280 + 1920 - 500, 1080 - 30 - 1, 500, 30));
    EXPECT_EQ(frm->screen(), primary);
}

} // namespace

int main(int argc, char** argv) {
    // The platform orders its screens by name and makes the first the primary one.
    // The platform's arguments are separated by colons, so the file's name
    // must have none (a Windows drive letter): it lives in the working folder
    // and is named relative to it.
    QTemporaryFile config(QStringLiteral("two_screens_XXXXXX.json"));
    if (!config.open()) {
        std::fprintf(stderr, "two_screens_test: cannot write the screens' file\n");
        return 2;
    }
    config.write(R"({"screens": [
        {"name": "secondary", "x": 0, "y": 0, "width": 1280, "height": 1024,
         "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1},
        {"name": "primary", "x": 1280, "y": 0, "width": 1920, "height": 1080,
         "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    config.flush();
    qputenv("QT_QPA_PLATFORM",
            "offscreen:configfile=" + QDir::current().relativeFilePath(config.fileName()).toUtf8());
    TFindaroApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
