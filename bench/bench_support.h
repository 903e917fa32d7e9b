#pragma once
// Timing shared by the benchmarks that print ratios against a reference measured in the same run.
#include <algorithm>
#include <chrono>

namespace pavo::bench {

// Many short runs, keeping the best: the machine is shared, and the best run is the least disturbed.
// Returns nanoseconds per call of fn(i).
template <class Fn>
double BestNanos(Fn fn, int iterations = 200, int runs = 60) {
    double best = 1e300;
    for (int r = 0; r < runs; ++r) {
        const auto t0 = std::chrono::steady_clock::now();
        for (int i = 0; i < iterations; ++i) fn(i);
        const auto t1 = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double, std::nano>(t1 - t0).count() / iterations);
    }
    return best;
}

}  // namespace pavo::bench
