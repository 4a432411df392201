// The widget tests run on the offscreen platform inside the program's own
// application object, so that errors escaping handlers take the real path.
#include "mainwindow/FindaroApplication.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TFindaroApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
