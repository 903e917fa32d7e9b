// The plot layout's grid positions, taken from logarithms computed once, are exactly the scale's.
#include <gtest/gtest.h>

#include "eq/PlotGeometry.h"
#include "model/CodeTables.h"

namespace pavo {
namespace {

TEST(PlotGeometry, GridPointsLieWhereTheScalePutsTheirFrequencies) {
    for (int width : {1, 420, 700, 1209, 2418})
        for (int k = 0; k < kGridPoints; ++k)
            ASSERT_EQ(GridPointToX(k, width), FrequencyToX(ResponseGrid()[k], width)) << width << " " << k;
}

}  // namespace
}  // namespace pavo
