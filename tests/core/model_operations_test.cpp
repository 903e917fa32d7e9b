// Reset, EQ reset, channel links and program acceptance on a model.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "model/DataConver.h"
#include "model/Model.h"

namespace pavo {
namespace {

class ModelOps : public ::testing::Test {
protected:
    void SetUp() override { ResetParameters(m); }
    Model m;  // all zero before its first reset
};

template <class Fn>
void ForEveryEqBand(ProgramImage& img, Fn fn) {
    for (auto& b : img.MusicLeft.Eq) fn(b);
    for (auto& b : img.MusicRight.Eq) fn(b);
    for (auto& b : img.Mic12.Eq) fn(b);
    for (auto& b : img.Mic34.Eq) fn(b);
    for (auto& b : img.EchoA.Eq) fn(b);
    for (auto& b : img.EchoB.Eq) fn(b);
    for (auto& b : img.Reverb.Eq) fn(b);
    for (auto& b : img.ReverbSpare.Eq) fn(b);
    for (auto& s : img.Scenes)
        for (auto& c : s.Channel)
            for (auto& b : c.Eq) fn(b);
    for (auto& d : img.MusicLeft.DynEq) fn(d.Band);
    for (auto& d : img.MusicRight.DynEq) fn(d.Band);
}

TEST_F(ModelOps, ResetGivesFlatBypassedBandsAndEqualScenes) {
    int bands = 0;
    ForEveryEqBand(m.current, [&](EqBand& b) {
        ++bands;
        EXPECT_EQ(b.GainCode, 120);
        EXPECT_EQ(b.QCode, 10);
        EXPECT_EQ(b.BandType, BandBypass);
    });
    EXPECT_EQ(bands, 15 * 2 + 20 * 2 + 7 * 4 + 10 * 24 + 6);
    EXPECT_TRUE(SameRecord(m.current.Scenes[0], m.current.Scenes[1]));
    EXPECT_TRUE(SameRecord(m.current.Scenes[0], m.current.Scenes[2]));
    EXPECT_EQ(m.current.MusicLeft.Eq[9].FrequencyCode.get(), NearestFrequencyCode(1240));
    EXPECT_EQ(m.current.Mic34.Eq[19].FrequencyCode.get(), NearestFrequencyCode(20200));
    EXPECT_EQ(m.current.Mic12.AuxBands[4].FrequencyCode.get(), 204);
    EXPECT_EQ(m.current.MusicRight.DynEq[1].Reserved, 1);
    EXPECT_EQ(m.current.MusicLeft.MainHighPass.SlopeCode, 1);
    EXPECT_EQ(m.current.EchoB.LowPass.Kind, FilterKindLowPass);
    EXPECT_EQ(m.current.EchoB.LowPass.FrequencyCode.get(), 361);
    EXPECT_EQ(m.current.Scenes[2].Channel[6].LowPass.FrequencyCode.get(), 361);
    EXPECT_EQ(m.current.MusicLeft.LowExciter.FrequencyCode.get(), 361);
    EXPECT_TRUE(SameRecord(m.current.Reverb, m.current.ReverbSpare));
    EXPECT_EQ(m.current.ActiveScene, 1);
    EXPECT_EQ(m.scene.EditedScene(), 1);
}

// The factory frequencies of every band of every block, after the reset and after an EQ reset, from
// lists written out here rather than taken from the model's own tables.
constexpr double kMusicHz[] = {20.5, 31.9, 50.6, 80.3, 125,  198,  315,  490,
                               721,  1240, 1920, 3050, 4940, 7550, 12000};
constexpr double kMicHz[] = {20.5, 31.9, 50.6, 80.3, 125,  198,  315,   490,   721,   1240,
                             1920, 3050, 4940, 6230, 8160, 9890, 12000, 14500, 17600, 20200};
constexpr double kEffectHz[] = {20.5, 51.6, 135, 354, 926, 2420, 6350};
constexpr double kOutputHz[] = {20.5, 36.5, 65, 116, 206, 367, 655, 1170, 2080, 3700};
constexpr double kDynEqHz[] = {28.9, 236, 4230};
constexpr double kAuxHz[] = {1000, 1000, 1000, 1000, 1000};

std::vector<uint16_t> Codes(std::span<const double> hz) {
    std::vector<uint16_t> codes;
    for (double f : hz) codes.push_back(static_cast<uint16_t>(NearestFrequencyCode(f)));
    return codes;
}
std::vector<uint16_t> CodesOf(std::span<const EqBand> bands) {
    std::vector<uint16_t> codes;
    for (const EqBand& b : bands) codes.push_back(b.FrequencyCode.get());
    return codes;
}
std::vector<uint16_t> CodesOf(std::span<const DynEqBand> bands) {
    std::vector<uint16_t> codes;
    for (const DynEqBand& b : bands) codes.push_back(b.Band.FrequencyCode.get());
    return codes;
}

TEST_F(ModelOps, EveryBandOfEveryBlockStartsOnItsListedFrequency) {
    ProgramImage& c = m.current;
    const struct {
        std::string name;
        std::vector<uint16_t> codes;
        std::span<const double> hz;
    } kReset[] = {
        {"MusicLeft", CodesOf(c.MusicLeft.Eq), kMusicHz},
        {"MusicRight", CodesOf(c.MusicRight.Eq), kMusicHz},
        {"MusicLeft aux", CodesOf(c.MusicLeft.AuxBands), kAuxHz},
        {"MusicRight aux", CodesOf(c.MusicRight.AuxBands), kAuxHz},
        {"Mic12", CodesOf(c.Mic12.Eq), kMicHz},
        {"Mic34", CodesOf(c.Mic34.Eq), kMicHz},
        {"Mic12 aux", CodesOf(c.Mic12.AuxBands), kAuxHz},
        {"Mic34 aux", CodesOf(c.Mic34.AuxBands), kAuxHz},
        {"EchoA", CodesOf(c.EchoA.Eq), kEffectHz},
        {"EchoB", CodesOf(c.EchoB.Eq), kEffectHz},
        {"Reverb", CodesOf(c.Reverb.Eq), kEffectHz},
        {"ReverbSpare", CodesOf(c.ReverbSpare.Eq), kEffectHz},
        {"MusicLeft dynamic EQ", CodesOf(c.MusicLeft.DynEq), kDynEqHz},
        {"MusicRight dynamic EQ", CodesOf(c.MusicRight.DynEq), kDynEqHz},
    };
    for (const auto& r : kReset) EXPECT_EQ(r.codes, Codes(r.hz)) << r.name;
    for (int scene = 0; scene < 3; ++scene)
        for (int ch = 0; ch < 8; ++ch)
            EXPECT_EQ(CodesOf(c.Scenes[scene].Channel[ch].Eq), Codes(kOutputHz))
                << "scene " << scene + 1 << " channel " << ch;

    // The EQ reset of each block puts its bands back on the same frequencies.
    const struct {
        int block;
        std::span<const double> hz;
    } kEqReset[] = {
        {BlockMusicLeft, kMusicHz},
        {BlockMusicRight, kMusicHz},
        {BlockMic12, kMicHz},
        {BlockMic34, kMicHz},
        {BlockEchoA, kEffectHz},
        {BlockEchoB, kEffectHz},
        {BlockReverb, kEffectHz},
        {8, kOutputHz},
        {9, kOutputHz},
        {10, kOutputHz},
        {11, kOutputHz},
        {12, kOutputHz},
        {13, kOutputHz},
        {14, kOutputHz},
        {15, kOutputHz},
        {BlockMusicLeftDyn, kDynEqHz},
        {BlockMusicRightDyn, kDynEqHz},
    };
    for (const auto& r : kEqReset) {
        SCOPED_TRACE(r.block);
        const bool dyn = r.block >= BlockMusicLeftDyn;
        if (dyn)
            for (DynEqBand& b : DynEqBandsOf(c, r.block)) b.Band.FrequencyCode = 5;
        else
            for (EqBand& b : EqBandsOf(c, r.block, m.scene.EditedScene())) b.FrequencyCode = 5;
        ResetEqBands(m, r.block);
        const auto codes =
            dyn ? CodesOf(DynEqBandsOf(c, r.block)) : CodesOf(EqBandsOf(c, r.block, m.scene.EditedScene()));
        EXPECT_EQ(codes, Codes(r.hz));
    }
}

TEST_F(ModelOps, ResetOfTheSystemRecordKeepsTheSensitivityNibble) {
    m.system.SensitivityKeyShift = 0x51;
    m.system.Reserved[3] = 0x77;
    ResetParameters(m);
    EXPECT_EQ(m.system.SensitivityKeyShift, 0xE1);
    EXPECT_EQ(m.system.Reserved[3], 0x77);  // never interpreted
    EXPECT_EQ(m.system.EffectMax, 70);
    EXPECT_EQ(m.system.MicMax, 84);
    EXPECT_EQ(m.system.MusicMax, 84);
    EXPECT_EQ(std::memcmp(m.system.PanelPassword, kFactoryPanelPassword, 4), 0);
    EXPECT_EQ(std::memcmp(m.system.SystemPassword, kFactorySystemPassword, 6), 0);
    EXPECT_EQ(m.bank.Valid, 0);
    EXPECT_EQ(m.passwordEntry[0], ' ');
    EXPECT_EQ(m.passwordEntry[17], ' ');
    EXPECT_EQ(m.passwordEntry[20], 0);
    EXPECT_EQ(m.pages.CurrentPage, 9);
    EXPECT_EQ(m.pages.Out12Side, 13);
}

TEST_F(ModelOps, ResetTouchesLastSentOnlyThroughTheLinkCopies) {
    // The echo copy changes the current image alone, so the scanner sends EchoB's bands.
    EXPECT_FALSE(SameRecord(m.current.EchoB, m.lastSent.EchoB));
    EXPECT_TRUE(SameRecord(m.current.MusicRight, m.lastSent.MusicRight));
    EXPECT_TRUE(SameRecord(m.current.Mic34, m.lastSent.Mic34));
}

TEST_F(ModelOps, ResetEqBandsFollowsTheEditedScene) {
    ResetEqBands(m, BlockMusicLeft);
    for (auto& b : m.current.MusicLeft.Eq) EXPECT_EQ(b.BandType, BandPeak);
    EXPECT_EQ(m.current.MusicRight.Eq[0].BandType, BandBypass);

    ProgramImage before = m.current;
    ResetEqBands(m, BlockReverbSpare);
    ResetEqBands(m, 42);
    EXPECT_TRUE(SameRecord(before, m.current));

    struct Case {
        uint8_t active;
        int scene;
    } cases[] = {{0, 0}, {2, 1}, {3, 2}};
    for (const Case& c : cases) {
        ResetParameters(m);
        m.current.ActiveScene = c.active;
        ResetEqBands(m, 8);
        for (int s = 0; s < 3; ++s)
            EXPECT_EQ(m.current.Scenes[s].Channel[0].Eq[3].BandType, s == c.scene ? BandPeak : BandBypass)
                << "ActiveScene " << int(c.active) << " scene " << s;
    }

    m.current.MusicLeft.DynEq[0].Threshold = 9;
    ResetEqBands(m, BlockMusicLeftDyn);
    EXPECT_EQ(m.current.MusicLeft.DynEq[0].Band.BandType, BandPeak);
    EXPECT_EQ(m.current.MusicLeft.DynEq[0].Threshold, 9);  // only bytes 0..4 change
}

TEST_F(ModelOps, LinksCopyAndLeaveLastSentEqualForThePartner) {
    m.current.MusicLeft.Eq[4].GainCode = 200;
    m.current.Mic12.MicLevel = 33;
    LinkMusic(m);
    LinkMic(m);
    EXPECT_TRUE(SameRecord(m.current.MusicRight, m.current.MusicLeft));
    EXPECT_TRUE(SameRecord(m.lastSent.MusicRight, m.current.MusicRight));
    EXPECT_NE(m.lastSent.MusicLeft.Eq[4].GainCode, 200);  // the source itself is still to be sent
    EXPECT_TRUE(SameRecord(m.current.Mic34, m.current.Mic12));
    EXPECT_TRUE(SameRecord(m.lastSent.Mic34, m.current.Mic34));
}

TEST_F(ModelOps, LinkOutputPairKeepsMuteAndDelay) {
    for (int s = 0; s < 3; ++s) {
        m.current.Scenes[s].Channel[4].Eq[2].GainCode = static_cast<uint8_t>(130 + s);
        m.current.Scenes[s].Channel[4].Mute = 1;
        m.current.Scenes[s].Channel[4].Delay = 100;
        m.current.Scenes[s].Channel[5].Mute = 0;
        m.current.Scenes[s].Channel[5].Delay = static_cast<uint16_t>(500 + s);
    }
    const OutputChannel out4Before = m.current.Scenes[0].Channel[0];
    LinkOutputPair(m, 13);
    for (int s = 0; s < 3; ++s) {
        const OutputChannel& src = m.current.Scenes[s].Channel[4];
        const OutputChannel& dst = m.current.Scenes[s].Channel[5];
        EXPECT_EQ(dst.Mute, 0);
        EXPECT_EQ(dst.Delay.get(), 500 + s);
        EXPECT_EQ(std::memcmp(BytesOf(src) + 1, BytesOf(dst) + 1, 73), 0);
        EXPECT_TRUE(SameRecord(m.lastSent.Scenes[s].Channel[5], dst));
    }
    EXPECT_TRUE(SameRecord(m.current.Scenes[0].Channel[0], out4Before));
    ProgramImage before = m.current;
    LinkOutputPair(m, 8);
    EXPECT_TRUE(SameRecord(before, m.current));
}

TEST_F(ModelOps, AcceptProgramDeclaresTheRecordsSent) {
    m.current.EchoA.Repeat = 5;
    m.system.MicMax = 3;
    AcceptProgram(m, false);
    EXPECT_TRUE(SameRecord(m.lastSent, m.current));
    EXPECT_FALSE(SameRecord(m.lastSentSystem, m.system));
    AcceptProgram(m, true);
    EXPECT_TRUE(SameRecord(m.lastSentSystem, m.system));
}

TEST_F(ModelOps, ResetCreatesTheModeFolderUnlessToldNotToAndPresetPatterns) {
    namespace fs = std::filesystem;
    const fs::path old = fs::current_path();
    const fs::path dir = fs::temp_directory_path() / ("pavo-model-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::current_path(dir);
    ResetParameters(m);
    EXPECT_TRUE(fs::is_directory(dir / "Mode"));
    EXPECT_EQ(m.paths.diaPatternLoad, (dir / "MusicFile" / "*.dia").string());
    EXPECT_EQ(m.paths.datPatternSave, (dir / "MusicFile" / "*.dat").string());
    // A file named Mode is left alone, and the reset still completes.
    fs::remove(dir / "Mode");
    {
        std::FILE* f = std::fopen((dir / "Mode").c_str(), "w");
        std::fclose(f);
    }
    ResetParameters(m);
    EXPECT_TRUE(fs::is_regular_file(dir / "Mode"));
    // A tool that borrows the model leaves the folder alone.
    fs::remove(dir / "Mode");
    ResetParameters(m, false);
    EXPECT_FALSE(fs::exists(dir / "Mode"));
    fs::current_path(old);
    fs::remove_all(dir);
}

}  // namespace
}  // namespace pavo
