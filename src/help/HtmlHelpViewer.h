#pragma once
// The HTML Help viewer that help requests end in. On Windows that is the
// system's HtmlHelp; here it is our own help window. CMake picks the backend.

#include <QString>

#include <cstdint>
#include <memory>

// The viewer commands that the program sends.
enum : unsigned {
    HH_DISPLAY_TOPIC = 0x0000,
    HH_DISPLAY_TOC = 0x0001,
    HH_DISPLAY_INDEX = 0x0002,
    HH_HELP_CONTEXT = 0x000F,
};

class IHtmlHelpViewer {
  public:
    virtual ~IHtmlHelpViewer() = default;
    // file: the help file's full path; data: the context id for
    // HH_HELP_CONTEXT. The viewer reports its own failures.
    virtual void HtmlHelp(const QString& file, unsigned command, std::intptr_t data) = 0;
};

// nullptr when this platform's viewer cannot be had.
std::unique_ptr<IHtmlHelpViewer> LoadHtmlHelpViewer();
