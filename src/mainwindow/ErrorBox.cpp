#include "mainwindow/ErrorBox.h"

#include "search/Settings.h"

#include <QApplication>
#include <QMessageBox>

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
