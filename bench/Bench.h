#pragma once
// Shared helpers of the benchmark programs. Each measure prints one line,
//   bench NAME FIGURE UNIT ratio R
// where R compares the figure with a baseline measured in the same run, so the line reads
// the same on a fast and on a slow machine. Benchmarks may read the wall clock; tests never.
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

namespace bench {

// Seconds taken by the fastest of `repeats` calls of fn.
inline double bestSeconds(int repeats, const std::function<void()>& fn) {
    double best = 1e300;
    for (int i = 0; i < repeats; ++i) {
        auto t0 = std::chrono::steady_clock::now();
        fn();
        auto t1 = std::chrono::steady_clock::now();
        double s = std::chrono::duration<double>(t1 - t0).count();
        if (s < best)
            best = s;
    }
    return best;
}

inline void report(const std::string& name, double figure, const std::string& unit, double ratio) {
    std::printf("bench %s %.2f %s ratio %.3f\n", name.c_str(), figure, unit.c_str(), ratio);
    std::fflush(stdout);
}

// Resident set size of this process in bytes (from /proc/self/statm), 0 when unknown.
long residentBytes();

} // namespace bench
