#pragma once
class QWidget;

// Gives a shown top-level window the keyboard focus, also under a window
// manager that keeps the focus from windows the user did not click.
void ForceWindowActivation(QWidget& window);
