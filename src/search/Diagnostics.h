#pragma once
// The diagnostics log of the last search run: time-stamped lines, kept for
// the whole run of the program and shown by the configuration dialog.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TDiagnosticsLog {
  public:
    // "hh:mm:ss.mmm\tmessage", and "hh:mm:ss.mmm\t   Status Code = N" when code != 0.
    void LogDiagnostic(const std::string& message, int32_t statusCode = 0);
    void ClearDiagnostics();
    const std::vector<std::string>& Lines() const { return lines_; }

    // Called after every change (a view may mirror the lines).
    std::function<void()> Changed;

  private:
    std::vector<std::string> lines_;
};

// The one log of the process.
TDiagnosticsLog& Diagnostics();

// Local wall-clock time formatted "%02hu:%02hu:%02hu.%03hu".
std::string DiagnosticTimeStamp();
