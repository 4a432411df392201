#pragma once
#include <Qt>

class QWidget;

// Moves `dialog` so that it is centred on `on`, or on the screen when `on` is
// null or hidden, and wholly inside the screen's work area.

// The window frame of a fixed-size dialog: a title and a close button.
constexpr auto FixedDialogFlags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                  Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;
void CentreOn(QWidget& dialog, const QWidget* on);
