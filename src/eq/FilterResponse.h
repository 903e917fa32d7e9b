#pragma once
// The response math of EQ bands and crossover filters: biquad and first-order section designs, the
// slope codes of the crossover filters, and the evaluation of normalised sections on the response
// grid. The grid's trigonometry is computed once; an evaluation allocates nothing.
#include <array>
#include <complex>

#include "model/CodeTables.h"
#include "model/DataConver.h"

namespace pavo {

constexpr double SAMPLE_RATE = 192000.0;

// A normalised section: numerator b0 + b1 z^-1 + b2 z^-2, denominator 1 + a1 z^-1 + a2 z^-2.
struct Biquad {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
};

// EQ band designs; bandType is Peak (1), LowShelf (2) or HighShelf (3). Any other type is flat.
Biquad DesignEqBand(int bandType, double f0, double q, double gainDb);
// One biquad section of a crossover cascade, unity gain in its pass band.
Biquad DesignCrossoverSection(bool highPass, double fc, double q);
// The first-order section that odd-order cascades add.
Biquad DesignFirstOrder(bool highPass, double fc);

enum FilterFamily : int { FamilyBessel = 0, FamilyButterworth = 1, FamilyLinkwitzRiley = 2 };

struct SlopeInfo {
    FilterFamily family = FamilyButterworth;
    int order = 0;  // 0: flat ("ByPass"), also for codes outside 0..12
};
constexpr int kSlopeCodes = kSlopeLabelCount;
SlopeInfo SlopeOf(int slopeCode);
// The Q of biquad section s (0 .. order / 2 - 1) of a cascade of the given family and order.
double SectionQ(FilterFamily family, int order, int section);
// The slope and band-type combo items, SlopeLabels and BandTypeLabels, are in model/DataConver.h.

// cos and sin of w and 2w at each grid point, w = 2 pi f / SAMPLE_RATE with f cut to tenths of Hz.
struct GridPhaseTable {
    std::array<double, kGridPoints> cos1, sin1, cos2, sin2;
};
const GridPhaseTable& GridPhases();
// The angular frequency of grid point k as above.
double GridOmega(int k);

using GridLevels = std::array<double, kGridPoints>;
using GridResponse = std::array<std::complex<double>, kGridPoints>;

// The complex response of one section at every grid point, and its level in dB.
void EvaluateSection(const Biquad& s, GridResponse& response, GridLevels& levelDb);
// Multiplies |H|^2 of one section into power (the cascade's squared magnitude).
void AccumulateSectionPower(const Biquad& s, GridLevels& power);
// levelDb = 10 log10(power), point by point (power and levelDb may be the same array).
void PowerToDb(const GridLevels& power, GridLevels& levelDb);
// The same two over the grid points of a stretch only, for searches that look at part of the grid:
// points first..last, widened to whole pairs (first rounded down to even, last up to odd).
void AccumulateSectionPower(const Biquad& s, GridLevels& power, int first, int last);
void PowerToDb(const GridLevels& power, GridLevels& levelDb, int first, int last);

}  // namespace pavo
