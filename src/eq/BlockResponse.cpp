#include "eq/BlockResponse.h"

#include <algorithm>
#include <span>

#include "model/CodeTables.h"
#include "model/Model.h"

namespace pavo {

namespace {

bool IsBiquadType(int type) {
    return type == BandPeak || type == BandLowShelf || type == BandHighShelf;
}

template <class Block>
GridLevels SumOf(std::span<const EqBand> bands, const Block& block) {
    GridLevels sum{};
    auto add = [&sum](const GridLevels& level) {
        for (int k = 0; k < kGridPoints; ++k) sum[k] += level[k];
    };
    for (const EqBand& b : bands) add(BandLevels(b));
    add(FilterLevels(block.HighPass));
    add(FilterLevels(block.LowPass));
    return sum;
}

template <class Block>
GridLevels SumOf(const Block& block) {
    return SumOf(std::span<const EqBand>(block.Eq), block);
}

}  // namespace

void BandResponse(const EqBand& band, GridResponse& response, GridLevels& levelDb) {
    if (!IsBiquadType(band.BandType)) {
        response.fill({1.0, 0.0});
        levelDb.fill(0.0);
        return;
    }
    const Biquad s = DesignEqBand(band.BandType, FrequencyAt(band.FrequencyCode), QAt(band.QCode),
                                  band.GainCode * 0.2 - 24);
    EvaluateSection(s, response, levelDb);
}

GridLevels BandLevels(const EqBand& band) {
    GridResponse response;
    GridLevels level;
    BandResponse(band, response, level);
    return level;
}

GridLevels FilterLevels(const FilterSetting& f) {
    GridLevels level{};
    const SlopeInfo slope = SlopeOf(f.SlopeCode);
    if (slope.order == 0) return level;
    const bool highPass = f.Kind == FilterKindHighPass;
    const double fc = CrossoverAt(f.FrequencyCode);
    GridLevels power;
    power.fill(1.0);
    for (int s = 0; s < slope.order / 2; ++s)
        AccumulateSectionPower(DesignCrossoverSection(highPass, fc, SectionQ(slope.family, slope.order, s)),
                               power);
    if (slope.order == 1 || slope.order == 3) AccumulateSectionPower(DesignFirstOrder(highPass, fc), power);
    PowerToDb(power, level);
    return level;
}

std::optional<GridLevels> BlockResponse(const ProgramImage& image, int block, int scene) {
    switch (block) {
        case BlockMusicLeft:
            return SumOf(image.MusicLeft);
        case BlockMusicRight:
            return SumOf(image.MusicRight);
        case BlockMic12:
            return SumOf(image.Mic12);
        case BlockMic34:
            return SumOf(image.Mic34);
        case BlockEchoA:
            return SumOf(image.EchoA);
        case BlockEchoB:
            return SumOf(image.EchoB);
        case BlockReverb:
            return SumOf(image.Reverb);
        case BlockReverbSpare:
            return SumOf(image.ReverbSpare);
        case BlockMusicLeftDyn:
        case BlockMusicRightDyn: {
            // The dynamic bands alone: their sets have no filters.
            const MusicBlock& m = block == BlockMusicLeftDyn ? image.MusicLeft : image.MusicRight;
            GridLevels sum{};
            for (const DynEqBand& d : m.DynEq) {
                const GridLevels level = BandLevels(d.Band);
                for (int k = 0; k < kGridPoints; ++k) sum[k] += level[k];
            }
            return sum;
        }
        default:
            break;
    }
    if (block >= BlockOutputFirst && block <= BlockOutputLast && scene >= 1 && scene <= 3)
        return SumOf(image.Scenes[scene - 1].Channel[block - BlockOutputFirst]);
    return std::nullopt;
}

}  // namespace pavo
