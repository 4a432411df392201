#include "about/DialogPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void CentreOn(QWidget& dialog, const QWidget* on) {
    QRect area;
    if (on) {
        area = on->frameGeometry();
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        area = screen->geometry();
    }
    if (area.isNull())
        return;
    dialog.ensurePolished();
    QRect frame = dialog.frameGeometry();
    frame.moveCenter(area.center());
    dialog.move(frame.topLeft());
}
