#pragma once
// Names a widget for screen readers. Qt built without accessibility (the
// Windows build here) has no such property, and the name is then dropped.

#include <QString>
#include <QWidget>

inline void SetAccessibleName(QWidget* widget, const QString& name) {
#if QT_CONFIG(accessibility)
    widget->setAccessibleName(name);
#else
    (void)widget;
    (void)name;
#endif
}
