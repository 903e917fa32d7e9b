// Curves on the response grid: the fit range, resampling that averages dense data and interpolates
// sparse data, fractional-octave smoothing and the tilt target.
#include <gtest/gtest.h>

#include <cmath>

#include "autoeq/Curve.h"

namespace pavo {
namespace {

TEST(AutoEqCurve, FitRangeIsClampedToTheBandFrequencies) {
    const auto& grid = ResponseGrid();
    const GridSpan all = GridSpanOf(1, 1e6);
    EXPECT_EQ(grid[all.first], 19.7);
    EXPECT_EQ(grid[all.last], 20600);
    const GridSpan usual = GridSpanOf(40, 16000);
    EXPECT_GE(grid[usual.first], 40);
    EXPECT_LT(grid[usual.first - 1], 40);
    EXPECT_LE(grid[usual.last], 16000);
    EXPECT_GT(grid[usual.last + 1], 16000);
    EXPECT_EQ(GridSpanOf(25000, 30000).Count(), 1);  // both ends clamp to 20.6 kHz
}

TEST(AutoEqCurve, ResamplingInterpolatesSparseAndAveragesDenseData) {
    const auto& grid = ResponseGrid();
    // A straight line over log frequency, one point per octave, 31.25 Hz .. 16 kHz.
    Measurement sparse;
    for (double f = 31.25; f <= 16000; f *= 2) {
        sparse.frequency.push_back(f);
        sparse.level.push_back(3 * std::log2(f / 1000));
    }
    const GridLevels line = ResampleToGrid(sparse);
    const GridSpan covered = MeasuredSpan(sparse);
    EXPECT_EQ(grid[covered.first], 31.3);  // the first grid point at or above 31.25 Hz
    for (int k = covered.first + 1; k < covered.last; ++k)
        EXPECT_NEAR(line[k], 3 * std::log2(grid[k] / 1000), 0.03) << grid[k];
    EXPECT_NEAR(line[0], -15, 1e-9);  // held below the first point
    EXPECT_NEAR(line[kGridPoints - 1], 12, 1e-9);

    // +-1 dB alternating every 1/480 octave: averaged away, where sampling would keep it.
    Measurement dense;
    for (int i = 0; i < 480 * 10; ++i) {
        dense.frequency.push_back(20 * std::exp2(i / 480.0));
        dense.level.push_back(i % 2 ? 1 : -1);
    }
    const GridLevels averaged = ResampleToGrid(dense);
    const GridSpan inside = MeasuredSpan(dense);
    for (int k = inside.first + 1; k < inside.last; ++k) EXPECT_NEAR(averaged[k], 0, 0.05) << grid[k];
}

TEST(AutoEqCurve, SmoothingKeepsSlopesAndSpreadsPeaks) {
    const GridSpan span{50, 300};
    GridLevels slope{};
    for (int k = 0; k < kGridPoints; ++k) slope[k] = 0.25 * k;
    const GridLevels smoothedSlope = SmoothOctaves(slope, 1.0 / 6, span);
    for (int k = 0; k < kGridPoints; ++k) EXPECT_NEAR(smoothedSlope[k], slope[k], 1e-9) << k;

    GridLevels spike{};
    spike[200] = 7;
    const GridLevels spread = SmoothOctaves(spike, 1.0 / 6, span);  // 1/6 octave: 7 grid points
    for (int k = 197; k <= 203; ++k) EXPECT_NEAR(spread[k], 1, 1e-12) << k;
    EXPECT_EQ(spread[196], 0);
    EXPECT_EQ(spread[204], 0);
    EXPECT_EQ(SmoothOctaves(spike, 0, span), spike);
    EXPECT_EQ(SmoothOctaves(spike, 1.0 / 48, span), spike);  // narrower than the grid's spacing

    // Near the span's ends the window narrows symmetrically: the end point alone, then 3, 5 points.
    spike = {};
    spike[50] = 3;
    const GridLevels atEnd = SmoothOctaves(spike, 1.0 / 6, span);
    EXPECT_EQ(atEnd[50], 3);
    EXPECT_NEAR(atEnd[51], 1, 1e-12);
    EXPECT_NEAR(atEnd[52], 0.6, 1e-12);
    EXPECT_NEAR(atEnd[53], 3.0 / 7, 1e-12);
}

TEST(AutoEqCurve, TiltTurnsAroundOneKilohertz) {
    const auto& grid = ResponseGrid();
    const GridLevels tilt = TiltTarget(-1.5);
    EXPECT_EQ(tilt[239], 0);  // 1 kHz
    EXPECT_NEAR(tilt[239 + 36], -1.5 * std::log2(grid[239 + 36] / 1000), 1e-12);
    EXPECT_NEAR(tilt[239 - 72], 3, 0.02);  // 250 Hz
}

}  // namespace
}  // namespace pavo
