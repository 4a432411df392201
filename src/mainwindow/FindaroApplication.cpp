#include "mainwindow/FindaroApplication.h"

#include "mainwindow/ErrorBox.h"

#include <exception>

TFindaroApplication::TFindaroApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TFindaroApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ShowStandardErrorBox(QString::fromUtf8(error.what()));
    } catch (...) {
        ShowStandardErrorBox(QStringLiteral("Unknown error"));
    }
    return false;
}
