#pragma once
// What the benchmarks share: the clock they time with and the median they report.

#include <algorithm>
#include <chrono>
#include <map>
#include <string>
#include <vector>

using Clock = std::chrono::steady_clock;

// "--name value" pairs over the given defaults.
inline std::map<std::string, std::string> ParseOptions(int argc, char** argv,
                                                       std::map<std::string, std::string> opt) {
    for (int i = 1; i + 1 < argc; i += 2)
        opt[argv[i]] = argv[i + 1];
    return opt;
}

inline double median(std::vector<double> v) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

inline double msSince(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

// Measures Findaro (0) and its peer (1) in each of `runs` runs, taking turns
// at going first so that neither always meets a cold or a warm machine.
template <typename Measure> void TakeTurns(int runs, Measure measure) {
    for (int r = 0; r < runs; ++r)
        for (int k = 0; k < 2; ++k)
            measure((r + k) % 2);
}
