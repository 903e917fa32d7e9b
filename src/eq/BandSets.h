#pragma once
// The band sets of one unit's model: one per EQ block, bound to the records of its current program
// image. Its unit creates them with the model; they live as long as it does.
//
// Blocks 0..7: MusicLeft, MusicRight, Mic12, Mic34, EchoA, EchoB, Reverb, ReverbSpare; 8..15: output
// channels 0..7, one set per channel in each of the three scenes; 16, 17: the dynamic-EQ sets of
// MusicLeft and MusicRight. All of it belongs to the UI thread; the sets take the model lock
// themselves where they touch records.
//
// One rule keeps them in step with the records: every accessor first compares the model's records
// version with the one the sets last saw, and when it moved each member re-reads its record (those
// whose bytes did not change keep their curves).
#include <cstdint>

#include "eq/KTVEQ.h"
#include "model/Model.h"

namespace pavo {

constexpr int kSceneCount = 3;
constexpr int kOutputChannels = 8;

class BandSets {
public:
    explicit BandSets(Model& model);
    BandSets(const BandSets&) = delete;
    BandSets& operator=(const BandSets&) = delete;

    // The set of a block; for 8..15 the set of that output channel in the given scene (1..3). Null
    // for any other block number or scene.
    CKTVEQ* Of(int block, int scene);
    // The same in the edited scene of the model (ActiveScene when it is 1..3, otherwise Scene1): the
    // set a graph with this id shows.
    CKTVEQ* Of(int block);
    // The set of output channel 0..7 in scene 1..3.
    CKTVEQ* Output(int scene, int channel);

    // Re-reads the records if the model's records version moved since the last look.
    void Refresh();
    Model& model() const { return model_; }

private:
    template <class Fn>
    void ForEachSet(Fn fn);

    Model& model_;
    CKTVEQ blocks_[8];   // blocks 0..7
    CKTVEQ dynamic_[2];  // blocks 16, 17
    CKTVEQ outputs_[kSceneCount][kOutputChannels];
    uint64_t seenVersion_ = 0;
};

}  // namespace pavo
