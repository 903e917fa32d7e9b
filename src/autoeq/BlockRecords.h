#pragma once
// The EQ bands of a block inside a program image, const or not.
#include <span>
#include <type_traits>

#include "model/Blocks.h"
#include "model/Model.h"

namespace pavo {

// EQ blocks 0..15 (the outputs in scene 1..3); empty for any other block or scene.
template <class Image>
auto BandsOf(Image& image, int block, int scene) {
    using Band = std::conditional_t<std::is_const_v<Image>, const EqBand, EqBand>;
    switch (block) {
        case BlockMusicLeft:
            return std::span<Band>(image.MusicLeft.Eq);
        case BlockMusicRight:
            return std::span<Band>(image.MusicRight.Eq);
        case BlockMic12:
            return std::span<Band>(image.Mic12.Eq);
        case BlockMic34:
            return std::span<Band>(image.Mic34.Eq);
        case BlockEchoA:
            return std::span<Band>(image.EchoA.Eq);
        case BlockEchoB:
            return std::span<Band>(image.EchoB.Eq);
        case BlockReverb:
            return std::span<Band>(image.Reverb.Eq);
        case BlockReverbSpare:
            return std::span<Band>(image.ReverbSpare.Eq);
        default:
            break;
    }
    if (block >= BlockOutputFirst && block <= BlockOutputLast && scene >= 1 && scene <= 3)
        return std::span<Band>(image.Scenes[scene - 1].Channel[block - BlockOutputFirst].Eq);
    return std::span<Band>();
}

}  // namespace pavo
