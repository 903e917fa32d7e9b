#pragma once
// The model's band sets: one per EQ block, bound to the records of the current program image. They
// are created by the model's reset and re-bound by its operations (see model/ModelHooks.h).
//
// Blocks 0..7: MusicLeft, MusicRight, Mic12, Mic34, EchoA, EchoB, Reverb, ReverbSpare; 8..15: output
// channels 0..7, one set per channel in each of the three scenes; 16, 17: the dynamic-EQ sets of
// MusicLeft and MusicRight. All of it belongs to the UI thread; the sets take the model lock
// themselves where they touch records.
#include "eq/KTVEQ.h"

namespace pavo {

constexpr int kSceneCount = 3;
constexpr int kOutputChannels = 8;

// The band set of a block; for 8..15 the set of that output channel in the given scene (1..3).
// Null for any other block number or scene, and before the model's first reset.
CKTVEQ* BandSetOf(int block, int scene);
// The same in the edited scene of the model (ActiveScene when it is 1..3, otherwise Scene1): the set
// a graph with this id shows.
CKTVEQ* BandSetOf(int block);
// The set of output channel 0..7 in scene 1..3.
CKTVEQ* OutputBandSet(int scene, int channel);

}  // namespace pavo
