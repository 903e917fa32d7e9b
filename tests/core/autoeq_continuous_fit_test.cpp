// The continuous least-squares fit that seeds the code search: bands between the codes are found
// again almost exactly, and every band keeps to the frequency range and the gain limits however much
// the curve asks for.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "autoeq/ContinuousFit.h"
#include "eq/FilterResponse.h"
#include "model/CodeTables.h"

namespace pavo {
namespace {

struct Peak {
    double hz, gainDb, q;
};

// The levels of peaking bands summed over the fit range.
std::vector<double> LevelsOf(const std::vector<Peak>& peaks, GridSpan span) {
    GridLevels power;
    power.fill(1.0);
    for (const Peak& p : peaks) AccumulateSectionPower(DesignEqBand(BandPeak, p.hz, p.q, p.gainDb), power);
    GridLevels db;
    PowerToDb(power, db);
    return {db.begin() + span.first, db.begin() + span.last + 1};
}

// The RMS about its mean of a - b.
double LevelFreeRms(const std::vector<double>& a, const std::vector<double>& b) {
    double sum = 0, squares = 0;
    for (std::size_t j = 0; j < a.size(); ++j) {
        sum += a[j] - b[j];
        squares += (a[j] - b[j]) * (a[j] - b[j]);
    }
    const double n = static_cast<double>(a.size());
    return std::sqrt(std::max(0.0, squares / n - sum * sum / n / n));
}

FitProblem ProblemOver(double loHz, double hiHz, double maxBoostDb, double maxCutDb) {
    FitProblem p;
    p.span = GridSpanOf(loHz, hiHz);
    p.frequencyCodeMin = p.span.first - kFrequencyGridOffset;
    p.frequencyCodeMax = p.span.last - kFrequencyGridOffset;
    p.gainCodeMin = static_cast<int>(std::lround(kGainCodeFlat - 5 * maxCutDb));
    p.gainCodeMax = static_cast<int>(std::lround(kGainCodeFlat + 5 * maxBoostDb));
    p.maxBoostDb = maxBoostDb;
    p.maxCutDb = maxCutDb;
    return p;
}

TEST(AutoEqContinuousFit, FindsBandsBetweenTheCodesAndKeepsEachWithinItsLimits) {
    struct Case {
        const char* what;
        std::vector<Peak> curve;  // what the bands should make up
        int bands;
        double maxBoostDb, maxCutDb;
        double rmsBelowDb;  // the fit's remaining error, level aside
    } cases[] = {
        {"three bands off the codes",
         {{87.3, -7.3, 4.37}, {1234, 3.1, 1.13}, {6543, -2.2, 2.71}},
         3,
         6,
         12,
         0.01},
        {"overlapping cut and boost", {{180, -9, 3}, {260, 4.5, 2.2}, {3000, 2, 0.8}}, 4, 6, 12, 0.01},
        // from 5.6 dB; what the limits leave
        {"more than the limits allow", {{100, 15, 2}, {2000, -20, 3}}, 2, 6, 12, 2.5},
        {"the largest feature below the range", {{25, -10, 2}, {500, 3, 2}}, 3, 6, 12, 0.05},
        // from 2.2 dB; the boost stays
        {"cut only, the largest feature a boost", {{150, 8, 3}, {2500, -6, 2}}, 2, 0, 12, 1.6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const FitProblem p = ProblemOver(40, 16000, c.maxBoostDb, c.maxCutDb);
        const std::vector<double> deviation = LevelsOf(c.curve, p.span);
        const auto bands = ContinuousFit(p, deviation).Run(c.bands, [] { return false; });
        ASSERT_FALSE(bands.empty());
        EXPECT_LE(static_cast<int>(bands.size()), c.bands);
        std::vector<Peak> fitted;
        for (const auto& b : bands) {
            EXPECT_GE(b.hz, FrequencyTable()[p.frequencyCodeMin] * (1 - 1e-9));
            EXPECT_LE(b.hz, FrequencyTable()[p.frequencyCodeMax] * (1 + 1e-9));
            EXPECT_LE(b.gainDb, c.maxBoostDb + 1e-9);
            EXPECT_GE(b.gainDb, -c.maxCutDb - 1e-9);
            EXPECT_GE(b.q, QTable().front() * (1 - 1e-9));
            EXPECT_LE(b.q, QTable().back() * (1 + 1e-9));
            fitted.push_back({b.hz, b.gainDb, b.q});
        }
        EXPECT_LT(LevelFreeRms(deviation, LevelsOf(fitted, p.span)), c.rmsBelowDb);
    }
}

}  // namespace
}  // namespace pavo
