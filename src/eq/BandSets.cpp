#include "eq/BandSets.h"

#include <mutex>

namespace pavo {
namespace {

template <class Block>
void CreateOn(CKTVEQ& set, Block& block, std::mutex* lock) {
    set.CreateBands(static_cast<int>(std::size(block.Eq)), block.Eq, &block.HighPass, &block.LowPass, lock);
}

}  // namespace

template <class Fn>
void BandSets::ForEachSet(Fn fn) {
    for (CKTVEQ& set : blocks_) fn(set);
    for (CKTVEQ& set : dynamic_) fn(set);
    for (auto& scene : outputs_)
        for (CKTVEQ& set : scene) fn(set);
}

// The sets point into the model's records, whose addresses never change.
BandSets::BandSets(Model& model) : model_(model) {
    std::mutex* lock = &model.Lock();
    seenVersion_ = model.RecordsVersion();
    ProgramImage& img = model.current;
    CreateOn(blocks_[BlockMusicLeft], img.MusicLeft, lock);
    dynamic_[0].CreateDynamicBands(img.MusicLeft.DynEq, lock);
    CreateOn(blocks_[BlockMusicRight], img.MusicRight, lock);
    dynamic_[1].CreateDynamicBands(img.MusicRight.DynEq, lock);
    CreateOn(blocks_[BlockMic12], img.Mic12, lock);
    CreateOn(blocks_[BlockMic34], img.Mic34, lock);
    CreateOn(blocks_[BlockEchoA], img.EchoA, lock);
    CreateOn(blocks_[BlockEchoB], img.EchoB, lock);
    CreateOn(blocks_[BlockReverb], img.Reverb, lock);
    CreateOn(blocks_[BlockReverbSpare], img.ReverbSpare, lock);
    for (int scene = 0; scene < kSceneCount; ++scene)
        for (int c = 0; c < kOutputChannels; ++c) CreateOn(outputs_[scene][c], img.Scenes[scene].Channel[c], lock);
}

void BandSets::Refresh() {
    const uint64_t now = model_.RecordsVersion();
    if (now == seenVersion_) return;
    seenVersion_ = now;
    ForEachSet([](CKTVEQ& set) { set.Reload(); });
}

CKTVEQ* BandSets::Of(int block, int scene) {
    Refresh();
    if (block >= BlockMusicLeft && block <= BlockReverbSpare) return &blocks_[block];
    if (block == BlockMusicLeftDyn || block == BlockMusicRightDyn) return &dynamic_[block - BlockMusicLeftDyn];
    if (block >= BlockOutputFirst && block <= BlockOutputLast) return Output(scene, block - BlockOutputFirst);
    return nullptr;
}

CKTVEQ* BandSets::Of(int block) {
    return Of(block, model_.Edit([this] { return model_.scene.EditedScene(); }));
}

CKTVEQ* BandSets::Output(int scene, int channel) {
    Refresh();
    if (scene < 1 || scene > kSceneCount || channel < 0 || channel >= kOutputChannels) return nullptr;
    return &outputs_[scene - 1][channel];
}

}  // namespace pavo
