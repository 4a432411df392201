// The help viewer of this platform: our own help window over chmlib.

#include "help/HelpWindow.h"
#include "help/HtmlHelpViewer.h"

#include <QApplication>
#include <QPointer>

#include <vector>

namespace {

std::vector<QPointer<THelpWindow>>& LiveWindows() {
    static std::vector<QPointer<THelpWindow>> windows;
    return windows;
}

// Widgets must go before the application object; the viewers that own them
// may live in statics that end later.
void DeleteHelpWindows() {
    for (QPointer<THelpWindow>& window : LiveWindows())
        delete window.data();
    LiveWindows().clear();
}

class TChmHtmlHelpViewer : public IHtmlHelpViewer {
  public:
    ~TChmHtmlHelpViewer() override {
        if (QCoreApplication::instance())
            delete window_.data();
    }

    void HtmlHelp(const QString& file, unsigned command, std::intptr_t data) override {
        if (command != HH_HELP_CONTEXT && command != HH_DISPLAY_TOC && command != HH_DISPLAY_INDEX)
            return;
        THelpWindow& window = Window();
        if (window.OpenFile(file)) {
            if (command == HH_HELP_CONTEXT)
                window.ShowContext(uint32_t(data));
            else if (command == HH_DISPLAY_TOC)
                window.ShowContents();
            else
                window.ShowIndex();
        }
        window.BringForward();
    }

  private:
    THelpWindow& Window() {
        if (!window_) {
            window_ = new THelpWindow; // deleted by this viewer or at application exit
            if (LiveWindows().empty())
                qAddPostRoutine(DeleteHelpWindows);
            LiveWindows().push_back(window_);
        }
        return *window_;
    }

    QPointer<THelpWindow> window_;
};

} // namespace

std::unique_ptr<IHtmlHelpViewer> LoadHtmlHelpViewer() {
    // The help window is a widget: without a widget application there is no viewer.
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return nullptr;
    return std::make_unique<TChmHtmlHelpViewer>();
}
