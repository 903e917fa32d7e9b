#include "model/CodeTables.h"

#include <cmath>

namespace pavo {
namespace {

// Rounds to three significant figures, half away from zero, and returns the double nearest to the
// decimal result (so 31.25 gives exactly the value of the literal 31.3).
double ThreeFigures(double x) {
    const int e = static_cast<int>(std::floor(std::log10(x)));
    const int shift = 2 - e;
    if (shift <= 0) return std::round(x / std::pow(10.0, -shift)) * std::pow(10.0, -shift);
    const double scale = std::pow(10.0, shift);
    return std::round(x * scale) / scale;
}

std::array<double, kGridPoints> MakeGrid() {
    std::array<double, kGridPoints> g{};
    for (int k = 0; k < kGridPoints; ++k) g[k] = ThreeFigures(1000.0 * std::exp2((k - 239) / 36.0));
    // The unit's table differs from the rule at these four points.
    g[116] = 94;
    g[117] = 95;
    g[118] = 97;
    g[119] = 99;
    return g;
}

std::array<double, kFrequencyCodes> MakeFrequencies() {
    std::array<double, kFrequencyCodes> f{};
    for (int c = 0; c < kFrequencyCodes; ++c) f[c] = ResponseGrid()[c + kFrequencyGridOffset];
    return f;
}

}  // namespace

const std::array<double, kGridPoints>& ResponseGrid() {
    static const auto grid = MakeGrid();
    return grid;
}

const std::array<double, kFrequencyCodes>& FrequencyTable() {
    static const auto table = MakeFrequencies();
    return table;
}

const std::array<double, kFrequencyCodes>& CrossoverTable() {
    static const auto table = MakeFrequencies();
    return table;
}

const std::array<double, kQCodes>& QTable() {
    static const std::array<double, kQCodes> q = {
        0.4,  0.42, 0.45, 0.47, 0.5,  0.53, 0.56,  0.59,  0.63,  0.67,  0.71, 0.75, 0.79, 0.84, 0.89,
        0.94, 1.0,  1.06, 1.12, 1.19, 1.26, 1.3,   1.4,   1.5,   1.6,   1.7,  1.8,  1.9,  2.0,  2.1,
        2.2,  2.4,  2.5,  2.7,  2.8,  3.0,  3.2,   3.4,   3.6,   3.8,   4.0,  4.2,  4.5,  4.8,  5.0,
        5.3,  5.7,  6.0,  6.3,  6.7,  7.1,  7.6,   8.0,   8.5,   9.0,   9.5,  10.1, 10.7, 11.3, 12.0,
        12.7, 13.5, 14.0, 15.0, 16.0, 17.0, 18.0,  19.0,  20.0,  21.0,  23.0, 24.0, 25.0, 27.0, 29.0,
        30.0, 32.0, 34.0, 36.0, 38.0, 40.0, 43.0,  45.0,  48.0,  51.0,  54.0, 57.0, 60.0, 64.0, 68.0,
        72.0, 76.0, 81.0, 85.0, 91.0, 96.0, 102.0, 108.0, 114.0, 121.0, 128.0};
    return q;
}

}  // namespace pavo
