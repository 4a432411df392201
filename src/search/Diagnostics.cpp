#include "search/Diagnostics.h"

#include <cstdio>
#include <ctime>

void TDiagnosticsLog::LogDiagnostic(const std::string& message, int32_t statusCode) {
    // Both lines of one call carry the same stamp, so they read as one event.
    const std::string stamp = DiagnosticTimeStamp();
    lines_.push_back(stamp + "\t" + message);
    if (statusCode != 0)
        lines_.push_back(stamp + "\t   Status Code = " + std::to_string(statusCode));
    if (Changed)
        Changed();
}

void TDiagnosticsLog::ClearDiagnostics() {
    lines_.clear();
    if (Changed)
        Changed();
}

TDiagnosticsLog& Diagnostics() {
    static TDiagnosticsLog log;
    return log;
}

std::string DiagnosticTimeStamp() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    char text[32];
    std::snprintf(
        text, sizeof text, "%02hu:%02hu:%02hu.%03hu", static_cast<unsigned short>(local.tm_hour),
        static_cast<unsigned short>(local.tm_min), static_cast<unsigned short>(local.tm_sec),
        static_cast<unsigned short>(now.tv_nsec / 1000000));
    return text;
}
