#pragma once
// The program's help: every request ends in OpenHelp, which finds
// Findaro.chm beside the executable and hands the request to the HTML Help
// viewer.

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class IHtmlHelpViewer;

// The requests OpenHelp understands.
enum : uint16_t {
    HELP_CONTEXT = 1,  // the topic of the context id in Data
    HELP_CONTENTS = 3, // the index
    HELP_TOC = 999,    // the table of contents
};

// The help state of one program run: the viewer, once loaded, and whether
// the missing-file warning has been shown.
class THtmlHelp {
  public:
    // helpFilePath: where the help file is looked for at each request.
    explicit THtmlHelp(std::function<QString()> helpFilePath);
    ~THtmlHelp();

    bool LoadHtmlHelp();
    // Uses this viewer instead of the platform's (tests).
    void SetViewer(std::unique_ptr<IHtmlHelpViewer> viewer);
    IHtmlHelpViewer* Viewer() const { return viewer_.get(); }
    int32_t OpenHelp(uint16_t Command, int32_t Data);

  private:
    std::function<QString()> helpFilePath_;
    std::unique_ptr<IHtmlHelpViewer> viewer_;
    bool warned_ = false;
};

// The executable's folder followed by Findaro.chm.
QString HelpFilePath();

// The program's own help state, for the whole run.
THtmlHelp& ApplicationHelp();
bool LoadHtmlHelp();
int32_t OpenHelp(uint16_t Command, int32_t Data);
