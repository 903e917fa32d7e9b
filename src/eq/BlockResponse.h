#pragma once
// Responses as plain functions of the records: one EQ band, one crossover filter, one block. They give
// the levels the response graph draws for the same records, without band sets, plot or lock, so any
// thread can evaluate a copy of a program (files, side buffers, the command-line tool, fits).
#include <optional>

#include "eq/FilterResponse.h"
#include "model/Blocks.h"

namespace pavo {

// The level in dB at every grid point. A bypassed band, a type the tables do not know and a slope code
// 0 ("ByPass") or outside 0..12 are flat; codes outside their tables read the nearest table end.
GridLevels BandLevels(const EqBand& band);
GridLevels FilterLevels(const FilterSetting& filter);
// The same with the complex response of a band's biquad (flat: 1 at every point).
void BandResponse(const EqBand& band, GridResponse& response, GridLevels& levelDb);

// The summed level of EQ block 0..17 of `image` (BlockNumber): its bands, then its high-pass and
// low-pass filters; for the outputs 8..15 the channel of scene 1..3. Empty for any other block or
// scene.
std::optional<GridLevels> BlockResponse(const ProgramImage& image, int block, int scene);

}  // namespace pavo
