#pragma once
class QWidget;

// Moves `dialog` so that it is centred on `on`, or on the screen when `on` is
// null.
void CentreOn(QWidget& dialog, const QWidget* on);
