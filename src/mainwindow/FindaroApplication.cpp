#include "mainwindow/FindaroApplication.h"

#include "mainwindow/ErrorBox.h"

TFindaroApplication::TFindaroApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TFindaroApplication::notify(QObject* receiver, QEvent* event) {
    bool handled = false;
    ReportErrors([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}
