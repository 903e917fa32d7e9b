// The change scanner: one frame per difference, in the unit's scan order, with the unit's indexes.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <ostream>

#include "protocol_fixture.h"

namespace pavo::testing {
namespace {

using Edit = std::function<void(Model&)>;

OutputChannel& Ch(Model& m, int c) {
    return m.EditedScene().Channel[c];
}

struct ScanCase {
    const char* name;
    Edit edit;
    uint8_t cmd;
    Bytes payload;
};

// One row per kind of field; indexes that come from a formula get rows at their edges.
const ScanCase kScanCases[] = {
    {"EffectMaster", [](Model& m) { m.system.EffectMaster = 0x85; }, 0x01, {2, 0x85}},
    {"MusicMaster", [](Model& m) { m.system.MusicMaster = 0x20; }, 0x01, {0, 0x20}},
    {"EchoA Repeat", [](Model& m) { m.current.EchoA.Repeat = 9; }, 0x02, {0, 9}},
    {"EchoA EffectSwitch", [](Model& m) { m.current.EchoA.EffectSwitch = 1; }, 0x0B, {1, 1}},
    {"EchoB DirectSwitch", [](Model& m) { m.current.EchoB.DirectSwitch = 1; }, 0x0B, {5, 1}},
    {"Reverb DirectLevel", [](Model& m) { m.current.Reverb.DirectLevel = 33; }, 0x02, {7, 33}},
    {"Reverb EffectSwitch", [](Model& m) { m.current.Reverb.EffectSwitch = 1; }, 0x0B, {6, 1}},
    {"Out4 MusicLevel", [](Model& m) { Ch(m, 0).MusicLevel = 4; }, 0x02, {8, 4}},
    {"Center ReverbSwitch", [](Model& m) { Ch(m, 2).ReverbSwitch = 1; }, 0x0B, {17, 1}},
    {"SurroundL EchoBLevel", [](Model& m) { Ch(m, 6).EchoBLevel = 7; }, 0x02, {31, 7}},
    {"Out3 MusicLevel", [](Model& m) { Ch(m, 1).MusicLevel = 5; }, 0x02, {43, 5}},
    {"Out1 MicSwitch", [](Model& m) { Ch(m, 5).MicSwitch = 1; }, 0x0B, {49, 1}},
    {"SurroundR ReverbLevel", [](Model& m) { Ch(m, 7).ReverbLevel = 6; }, 0x02, {57, 6}},
    {"MusicLeft band 0",
     [](Model& m) { SetBand(m.current.MusicLeft.Eq[0], 0x0102, 130, 11, 2); },
     CmdEqBand,
     {0, 0x02, 0x01, 130, 11, 2}},
    {"MusicRight aux band 4",
     [](Model& m) { m.current.MusicRight.AuxBands[4].QCode = 20; },
     CmdEqBand,
     {39, 204, 0, 120, 20, 0}},
    {"Mic34 band 19",
     [](Model& m) { SetBand(m.current.Mic34.Eq[19], 300, 1, 2, 1); },
     CmdEqBand,
     {84, 0x2C, 0x01, 1, 2, 1}},
    {"Reverb band 0",
     [](Model& m) { SetBand(m.current.Reverb.Eq[0], 7, 0, 3, 3); },
     CmdEqBand,
     {97, 7, 0, 0, 3, 3}},
    {"EchoB band 6",
     [](Model& m) { SetBand(m.current.EchoB.Eq[6], 361, 240, 100, 1); },
     CmdEqBand,
     {110, 0x69, 0x01, 240, 100, 1}},
    {"SurroundR band 9",
     [](Model& m) { Ch(m, 7).Eq[9].FrequencyCode = 0x0123; },
     CmdEqBand,
     {190, 0x23, 0x01, 120, 10, 0}},
    {"MusicLeft high-pass",
     [](Model& m) { m.current.MusicLeft.HighPass.SlopeCode = 3; },
     CmdFilter,
     {0, 0, 0, 0, 3}},
    {"EchoB low-pass",
     [](Model& m) { m.current.EchoB.LowPass.FrequencyCode = 300; },
     CmdFilter,
     {6, 1, 0x2C, 0x01, 0}},
    {"SurroundR high-pass", [](Model& m) { Ch(m, 7).HighPass.SlopeCode = 12; }, 0x04, {14, 0, 0, 0, 12}},
    {"MusicRight main high-pass",
     [](Model& m) { m.current.MusicRight.MainHighPass.SlopeCode = 2; },
     CmdFilter,
     {16, 0, 0, 0, 2}},
    {"EchoA RightDelay", [](Model& m) { m.current.EchoA.RightDelay = 0x1234; }, 0x05, {3, 0x34, 0x12}},
    {"Reverb ReverbTime", [](Model& m) { m.current.Reverb.ReverbTime = 500; }, 0x05, {9, 0xF4, 0x01}},
    {"SurroundR Delay", [](Model& m) { Ch(m, 7).Delay = 2; }, 0x05, {17, 2, 0}},
    {"Mic34 Compressor", [](Model& m) { m.current.Mic34.Compressor.Ratio = 5; }, 0x07, {1, 0, 0, 0, 5}},
    {"SurroundL Limiter", [](Model& m) { Ch(m, 6).Limiter.Threshold = 8; }, 0x07, {6, 8, 0, 0, 0}},
    {"MusicLeft Compressor",
     [](Model& m) { m.current.MusicLeft.Compressor.Attack = 3; },
     CmdCompressor,
     {7, 0, 3, 0, 0}},
    {"Out1 Mute", [](Model& m) { Ch(m, 5).Mute = 1; }, 0x08, {5, 1, 0}},
    {"Mic12 MicLevel", [](Model& m) { m.current.Mic12.MicLevel = 11; }, 0x13, {1, 11}},
    {"OptiInputGain", [](Model& m) { m.system.OptiInputGain = 3; }, 0x13, {6, 3}},
    {"Mic34 AuxBypass", [](Model& m) { m.current.Mic34.AuxBypass = 1; }, 0x14, {7, 1}},
    {"EchoB EqBypass", [](Model& m) { m.current.EchoB.EqBypass = 1; }, 0x14, {10, 1}},
    {"SurroundR EqBypass", [](Model& m) { Ch(m, 7).EqBypass = 1; }, 0x14, {18, 1}},
    {"SpareLink", [](Model& m) { m.current.SpareLink = 1; }, 0x87, {3, 1}},
    {"SurroundLink", [](Model& m) { m.current.SurroundLink = 1; }, 0x87, {5, 1}},
    {"MusicRight DynEq band 2",
     [](Model& m) {
         DynEqBand& d = m.current.MusicRight.DynEq[2];
         SetBand(d.Band, 0x0155, 100, 20, 1);
         d.Ratio = 4;
     },
     CmdDynEq,
     {5, 0x55, 0x01, 100, 20, 1, 0, 0, 0, 4, 1}},
    {"Mic34 FeedbackSuppress", [](Model& m) { m.current.Mic34.FeedbackSuppress = 2; }, 0x06, {1, 0, 2}},
    {"InputSelect", [](Model& m) { m.system.InputSelect = 2; }, 0x0D, {2}},
    {"Mic34 Gate", [](Model& m) { m.current.Mic34.Gate.Threshold = 7; }, 0x0A, {1, 7, 0, 0, 1}},
    {"MusicLeft Gate, threshold 0",
     [](Model& m) { m.current.MusicLeft.Gate.Release = 2; },
     CmdGate,
     {2, 0, 0, 2, 0}},
    {"MusicLeft HighExciter",
     [](Model& m) { m.current.MusicLeft.HighExciter.Timbre = 3; },
     CmdExciter,
     {0, 1, 0, 0, 0, 3, 0, 0, 0, 0, 0}},
    {"Mic34 LowExciter frequency",
     [](Model& m) { m.current.Mic34.LowExciter.FrequencyCode = 300; },
     CmdExciter,
     {7, 0, 0x2C, 0x01, 0, 0, 0, 0, 0, 0, 0}},
    {"MicMax", [](Model& m) { m.system.MicMax = 90; }, 0x89, {1, 90}},
    {"EffectMax", [](Model& m) { m.system.EffectMax = 71; }, 0x89, {2, 71}},
    {"Phantom", [](Model& m) { m.system.Phantom = 1; }, 0x8A, {1}},
    {"IrRemote", [](Model& m) { m.system.IrRemote = 1; }, 0x8B, {1}},
    {"ActiveScene", [](Model& m) { m.current.ActiveScene = 3; }, 0x8E, {3}},
};

void PrintTo(const ScanCase& c, std::ostream* os) {
    *os << c.name;
}

class ScanGroups : public ProtocolTest, public ::testing::WithParamInterface<ScanCase> {};

TEST_P(ScanGroups, OneEditGivesOneFrameThenPolls) {
    const ScanCase& c = GetParam();
    c.edit(m);
    EXPECT_EQ(Scan(), MakeFrame(c.cmd, c.payload));
    // The sent bytes are now the last-sent bytes: nothing more to send.
    EXPECT_EQ(handler.Outgoing().Cmd(), c.cmd);
    EXPECT_EQ(Scan()[4], 0x0C);
    EXPECT_TRUE(SameRecord(m.current, m.lastSent));
    EXPECT_TRUE(SameRecord(m.system, m.lastSentSystem));
}

INSTANTIATE_TEST_SUITE_P(Fields, ScanGroups, ::testing::ValuesIn(kScanCases), [](const auto& info) {
    std::string n = info.param.name;
    for (char& ch : n)
        if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
    return n;
});

TEST_F(ScanGroups, HandCheckedFrames) {
    m.current.EchoB.DirectSwitch = 1;  // SUM = 04 + 0B + 05 + 01
    EXPECT_EQ(Scan(), (Bytes{0xFF, 0x55, 0x04, 0x00, 0x0B, 0x05, 0x01, 0x15}));
    EXPECT_EQ(handler.Outgoing()[outgoing::kSumCopy], 0x15);
    m.current.Mic12.Eq[2].GainCode = 0x80;  // band 42: 08 + 03 + 2A + 1D + 00 + 80 + 0A + 00 = 0xDC
    m.current.Mic12.Eq[2].FrequencyCode = 0x1D;
    EXPECT_EQ(Scan(), (Bytes{0xFF, 0x55, 0x08, 0x00, 0x03, 0x2A, 0x1D, 0x00, 0x80, 0x0A, 0x00, 0xDC}));
    m.current.Reverb.ReverbTime = 0x0300;  // 05 + 05 + 09 + 00 + 03 = 0x16
    EXPECT_EQ(Scan(), (Bytes{0xFF, 0x55, 0x05, 0x00, 0x05, 0x09, 0x00, 0x03, 0x16}));
    // Polls carry ActiveScene (1): 03 + 0C + 01 = 0x10, then 03 + 18 + 01 = 0x1C.
    EXPECT_EQ(Scan(), (Bytes{0xFF, 0x55, 0x03, 0x00, 0x0C, 0x01, 0x10}));
    EXPECT_EQ(Scan(), (Bytes{0xFF, 0x55, 0x03, 0x00, 0x18, 0x01, 0x1C}));
    EXPECT_EQ(Scan(), (Bytes{0xFF, 0x55, 0x03, 0x00, 0x0C, 0x01, 0x10}));
}

TEST_F(ScanGroups, EditsGoOutInScanOrderOneFramePerScan) {
    // Edited from the last group to the first; the frames come in group order, bands lowest first.
    m.current.ActiveScene = 2;
    m.system.IrRemote = 1;
    m.system.MusicMax = 60;
    m.current.MusicLeft.LowExciter.Harmonic = 2;
    m.current.Mic12.Gate.Attack = 1;
    m.system.InputSelect = 1;
    SetKeyShift(m.system, 3);
    m.current.Mic12.FeedbackSuppress = 1;
    m.current.MusicLeft.DynEq[0].Threshold = 9;
    m.current.MicLink = 1;
    m.current.MusicLeft.EqBypass = 1;
    SetAnalogSensitivity(m.system, 1);
    m.current.Scenes[1].Channel[3].Mute = 1;  // scene 2 becomes the edited scene
    m.current.Mic12.Compressor.Threshold = 2;
    m.current.EchoB.PreDelay = 1;
    m.current.Mic34.LowPass.SlopeCode = 4;
    m.current.Mic12.Eq[7].GainCode = 1;
    m.current.Mic12.Eq[3].GainCode = 1;
    m.current.Mic12.Eq[5].GainCode = 1;
    m.current.Scenes[1].Channel[1].MicLevel = 1;
    m.system.MicMaster = 1;

    const std::vector<std::pair<uint8_t, uint8_t>> expected = {
        // CMD, first payload byte
        {0x01, 1}, {0x02, 44}, {0x03, 43}, {0x03, 45}, {0x03, 47}, {0x04, 3}, {0x05, 4}, {0x07, 0},
        {0x08, 3}, {0x13, 0},  {0x14, 0},  {0x87, 0},  {0x11, 0},  {0x06, 0}, {0x09, 3}, {0x0D, 1},
        {0x0A, 0}, {0x12, 4},  {0x89, 0},  {0x8B, 1},  {0x8E, 2},  {0x0C, 2}, {0x18, 2},
    };
    for (const auto& [cmd, first] : expected) {
        const Bytes f = Scan();
        EXPECT_EQ(f[4], cmd);
        EXPECT_EQ(f[5], first) << "CMD " << int(cmd);
    }
    EXPECT_TRUE(SameRecord(m.current, m.lastSent));
    EXPECT_TRUE(SameRecord(m.system, m.lastSentSystem));
}

TEST_F(ScanGroups, FieldsNeverSentGiveOnlyPolls) {
    const Edit kNeverSent[] = {
        [](Model& m) { m.current.MusicRight.Compressor.Threshold = 5; },
        [](Model& m) { Ch(m, 1).Limiter.Ratio = 5; },
        [](Model& m) { Ch(m, 5).Limiter.Attack = 5; },
        [](Model& m) { Ch(m, 7).Limiter.Release = 5; },
        [](Model& m) { m.current.MusicRight.Gate.Threshold = 5; },
        [](Model& m) { m.current.ProgramName[0] = 'X'; },
        [](Model& m) { m.current.CheckByte = 5; },
        [](Model& m) { m.current.Mic12.Spare[4] = 5; },
        [](Model& m) { m.current.MusicLeft.Spare[0] = 5; },
        [](Model& m) { m.current.ReverbSpare.EffectLevel = 5; },
        [](Model& m) { m.current.Scenes[2].Channel[0].Mute = 1; },  // scene 3 while scene 1 is edited
        [](Model& m) { m.system.ProgramNumber = 7; },
        [](Model& m) { m.system.PanelPassword[0] = '9'; },
        [](Model& m) { m.system.Reserved[40] = 5; },
    };
    for (const Edit& edit : kNeverSent) edit(m);
    EXPECT_EQ(Scan()[4], 0x0C);
    EXPECT_EQ(Scan()[4], 0x18);
}

TEST_F(ScanGroups, NibblesOfSystemByte9AreComparedAndCopiedApart) {
    const uint8_t before = m.system.SensitivityKeyShift;  // key 14, sensitivity 0
    SetKeyShift(m.system, 5);
    EXPECT_EQ(Scan(), MakeFrame(CmdKeyShift, {5, 0, 0}));
    EXPECT_EQ(m.lastSentSystem.SensitivityKeyShift, (before & 0x0F) | 0x50);

    // A sensitivity change made while the key shift is pending is still found, and sent first.
    SetKeyShift(m.system, 6);
    SetAnalogSensitivity(m.system, 1);
    EXPECT_EQ(Scan(), MakeFrame(CmdInputSetting, {0, 1}));
    EXPECT_EQ(m.lastSentSystem.SensitivityKeyShift, 0x51);
    EXPECT_EQ(Scan(), MakeFrame(CmdKeyShift, {6, 0, 0}));
    EXPECT_EQ(m.lastSentSystem.SensitivityKeyShift, 0x61);
    EXPECT_EQ(Scan()[4], 0x0C);
}

TEST_F(ScanGroups, FilterSlotSendsHighPassThenLowPassUnderOneSlot) {
    m.current.Mic34.HighPass.FrequencyCode = 20;
    EXPECT_EQ(Scan(), MakeFrame(CmdFilter, {3, 0, 20, 0, 0}));
    m.current.Mic34.LowPass.SlopeCode = 2;
    EXPECT_EQ(Scan(), MakeFrame(CmdFilter, {3, 1, 0x69, 0x01, 2}));
    m.current.MusicLeft.MainHighPass.FrequencyCode = 9;  // one record in both roles: one frame
    EXPECT_EQ(Scan(), MakeFrame(CmdFilter, {15, 0, 9, 0, 1}));
    EXPECT_EQ(Scan()[4], 0x0C);
}

TEST_F(ScanGroups, LatestValueIsSentOnce) {
    m.current.EchoA.Delay = 100;
    m.current.EchoA.Delay = 300;
    EXPECT_EQ(Scan(), MakeFrame(CmdTime, {2, 0x2C, 0x01}));
    EXPECT_EQ(Scan()[4], 0x0C);
}

TEST_F(ScanGroups, OutputsFollowTheEditedScene) {
    m.current.ActiveScene = 0;  // automatic: Scene1 is edited
    SetBand(m.current.Scenes[0].Channel[3].Eq[4], 57, 1, 10, 0);
    SetBand(m.current.Scenes[1].Channel[3].Eq[4], 57, 1, 10, 0);
    EXPECT_EQ(Scan(), MakeFrame(CmdEqBand, {145, 57, 0, 1, 10, 0}));  // 111 + 10 * 3 + 4
    EXPECT_EQ(Scan(), MakeFrame(CmdScene, {0}));
    m.current.ActiveScene = 2;
    EXPECT_EQ(Scan(), MakeFrame(CmdEqBand, {145, 57, 0, 1, 10, 0}));
    EXPECT_EQ(Scan(), MakeFrame(CmdScene, {2}));
}

TEST_F(ScanGroups, StaleOutgoingRecordDoesNotLeakIntoAScanFrame) {
    // A program-image item was popped into the outgoing record and never answered.
    FrameRecord& out = handler.Outgoing();
    std::memset(out.data() + 4, 0xAB, kFrameRecordSize - 4);
    m.current.Mic12.FeedbackSuppress = 1;
    EXPECT_EQ(Scan(), MakeFrame(CmdFeedback, {0, 0, 1}));
    for (size_t offset = 4 + 5 + 1; offset < kFrameRecordSize; ++offset)
        if (offset != outgoing::kSumCopy) {
            ASSERT_EQ(out[offset], 0) << offset;
        }
}

}  // namespace
}  // namespace pavo::testing
