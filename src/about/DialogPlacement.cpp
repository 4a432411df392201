#include "about/DialogPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

void CentreOn(QWidget& dialog, const QWidget* on) {
    // A hidden main window (the pop-up bar between two searches) is no place
    // to centre on: the screen is.
    if (on && !on->isVisible())
        on = nullptr;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (on && QGuiApplication::screenAt(on->frameGeometry().center()))
        screen = QGuiApplication::screenAt(on->frameGeometry().center());
    if (!screen)
        return;
    const QRect area = on ? on->frameGeometry() : screen->geometry();
    dialog.ensurePolished();
    QRect frame = dialog.frameGeometry();
    frame.moveCenter(area.center());
    // The main window is a thin bar at the screen's edge, or was never shown
    // at all: a dialog centred on it must still be wholly on the screen.
    const QRect work = screen->availableGeometry();
    frame.moveLeft(std::clamp(frame.left(), work.left(),
                              std::max(work.left(), work.right() - frame.width() + 1)));
    frame.moveTop(std::clamp(frame.top(), work.top(),
                             std::max(work.top(), work.bottom() - frame.height() + 1)));
    dialog.move(frame.topLeft());
}
