#pragma once
#include <QString>

// The standard error box: caption "Findaro", the error icon, the error's text.
// A full stop is added when the text's last character sorts after ".".
QString StandardErrorText(const QString& message);
void ShowStandardErrorBox(const QString& message);
