#pragma once
#include <QString>

#include <functional>

// The standard error box: caption "Findaro", the error icon, the error's text.
// A full stop is added when the text's last character sorts after ".".
QString StandardErrorText(const QString& message);
void ShowStandardErrorBox(const QString& message);

// Runs an event handler and shows what it raises in the standard error box.
// Handlers that can raise wrap themselves in this: Qt's event delivery is
// built without exception support, so an error unwound through it skips
// Qt's own clean-up (its event copies leak and its pointer guards stay).
// The application's notify() remains the net for anything else.
void ReportErrors(const std::function<void()>& handler);
