// What screen readers say for the pop-up's controls (where Qt has
// accessibility at all).
#include "gui_test_support.h"

#include <QAccessible>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

TEST(AccessibleNames, ScreenReadersNameTheControls) {
    SettingsScope settings;
    MessageBoxCatcher boxes;
    auto frm = MakeWindow();
    QStringList names;
    for (QWidget* w :
         {static_cast<QWidget*>(Parts(*frm).cboSearch),
          static_cast<QWidget*>(Parts(*frm).cmdSearch), static_cast<QWidget*>(Parts(*frm).cmdSetup),
          static_cast<QWidget*>(Parts(*frm).cmdMax), static_cast<QWidget*>(Parts(*frm).cmdHide)})
        names << QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name);
    EXPECT_EQ(names.join("|"), QString("Search For :|Search|Setup|Grow or shrink|Hide"));
}

} // namespace
