#include "search/Diagnostics.h"

#include "PortableEnv.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <regex>
#include <string>

namespace {

// Hours and minutes of now in the zone that TZ currently names.
std::string LocalHourMinute() {
    const time_t now = time(nullptr);
    tm local{};
    localtime_r(&now, &local);
    char text[8];
    strftime(text, sizeof text, "%H:%M", &local);
    return text;
}

} // namespace

TEST(DiagnosticsLog, MessageLineAndStatusCodeLineOnlyForNonzeroCodes) {
    TDiagnosticsLog log;
    int changes = 0;
    log.Changed = [&] { ++changes; };

    log.LogDiagnostic("Connecting to Directory");
    log.LogDiagnostic("Error Binding to Directory", 49);
    log.LogDiagnostic("Error Connecting to Directory", -1);
    ASSERT_EQ(log.Lines().size(), 5u);

    const std::regex line(R"((\d\d:\d\d:\d\d\.\d\d\d)\t(.*))");
    const char* const messages[] = {"Connecting to Directory", "Error Binding to Directory",
                                    "   Status Code = 49", "Error Connecting to Directory",
                                    "   Status Code = -1"};
    std::string stamps[5];
    for (size_t i = 0; i < 5; ++i) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(log.Lines()[i], m, line)) << log.Lines()[i];
        stamps[i] = m[1];
        EXPECT_EQ(m[2], messages[i]);
    }
    // A status code belongs to the message before it and carries its stamp.
    EXPECT_EQ(stamps[1], stamps[2]);
    EXPECT_EQ(stamps[3], stamps[4]);
    EXPECT_EQ(changes, 3);

    log.ClearDiagnostics();
    EXPECT_TRUE(log.Lines().empty());
    EXPECT_EQ(changes, 4);
}

TEST(DiagnosticsLog, TimeStampIsLocalTime) {
    // A zone 5:45 east of UTC, so that local and universal time differ in the minutes.
    const char* old = getenv("TZ");
    const std::string saved = old ? old : "";
    testenv::Set("TZ", "XYZ-5:45");
    tzset();

    const std::string before = LocalHourMinute();
    const std::string stamp = DiagnosticTimeStamp();
    const std::string after = LocalHourMinute();

    if (old)
        testenv::Set("TZ", saved);
    else
        testenv::Unset("TZ");
    tzset();

    ASSERT_TRUE(std::regex_match(stamp, std::regex(R"(\d\d:\d\d:\d\d\.\d\d\d)"))) << stamp;
    const std::string hourMinute = stamp.substr(0, 5);
    EXPECT_TRUE(hourMinute == before || hourMinute == after) << stamp << " vs " << before;
}
