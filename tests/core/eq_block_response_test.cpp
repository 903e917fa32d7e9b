// The response of a block as a function of its records equals what a band set bound to the same
// records sums, for every block and for codes across their whole tables.
#include <gtest/gtest.h>

#include <random>

#include "eq/BlockResponse.h"
#include "eq/KTVEQ.h"
#include "model/Model.h"

namespace pavo {
namespace {

void Randomise(EqBand& b, std::mt19937& rng) {
    SetBand(b, static_cast<uint16_t>(rng() % kFrequencyCodes),
            static_cast<uint8_t>(rng() % (kGainCodeMax + 1)), static_cast<uint8_t>(rng() % (kQCodeMax + 1)),
            static_cast<uint8_t>(rng() % 4));
}

void Randomise(FilterSetting& f, std::mt19937& rng) {
    f.FrequencyCode = static_cast<uint16_t>(rng() % kFrequencyCodes);
    f.SlopeCode = static_cast<uint8_t>(rng() % (kSlopeCodeMax + 1));
}

template <class Block>
void RandomiseBlock(Block& block, std::mt19937& rng) {
    for (EqBand& b : block.Eq) Randomise(b, rng);
    SetFilter(block.HighPass, FilterKindHighPass, 0, 0);
    SetFilter(block.LowPass, FilterKindLowPass, 0, 0);
    Randomise(block.HighPass, rng);
    Randomise(block.LowPass, rng);
}

GridLevels SumOfSet(const CKTVEQ& set) {
    GridLevels sum{};
    for (int i = 0; i < set.GetSize(); ++i)
        for (int k = 0; k < kGridPoints; ++k) sum[k] += set[i].LevelDb()[k];
    return sum;
}

void ExpectSame(const std::optional<GridLevels>& got, const GridLevels& want, int block) {
    ASSERT_TRUE(got.has_value()) << "block " << block;
    for (int k = 0; k < kGridPoints; ++k)
        ASSERT_NEAR((*got)[k], want[k], 1e-9) << "block " << block << " point " << k;
}

TEST(BlockResponse, EqualsTheSumOfABandSetOnTheSameRecordsForEveryBlock) {
    std::mt19937 rng(20261211);
    for (int round = 0; round < 5; ++round) {
        auto image = std::make_unique<ProgramImage>();
        RandomiseBlock(image->MusicLeft, rng);
        RandomiseBlock(image->MusicRight, rng);
        RandomiseBlock(image->Mic12, rng);
        RandomiseBlock(image->Mic34, rng);
        RandomiseBlock(image->EchoA, rng);
        RandomiseBlock(image->EchoB, rng);
        RandomiseBlock(image->Reverb, rng);
        RandomiseBlock(image->ReverbSpare, rng);
        for (auto& d : image->MusicLeft.DynEq) Randomise(d.Band, rng);
        for (auto& d : image->MusicRight.DynEq) Randomise(d.Band, rng);
        for (auto& scene : image->Scenes)
            for (auto& channel : scene.Channel) RandomiseBlock(channel, rng);

        auto check = [&](int block, auto& records) {
            CKTVEQ set;
            set.CreateBands(static_cast<int>(std::size(records.Eq)), records.Eq, &records.HighPass,
                            &records.LowPass);
            ExpectSame(BlockResponse(*image, block, 2), SumOfSet(set), block);
        };
        check(BlockMusicLeft, image->MusicLeft);
        check(BlockMusicRight, image->MusicRight);
        check(BlockMic12, image->Mic12);
        check(BlockMic34, image->Mic34);
        check(BlockEchoA, image->EchoA);
        check(BlockEchoB, image->EchoB);
        check(BlockReverb, image->Reverb);
        check(BlockReverbSpare, image->ReverbSpare);
        for (int c = 0; c < 8; ++c) check(BlockOutputFirst + c, image->Scenes[1].Channel[c]);
        for (int block : {BlockMusicLeftDyn, BlockMusicRightDyn}) {
            CKTVEQ dyn;
            dyn.CreateDynamicBands(block == BlockMusicLeftDyn ? image->MusicLeft.DynEq
                                                              : image->MusicRight.DynEq);
            ExpectSame(BlockResponse(*image, block, 1), SumOfSet(dyn), block);
        }
    }
}

TEST(BlockResponse, UnknownBlocksAndScenesHaveNone) {
    ProgramImage image{};
    for (auto [block, scene] : {std::pair{-1, 1}, {18, 1}, {BlockOutputFirst, 0}, {BlockOutputLast, 4}})
        EXPECT_FALSE(BlockResponse(image, block, scene).has_value()) << block << " scene " << scene;
}

}  // namespace
}  // namespace pavo
