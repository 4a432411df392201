#pragma once
// F1 anywhere in the program: the help topic of the control in front of the
// user. Windows and controls carry their help context id in the dynamic
// property "helpContext" (an int); one with none, or 0, defers to its parent.

#include <QObject>

#include <cstdint>
#include <functional>

class QWidget;

extern const char* const HelpContextProperty; // "helpContext"

// The id of the widget, else of its parent, up to its window; 0 when none
// in that chain has one.
int32_t HelpContextOf(const QWidget* widget);

// Installed on the application: turns F1 into a context request.
class THelpKeyFilter : public QObject {
  public:
    // request: where the request goes (OpenHelp with HELP_CONTEXT).
    explicit THelpKeyFilter(std::function<void(int32_t)> request, QObject* parent = nullptr);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::function<void(int32_t)> request_;
};

// Installs the program's F1 handler on the application, which owns it.
void InstallHelpKey();
