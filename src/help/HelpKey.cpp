#include "help/HelpKey.h"

#include "help/HtmlHelp.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTabBar>
#include <QTabWidget>
#include <QWidget>

const char* const HelpContextProperty = "helpContext";

int32_t HelpContextOf(const QWidget* widget) {
    // A page's tab stands for the page: F1 there is about the page shown.
    if (const auto* bar = qobject_cast<const QTabBar*>(widget))
        if (const auto* tabs = qobject_cast<const QTabWidget*>(bar->parentWidget()))
            if (tabs->currentWidget())
                widget = tabs->currentWidget();
    for (const QWidget* w = widget; w; w = w->isWindow() ? nullptr : w->parentWidget()) {
        const int32_t context = w->property(HelpContextProperty).toInt();
        if (context != 0)
            return context;
    }
    return 0;
}

THelpKeyFilter::THelpKeyFilter(std::function<void(int32_t)> request, QObject* parent)
    : QObject(parent), request_(std::move(request)) {}

bool THelpKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier)
        return false;
    // Only at the press's first receiver: an unhandled press travels on to
    // the parents and would be seen again there.
    auto* widget = static_cast<QWidget*>(watched);
    QWidget* focus = QApplication::focusWidget();
    if (widget != (focus ? focus : widget->window()))
        return false;
    const int32_t context = HelpContextOf(widget);
    if (context != 0)
        request_(context);
    // F1 is the help key whatever comes of it; no control gets it as typing.
    return true;
}

void InstallHelpKey() {
    qApp->installEventFilter(
        new THelpKeyFilter([](int32_t context) { OpenHelp(HELP_CONTEXT, context); }, qApp));
}
