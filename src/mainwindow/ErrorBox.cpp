#include "mainwindow/ErrorBox.h"

#include "search/Settings.h"

#include <QApplication>
#include <QMessageBox>

#include <exception>

QString StandardErrorText(const QString& message) {
    if (!message.isEmpty() && message.back().unicode() > u'.')
        return message + u'.';
    return message;
}

void ShowStandardErrorBox(const QString& message) {
    QMessageBox box(QMessageBox::Critical, QString::fromUtf8(ProductName),
                    StandardErrorText(message), QMessageBox::Ok, QApplication::activeWindow());
    box.setObjectName("StandardErrorBox");
    box.exec();
}

void ReportErrors(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        ShowStandardErrorBox(QString::fromUtf8(error.what()));
    } catch (...) {
        ShowStandardErrorBox(QStringLiteral("Unknown error"));
    }
}
