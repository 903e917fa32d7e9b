#include "eq/BandSets.h"

#include <mutex>

#include "model/Model.h"
#include "model/ModelHooks.h"

namespace pavo {
namespace {

struct BandSets {
    CKTVEQ blocks[8];   // blocks 0..7
    CKTVEQ dynamic[2];  // blocks 16, 17
    CKTVEQ outputs[kSceneCount][kOutputChannels];
    bool created = false;
};

BandSets& Sets() {
    static BandSets sets;
    return sets;
}

template <class Fn>
void ForEachSet(Fn fn) {
    BandSets& s = Sets();
    for (CKTVEQ& set : s.blocks) fn(set);
    for (CKTVEQ& set : s.dynamic) fn(set);
    for (auto& scene : s.outputs)
        for (CKTVEQ& set : scene) fn(set);
}

template <class Block>
void CreateOn(CKTVEQ& set, Block& block) {
    set.CreateBands(static_cast<int>(std::size(block.Eq)), block.Eq, &block.HighPass, &block.LowPass);
}

int EditedSceneNow() {
    std::lock_guard<std::mutex> guard(ModelLock());
    return TheModel().scene.EditedScene();
}

}  // namespace

CKTVEQ* BandSetOf(int block, int scene) {
    BandSets& s = Sets();
    if (!s.created) return nullptr;
    if (block >= BlockMusicLeft && block <= BlockReverbSpare) return &s.blocks[block];
    if (block == BlockMusicLeftDyn || block == BlockMusicRightDyn)
        return &s.dynamic[block - BlockMusicLeftDyn];
    if (block >= BlockOutputFirst && block <= BlockOutputLast)
        return OutputBandSet(scene, block - BlockOutputFirst);
    return nullptr;
}

CKTVEQ* BandSetOf(int block) {
    return BandSetOf(block, EditedSceneNow());
}

CKTVEQ* OutputBandSet(int scene, int channel) {
    BandSets& s = Sets();
    if (!s.created || scene < 1 || scene > kSceneCount || channel < 0 || channel >= kOutputChannels)
        return nullptr;
    return &s.outputs[scene - 1][channel];
}

// The sets point into the model's records, whose addresses never change. A second reset (tests run
// many) re-binds the existing members instead of replacing objects a graph may still point to.
void CreateBandSets() {
    BandSets& s = Sets();
    if (s.created) {
        ForEachSet([](CKTVEQ& set) { set.RebindAll(); });
        return;
    }
    ProgramImage& img = TheModel().current;
    CreateOn(s.blocks[BlockMusicLeft], img.MusicLeft);
    s.dynamic[0].CreateDynamicBands(img.MusicLeft.DynEq);
    CreateOn(s.blocks[BlockMusicRight], img.MusicRight);
    s.dynamic[1].CreateDynamicBands(img.MusicRight.DynEq);
    CreateOn(s.blocks[BlockMic12], img.Mic12);
    CreateOn(s.blocks[BlockMic34], img.Mic34);
    CreateOn(s.blocks[BlockEchoA], img.EchoA);
    CreateOn(s.blocks[BlockEchoB], img.EchoB);
    CreateOn(s.blocks[BlockReverb], img.Reverb);
    CreateOn(s.blocks[BlockReverbSpare], img.ReverbSpare);
    for (int scene = 0; scene < kSceneCount; ++scene)
        for (int c = 0; c < kOutputChannels; ++c) CreateOn(s.outputs[scene][c], img.Scenes[scene].Channel[c]);
    s.created = true;
}

void RebindBandSets(Rebind what, int block) {
    BandSets& s = Sets();
    if (!s.created) return;
    switch (what) {
        case Rebind::BlockBands:
            if (CKTVEQ* set = BandSetOf(block)) set->RebindBands();
            break;
        case Rebind::MusicRight:
            s.blocks[BlockMusicRight].RebindAll();
            for (CKTVEQ& set : s.dynamic) set.RebindBands();
            break;
        case Rebind::Mic34:
            s.blocks[BlockMic34].RebindAll();
            break;
        case Rebind::OutputPair: {
            const int partner = block == 9    ? OutOut3
                                : block == 13 ? OutOut1
                                : block == 15 ? OutSurroundR
                                              : -1;
            if (partner < 0) break;
            for (auto& scene : s.outputs) scene[partner].RebindAll();
            break;
        }
        case Rebind::Everything:
            ForEachSet([](CKTVEQ& set) { set.RebindAll(); });
            break;
    }
}

}  // namespace pavo
