#pragma once
// Curves of a program image for the preset library: the small picture of each entry (the summed
// responses of three blocks, sampled down), the response of any block in the scene the program
// plays, and that response as text in the form pavo-cli's curve command prints.
#include <array>
#include <optional>
#include <string>

#include "eq/FilterResponse.h"
#include "model/Blocks.h"
#include "model/Model.h"

namespace pavo {

// The scene whose outputs a program plays: ActiveScene 1..3, else scene 1.
int CurveScene(const ProgramImage& image);
// The summed response of EQ block 0..17 (BlockNumber) in that scene; none for another block.
std::optional<GridLevels> ProgramBlockResponse(const ProgramImage& image, int block);

// The thumbnail's blocks: music left, microphones 1&2 and output 1 (of the pair Out 1&2), in this
// order, each at kThumbnailPoints grid points spread evenly over the grid.
constexpr std::array<int, 3> kThumbnailBlocks = {BlockMusicLeft, BlockMic12, BlockOutputFirst + int(OutOut1)};
constexpr int kThumbnailPoints = 105;
struct ThumbnailCurves {
    std::array<std::array<float, kThumbnailPoints>, kThumbnailBlocks.size()> db{};
};
ThumbnailCurves ThumbnailCurvesOf(const ProgramImage& image);
// The grid point (index into ResponseGrid()) of thumbnail point k.
int ThumbnailGridIndex(int k);

// "Hz,dB" and one line per grid point, as `pavo-cli curve` writes it.
std::string CurveCsv(const GridLevels& levels);

}  // namespace pavo
