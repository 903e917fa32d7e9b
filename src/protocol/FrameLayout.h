// Where the parameter frames' indexes point in the program image: the tables the change scanner
// sends by and the traffic decoder reads frames back by. One copy, so the two can never disagree.
#pragma once

#include <array>
#include <cstddef>

#include "model/Blocks.h"

namespace pavo::frame_layout {

// Byte offsets of the blocks inside the program image.
constexpr size_t kEchoA = offsetof(ProgramImage, EchoA);
constexpr size_t kEchoB = offsetof(ProgramImage, EchoB);
constexpr size_t kReverb = offsetof(ProgramImage, Reverb);
constexpr size_t kMic12 = offsetof(ProgramImage, Mic12);
constexpr size_t kMic34 = offsetof(ProgramImage, Mic34);
constexpr size_t kMusicLeft = offsetof(ProgramImage, MusicLeft);
constexpr size_t kMusicRight = offsetof(ProgramImage, MusicRight);
constexpr size_t kScenes = offsetof(ProgramImage, Scenes);

// Offset of output channel c of a scene (1..3).
constexpr size_t OutputChannelAt(int scene, int c) {
    return kScenes + (scene - 1) * sizeof(OutputScene) + c * sizeof(OutputChannel);
}

// Output channels in the order of the mix indexes; the channel at position p uses 8 + 5p (p < 5) or
// 18 + 5p (p >= 5) for its five sources.
constexpr std::array<int, 8> kMixOrder = {0, 2, 3, 4, 6, 1, 5, 7};
// Output channels whose Limiter is sent (the first of each pair, and the two single outputs).
constexpr std::array<int, 5> kLimiterChannels = {0, 2, 3, 4, 6};

// EQ band numbers 0..110 run through these records in order; 111 + 10c + k is band k of output c.
struct BandRun {
    size_t offset;
    int count;
};
constexpr std::array<BandRun, 11> kInputBandRuns = {{
    {kMusicLeft + offsetof(MusicBlock, Eq), 15},
    {kMusicLeft + offsetof(MusicBlock, AuxBands), 5},
    {kMusicRight + offsetof(MusicBlock, Eq), 15},
    {kMusicRight + offsetof(MusicBlock, AuxBands), 5},
    {kMic12 + offsetof(MicBlock, Eq), 20},
    {kMic12 + offsetof(MicBlock, AuxBands), 5},
    {kMic34 + offsetof(MicBlock, Eq), 20},
    {kMic34 + offsetof(MicBlock, AuxBands), 5},
    {kEchoA + offsetof(EchoBlock, Eq), 7},
    {kReverb + offsetof(ReverbBlock, Eq), 7},
    {kEchoB + offsetof(EchoBlock, Eq), 7},
}};
constexpr int kFirstOutputBand = 111;
static_assert([] {
    int bands = 0;
    for (const BandRun& r : kInputBandRuns) bands += r.count;
    return bands == kFirstOutputBand;
}());

// Filter slots 0..6; 7..14 are the output channels, 15 and 16 the music channels' main high-pass.
struct FilterSlot {
    size_t highPass, lowPass;
};
constexpr std::array<FilterSlot, 7> kInputFilters = {{
    {kMusicLeft + offsetof(MusicBlock, HighPass), kMusicLeft + offsetof(MusicBlock, LowPass)},
    {kMusicRight + offsetof(MusicBlock, HighPass), kMusicRight + offsetof(MusicBlock, LowPass)},
    {kMic12 + offsetof(MicBlock, HighPass), kMic12 + offsetof(MicBlock, LowPass)},
    {kMic34 + offsetof(MicBlock, HighPass), kMic34 + offsetof(MicBlock, LowPass)},
    {kEchoA + offsetof(EchoBlock, HighPass), kEchoA + offsetof(EchoBlock, LowPass)},
    {kReverb + offsetof(ReverbBlock, HighPass), kReverb + offsetof(ReverbBlock, LowPass)},
    {kEchoB + offsetof(EchoBlock, HighPass), kEchoB + offsetof(EchoBlock, LowPass)},
}};

// Bypass indexes 0..10; 11..18 are the output channels.
constexpr std::array<size_t, 11> kInputBypasses = {
    kMusicLeft + offsetof(MusicBlock, EqBypass),  kMusicLeft + offsetof(MusicBlock, AuxBypass),
    kMusicRight + offsetof(MusicBlock, EqBypass), kMusicRight + offsetof(MusicBlock, AuxBypass),
    kMic12 + offsetof(MicBlock, EqBypass),        kMic12 + offsetof(MicBlock, AuxBypass),
    kMic34 + offsetof(MicBlock, EqBypass),        kMic34 + offsetof(MicBlock, AuxBypass),
    kEchoA + offsetof(EchoBlock, EqBypass),       kReverb + offsetof(ReverbBlock, EqBypass),
    kEchoB + offsetof(EchoBlock, EqBypass),
};

constexpr std::array<size_t, 6> kLinks = {
    offsetof(ProgramImage, MicLink),   offsetof(ProgramImage, MusicLink),
    offsetof(ProgramImage, Out34Link), offsetof(ProgramImage, SpareLink),
    offsetof(ProgramImage, Out12Link), offsetof(ProgramImage, SurroundLink),
};

constexpr std::array<size_t, 3> kGates = {kMic12 + offsetof(MicBlock, Gate),
                                          kMic34 + offsetof(MicBlock, Gate),
                                          kMusicLeft + offsetof(MusicBlock, Gate)};

constexpr std::array<size_t, 8> kExciters = {
    kMusicLeft + offsetof(MusicBlock, HighExciter), kMusicRight + offsetof(MusicBlock, HighExciter),
    kMic12 + offsetof(MicBlock, HighExciter),       kMic34 + offsetof(MicBlock, HighExciter),
    kMusicLeft + offsetof(MusicBlock, LowExciter),  kMusicRight + offsetof(MusicBlock, LowExciter),
    kMic12 + offsetof(MicBlock, LowExciter),        kMic34 + offsetof(MicBlock, LowExciter),
};

}  // namespace pavo::frame_layout
