// The virtual unit's own codec and its answers, checked without the program's protocol code.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "model/FieldCatalog.h"
#include "virtual_unit/UnitFrames.h"
#include "virtual_unit/VirtualUnit.h"

namespace pavo::unit {
namespace {

std::vector<uint8_t> Body(const std::vector<uint8_t>& frame) {  // payload of an encoded frame
    return std::vector<uint8_t>(frame.begin() + 5, frame.end() - 1);
}

TEST(UnitFrames, EncodesAndDecodesThroughNoiseSplitsAndBadFrames) {
    const uint8_t v = 0x01;
    EXPECT_EQ(EncodeFrame(0x0B, {0x05, v}),
              (std::vector<uint8_t>{0xFF, 0x55, 0x04, 0x00, 0x0B, 0x05, v,
                                    static_cast<uint8_t>(0x04 + 0x0B + 0x05 + v)}));
    EXPECT_EQ(EncodeAck(0x04, 0), (std::vector<uint8_t>{0xFF, 0x55, 0x03, 0x00, 0x04, 0x00, 0x07}));

    std::vector<uint8_t> stream = {0x00, 0x12, 0x55};  // noise
    const auto a = EncodeFrame(0x80, {3});
    auto bad = EncodeFrame(0x81, {0});
    bad.back() ^= 1;                                                     // wrong sum
    const auto b = EncodeFrame(0x82, std::vector<uint8_t>(2713, 0xFF));  // a program image
    const std::vector<uint8_t> oversize = {0xFF, 0x55, 0xFF, 0xFF};
    for (const std::vector<uint8_t>* part :
         {&a, static_cast<const std::vector<uint8_t>*>(&bad), &oversize, &b})
        stream.insert(stream.end(), part->begin(), part->end());

    FrameDecoder decoder;
    for (size_t at = 0; at < stream.size(); at += 7)  // in small pieces
        decoder.Feed(stream.data() + at, std::min<size_t>(7, stream.size() - at));
    std::vector<Frame> frames;
    while (auto f = decoder.Next()) frames.push_back(*f);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].cmd, 0x80);
    EXPECT_EQ(frames[0].payload, std::vector<uint8_t>{3});
    EXPECT_EQ(frames[1].cmd, 0x82);
    EXPECT_EQ(frames[1].payload.size(), 2713u);
    EXPECT_EQ(decoder.BadFrames(), 2);
}

// What the unit reads back to the program on every session: each field within its documented range,
// so every page shows it (a sensitivity outside "L" / "H" leaves the System page's list blank).
TEST(VirtualUnit, FactoryContentLiesInEveryFieldsRange) {
    const SystemRecord system = FactorySystem();
    const FieldInfo* bad = FirstFieldOutOfRange(FieldRecord::System, BytesOf(system));
    EXPECT_EQ(bad, nullptr) << bad->path;
    for (int n = 1; n <= 21; ++n) {
        const ProgramImage program = FactoryProgram(n);
        bad = FirstFieldOutOfRange(FieldRecord::Program, BytesOf(program));
        EXPECT_EQ(bad, nullptr) << "program " << n << ": " << bad->path;
    }
}

// One parameter command and where it must land in the unit's records.
struct ParameterCase {
    const char* name;
    uint8_t cmd;
    std::vector<uint8_t> payload;
    std::function<std::vector<uint8_t>(const ProgramImage&, const SystemRecord&)> field;
    std::vector<uint8_t> expected;
};

template <class T>
std::vector<uint8_t> Raw(const T& v) {
    const auto* p = reinterpret_cast<const uint8_t*>(&v);
    return std::vector<uint8_t>(p, p + sizeof(T));
}

TEST(VirtualUnit, AppliesEachParameterCommandToTheRightField) {
    // Output fields land in the active scene, here scene 2.
    const auto out = [](int c) {
        return [c](const ProgramImage& i, const SystemRecord&) { return Raw(i.Scenes[1].Channel[c]); };
    };
    auto channelWith = [](int c, const std::function<void(OutputChannel&)>& set) {
        OutputChannel ch = FactoryProgram(1).Scenes[1].Channel[c];
        set(ch);
        return Raw(ch);
    };
    const std::vector<ParameterCase> cases = {
        {"master music", 0x01, {0, 0x85}, [](auto&, auto& s) { return Raw(s.MusicMaster); }, {0x85}},
        {"echo B repeat", 0x02, {3, 9}, [](auto& i, auto&) { return Raw(i.EchoB.Repeat); }, {9}},
        {"reverb direct switch",
         0x0B,
         {7, 0},
         [](auto& i, auto&) { return Raw(i.Reverb.DirectSwitch); },
         {0}},
        {"mix: channel 4, echo B level (index 26)",
         0x02,
         {26, 11},
         out(4),
         channelWith(4, [](OutputChannel& c) { c.EchoBLevel = 11; })},
        {"mix: channel 1, music switch (index 43)",
         0x0B,
         {43, 0},
         out(1),
         channelWith(1, [](OutputChannel& c) { c.MusicSwitch = 0; })},
        {"mix: channel 7, reverb level (index 57)",
         0x02,
         {57, 12},
         out(7),
         channelWith(7, [](OutputChannel& c) { c.ReverbLevel = 12; })},
        {"band 39: MusicRight aux band 4",
         0x03,
         {39, 1, 2, 3, 4, 5},
         [](auto& i, auto&) { return Raw(i.MusicRight.AuxBands[4]); },
         {1, 2, 3, 4, 5}},
        {"band 110: EchoB band 6",
         0x03,
         {110, 6, 0, 7, 8, 2},
         [](auto& i, auto&) { return Raw(i.EchoB.Eq[6]); },
         {6, 0, 7, 8, 2}},
        {"band 190: channel 7 band 9",
         0x03,
         {190, 9, 1, 9, 9, 3},
         out(7),
         channelWith(7, [](OutputChannel& c) { SetBand(c.Eq[9], 0x109, 9, 9, 3); })},
        {"filter slot 3 low pass",
         0x04,
         {3, 1, 0x20, 0x01, 6},
         [](auto& i, auto&) { return Raw(i.Mic34.LowPass); },
         {1, 0x20, 0x01, 6}},
        {"filter slot 16: MusicRight main high pass",
         0x04,
         {16, 0, 7, 0, 2},
         [](auto& i, auto&) { return Raw(i.MusicRight.MainHighPass); },
         {0, 7, 0, 2}},
        {"time 13: channel 3 delay",
         0x05,
         {13, 0x34, 0x12},
         out(3),
         channelWith(3, [](OutputChannel& c) { c.Delay = 0x1234; })},
        {"compressor 6: channel 6 limiter",
         0x07,
         {6, 1, 2, 3, 4},
         out(6),
         channelWith(6,
                     [](OutputChannel& c) {
                         c.Limiter = {1, 2, 3, 4};
                     })},
        {"mute channel 5", 0x08, {5, 1, 0}, out(5), channelWith(5, [](OutputChannel& c) { c.Mute = 1; })},
        {"key shift keeps the sensitivity nibble",
         0x09,
         {0xB, 0, 0},
         [](auto&, auto& s) { return Raw(s.SensitivityKeyShift); },
         {0xB1}},
        {"sensitivity keeps the key nibble",
         0x13,
         {0, 5},
         [](auto&, auto& s) { return Raw(s.SensitivityKeyShift); },
         {0x75}},
        {"gate 2: MusicLeft",
         0x0A,
         {2, 7, 8, 9, 1},
         [](auto& i, auto&) { return Raw(i.MusicLeft.Gate); },
         {7, 8, 9}},
        {"exciter 7: Mic34 low",
         0x12,
         {7, 1, 0x10, 0x01, 4, 5, 0, 0, 0, 0, 0},
         [](auto& i, auto&) { return Raw(i.Mic34.LowExciter); },
         {0x10, 0x01, 4, 5}},
        {"dynamic EQ 4: MusicRight band 1",
         0x11,
         {4, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10},
         [](auto& i, auto&) { return Raw(i.MusicRight.DynEq[1]); },
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
        {"bypass 18: channel 7 EQ",
         0x14,
         {18, 1},
         out(7),
         channelWith(7, [](OutputChannel& c) { c.EqBypass = 1; })},
        {"link 4: Out12", 0x87, {4, 0}, [](auto& i, auto&) { return Raw(i.Out12Link); }, {0}},
        {"maximum 2: effect", 0x89, {2, 50}, [](auto&, auto& s) { return Raw(s.EffectMax); }, {50}},
        {"feedback Mic34",
         0x06,
         {1, 0, 2},
         [](auto& i, auto&) { return Raw(i.Mic34.FeedbackSuppress); },
         {2}},
    };
    for (const ParameterCase& c : cases) {
        SCOPED_TRACE(c.name);
        VirtualUnit unit;
        unit.Answer({0x8E, {2}});
        EXPECT_EQ(unit.Answer({c.cmd, c.payload}), EncodeAck(c.cmd, 0));
        EXPECT_EQ(c.field(unit.CurrentImage(), unit.System()), c.expected);
    }
}

TEST(VirtualUnit, AnswersReadsStoresRecallsAndPasswordChanges) {
    VirtualUnit unit(0);
    EXPECT_EQ(unit.Answer({0x7F, {0}}), EncodeFrame(0x7F, {0, 0}));
    // Names: 0 the current program, n the stored ones.
    const auto name5 = Body(unit.Answer({0x80, {5}}));
    ASSERT_EQ(name5.size(), 21u);
    EXPECT_EQ(name5[0], 5);
    EXPECT_EQ(std::string(name5.begin() + 1, name5.begin() + 6), "Jazz ");
    EXPECT_EQ(Body(unit.Answer({0x81, {0}})), Raw(unit.System()));
    const auto image3 = Body(unit.Answer({0x82, {3}}));
    EXPECT_EQ(std::vector<uint8_t>(image3.begin() + 1, image3.end()), Raw(unit.StoredProgram(3)));

    // Recall 3: the current image becomes program 3 and comes back whole.
    const auto recalled = Body(unit.Answer({0x85, {3}}));
    EXPECT_EQ(recalled.size(), 2713u);
    EXPECT_TRUE(SameRecord(unit.CurrentImage(), unit.StoredProgram(3)));
    EXPECT_EQ(unit.System().ProgramNumber, 3);

    // Store the current image as program 9 under a new name.
    std::vector<uint8_t> store{9};
    const char name[21] = "My Show             ";
    store.insert(store.end(), name, name + 20);
    EXPECT_EQ(unit.Answer({0x86, store}), EncodeAck(0x86, 0));
    ProgramImage expected = unit.StoredProgram(3);
    std::memcpy(expected.ProgramName, name, 20);
    EXPECT_TRUE(SameRecord(unit.StoredProgram(9), expected));

    // Passwords change only when the current one is given.
    EXPECT_EQ(unit.Answer({0x8D, {'1', '1', '1', '1', '2', '2', '2', '2'}}), EncodeAck(0x8D, 0));
    EXPECT_EQ(std::memcmp(unit.System().PanelPassword, "8888", 4), 0);
    unit.Answer({0x8D, {'8', '8', '8', '8', '2', '2', '2', '2'}});
    EXPECT_EQ(std::memcmp(unit.System().PanelPassword, "2222", 4), 0);
    unit.Answer({0x8C, {'8', '8', '8', '8', '8', '8', '1', '2', '3', '4', '5', '6'}});
    EXPECT_EQ(std::memcmp(unit.System().SystemPassword, "123456", 6), 0);

    // Status replies carry twelve values that move from one poll to the next.
    const auto a1 = Body(unit.Answer({0x0C, {1}}));
    const auto a2 = Body(unit.Answer({0x0C, {1}}));
    EXPECT_EQ(a1.size(), 12u);
    EXPECT_NE(a1, a2);
    EXPECT_EQ(Body(unit.Answer({0x18, {1}})).size(), 12u);
}

}  // namespace
}  // namespace pavo::unit
