#pragma once
// The plot the filter and band set tests draw their curves on.
#include "eq/PlotGeometry.h"

namespace pavo::testing {

inline constexpr PlotRect kPlot{35, 10, 735, 190};  // 700 x 180

}  // namespace pavo::testing
