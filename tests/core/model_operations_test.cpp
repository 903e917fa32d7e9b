// Reset, EQ reset, channel links and program acceptance on the process-wide model.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "model/DataConver.h"
#include "model/Model.h"

namespace pavo {
namespace {

class ModelOps : public ::testing::Test {
protected:
    void SetUp() override {
        std::memset(BytesOf(m.current), 0, sizeof m.current);
        std::memset(BytesOf(m.lastSent), 0, sizeof m.lastSent);
        ResetParameters();
    }
    Model& m = TheModel();
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

TEST_F(ModelOps, ResetOfTheSystemRecordKeepsTheSensitivityNibble) {
    m.system.SensitivityKeyShift = 0x51;
    m.system.Reserved[3] = 0x77;
    ResetParameters();
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
    ResetEqBands(BlockMusicLeft);
    for (auto& b : m.current.MusicLeft.Eq) EXPECT_EQ(b.BandType, BandPeak);
    EXPECT_EQ(m.current.MusicRight.Eq[0].BandType, BandBypass);

    ProgramImage before = m.current;
    ResetEqBands(BlockReverbSpare);
    ResetEqBands(42);
    EXPECT_TRUE(SameRecord(before, m.current));

    struct Case {
        uint8_t active;
        int scene;
    } cases[] = {{0, 0}, {2, 1}, {3, 2}};
    for (const Case& c : cases) {
        ResetParameters();
        m.current.ActiveScene = c.active;
        ResetEqBands(8);
        for (int s = 0; s < 3; ++s)
            EXPECT_EQ(m.current.Scenes[s].Channel[0].Eq[3].BandType, s == c.scene ? BandPeak : BandBypass)
                << "ActiveScene " << int(c.active) << " scene " << s;
    }

    m.current.MusicLeft.DynEq[0].Threshold = 9;
    ResetEqBands(BlockMusicLeftDyn);
    EXPECT_EQ(m.current.MusicLeft.DynEq[0].Band.BandType, BandPeak);
    EXPECT_EQ(m.current.MusicLeft.DynEq[0].Threshold, 9);  // only bytes 0..4 change
}

TEST_F(ModelOps, LinksCopyAndLeaveLastSentEqualForThePartner) {
    m.current.MusicLeft.Eq[4].GainCode = 200;
    m.current.Mic12.MicLevel = 33;
    LinkMusic(true);
    LinkMic(false);
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
    LinkOutputPair(13);
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
    LinkOutputPair(8);
    EXPECT_TRUE(SameRecord(before, m.current));
}

TEST_F(ModelOps, AcceptProgramDeclaresTheRecordsSent) {
    m.current.EchoA.Repeat = 5;
    m.system.MicMax = 3;
    AcceptProgram(false);
    EXPECT_TRUE(SameRecord(m.lastSent, m.current));
    EXPECT_FALSE(SameRecord(m.lastSentSystem, m.system));
    AcceptProgram(true);
    EXPECT_TRUE(SameRecord(m.lastSentSystem, m.system));
}

TEST_F(ModelOps, ResetCreatesTheModeFolderUnlessToldNotToAndPresetPatterns) {
    namespace fs = std::filesystem;
    const fs::path old = fs::current_path();
    const fs::path dir = fs::temp_directory_path() / ("pavo-model-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::current_path(dir);
    ResetParameters();
    EXPECT_TRUE(fs::is_directory(dir / "Mode"));
    EXPECT_EQ(m.paths.diaPatternLoad, (dir / "MusicFile" / "*.dia").string());
    EXPECT_EQ(m.paths.datPatternSave, (dir / "MusicFile" / "*.dat").string());
    // A file named Mode is left alone, and the reset still completes.
    fs::remove(dir / "Mode");
    {
        std::FILE* f = std::fopen((dir / "Mode").c_str(), "w");
        std::fclose(f);
    }
    ResetParameters();
    EXPECT_TRUE(fs::is_regular_file(dir / "Mode"));
    // A tool that borrows the model leaves the folder alone.
    fs::remove(dir / "Mode");
    ResetParameters(false);
    EXPECT_FALSE(fs::exists(dir / "Mode"));
    fs::current_path(old);
    fs::remove_all(dir);
}

}  // namespace
}  // namespace pavo
