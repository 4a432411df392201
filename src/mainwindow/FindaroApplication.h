#pragma once
#include <QApplication>

// The application object. Errors that escape an event handler end up here and
// are shown in the standard error box; the program then carries on.
class TFindaroApplication : public QApplication {
  public:
    TFindaroApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
