#include "model/Model.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "model/DataConver.h"

namespace pavo {

namespace {

constexpr double kMusicFrequencies[15] = {20.5, 31.9, 50.6, 80.3, 125,  198,  315,  490,
                                          721,  1240, 1920, 3050, 4940, 7550, 12000};
constexpr double kMicFrequencies[20] = {20.5, 31.9, 50.6, 80.3, 125,  198,  315,   490,   721,   1240,
                                        1920, 3050, 4940, 6230, 8160, 9890, 12000, 14500, 17600, 20200};
constexpr double kEffectFrequencies[7] = {20.5, 51.6, 135, 354, 926, 2420, 6350};
constexpr double kOutputFrequencies[10] = {20.5, 36.5, 65, 116, 206, 367, 655, 1170, 2080, 3700};
constexpr double kDynEqFrequencies[3] = {28.9, 236, 4230};
constexpr double kAuxFrequency = 1000;

void ResetBands(std::span<EqBand> bands, std::span<const double> freqs, uint8_t type) {
    for (size_t i = 0; i < bands.size() && i < freqs.size(); ++i)
        SetBand(bands[i], static_cast<uint16_t>(NearestFrequencyCode(freqs[i])), kGainCodeFlat, 10, type);
}

void ResetAuxBands(std::span<EqBand> bands) {
    const auto code = static_cast<uint16_t>(NearestFrequencyCode(kAuxFrequency));
    for (EqBand& b : bands) SetBand(b, code, kGainCodeFlat, 10, BandBypass);
}

void ResetFilters(FilterSetting& hp, FilterSetting& lp) {
    SetFilter(hp, FilterKindHighPass, 0, 0);
    SetFilter(lp, FilterKindLowPass, kFrequencyCodeMax, 0);
}

void ResetExciters(ExciterSetting& low, ExciterSetting& high) {
    low = ExciterSetting{};
    low.FrequencyCode = kFrequencyCodeMax;
    high = ExciterSetting{};
}

template <class T>
void Copy(T& dst, const T& src) {
    CopyRecord(dst, src);
}

// Step 13: the preset-file search patterns and the "Mode" folder. Any path length works; a folder
// that cannot be created is not an error of the reset.
void BuildPresetPaths(PresetPaths& p, bool createModeFolder) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path cwd = fs::current_path(ec);
    if (ec) cwd = ".";
    p.currentDirectory = cwd.string();
    const fs::path music = cwd / "MusicFile";
    p.diaPatternLoad = p.diaPatternSave = (music / "*.dia").string();
    p.datPatternLoad = p.datPatternSave = (music / "*.dat").string();
    const fs::path mode = cwd / "Mode";
    if (createModeFolder && !fs::exists(fs::symlink_status(mode, ec))) fs::create_directory(mode, ec);
}

}  // namespace

Model::Model() {
    scene.Bind(&current.ActiveScene, 1);
}

std::span<EqBand> EqBandsOf(ProgramImage& img, int block, int editedScene) {
    switch (block) {
        case BlockMusicLeft:
            return img.MusicLeft.Eq;
        case BlockMusicRight:
            return img.MusicRight.Eq;
        case BlockMic12:
            return img.Mic12.Eq;
        case BlockMic34:
            return img.Mic34.Eq;
        case BlockEchoA:
            return img.EchoA.Eq;
        case BlockEchoB:
            return img.EchoB.Eq;
        case BlockReverb:
            return img.Reverb.Eq;
        case BlockReverbSpare:
            return img.ReverbSpare.Eq;
        default:
            break;
    }
    if (block >= BlockOutputFirst && block <= BlockOutputLast && editedScene >= 1 && editedScene <= 3)
        return img.Scenes[editedScene - 1].Channel[block - BlockOutputFirst].Eq;
    return {};
}

std::span<DynEqBand> DynEqBandsOf(ProgramImage& img, int block) {
    if (block == BlockMusicLeftDyn) return img.MusicLeft.DynEq;
    if (block == BlockMusicRightDyn) return img.MusicRight.DynEq;
    return {};
}

std::span<const double> DefaultBandFrequencies(int block) {
    if (block == BlockMusicLeft || block == BlockMusicRight) return kMusicFrequencies;
    if (block == BlockMic12 || block == BlockMic34) return kMicFrequencies;
    if (block >= BlockEchoA && block <= BlockReverbSpare) return kEffectFrequencies;
    if (block >= BlockOutputFirst && block <= BlockOutputLast) return kOutputFrequencies;
    if (block == BlockMusicLeftDyn || block == BlockMusicRightDyn) return kDynEqFrequencies;
    return {};
}

void ResetParameters(Model& m, bool createModeFolder) {
    // 13 first: the folders are I/O, which never happens under the model lock.
    PresetPaths paths;
    BuildPresetPaths(paths, createModeFolder);
    {
        std::lock_guard<std::mutex> guard(m.Lock());
        ProgramImage& img = m.current;

        // 1-3: music.
        MusicBlock& ml = img.MusicLeft;
        ResetBands(ml.Eq, kMusicFrequencies, BandBypass);
        ResetAuxBands(ml.AuxBands);
        for (MusicBlock* mb : {&img.MusicLeft, &img.MusicRight}) {
            for (int i = 0; i < 3; ++i) {
                DynEqBand& d = mb->DynEq[i];
                SetBand(d.Band, static_cast<uint16_t>(NearestFrequencyCode(kDynEqFrequencies[i])),
                        kGainCodeFlat, 10, BandBypass);
                d.Threshold = d.Attack = d.Release = d.Ratio = 0;
                d.Reserved = 1;
            }
        }
        ml.EqBypass = 0;
        ml.AuxBypass = 0;
        SetFilter(ml.MainHighPass, FilterKindHighPass, 0, 1);
        ResetFilters(ml.HighPass, ml.LowPass);
        ml.Gate = GateSetting{};
        ml.Compressor = CompressorSetting{};
        ResetExciters(ml.LowExciter, ml.HighExciter);
    }
    LinkMusic(m);
    {
        std::lock_guard<std::mutex> guard(m.Lock());
        MicBlock& mic = m.current.Mic12;
        ResetBands(mic.Eq, kMicFrequencies, BandBypass);
        ResetAuxBands(mic.AuxBands);
        ResetFilters(mic.HighPass, mic.LowPass);
        mic.Gate = GateSetting{};
        mic.Compressor = CompressorSetting{};
        ResetExciters(mic.LowExciter, mic.HighExciter);
    }
    LinkMic(m);

    {
        std::lock_guard<std::mutex> guard(m.Lock());
        ProgramImage& img = m.current;

        // 5: echoes.
        EchoBlock& ea = img.EchoA;
        ResetBands(ea.Eq, kEffectFrequencies, BandBypass);
        ea.EqBypass = 0;
        ResetFilters(ea.HighPass, ea.LowPass);
        ea.EffectLevel = ea.EffectSwitch = ea.DirectLevel = ea.DirectSwitch = 0;
        ea.PreDelay = 0;
        ea.RightPreDelay = 0;
        ea.Delay = 0;
        ea.RightDelay = 0;
        ea.Repeat = 0;
        Copy(img.EchoB, ea);

        // 6: reverb.
        ReverbBlock& rv = img.Reverb;
        ResetBands(rv.Eq, kEffectFrequencies, BandBypass);
        rv.EqBypass = 0;
        ResetFilters(rv.HighPass, rv.LowPass);
        rv.EffectLevel = rv.EffectSwitch = rv.DirectLevel = rv.DirectSwitch = 0;
        rv.PreDelay = 0;
        rv.ReverbTime = 0;
        Copy(img.ReverbSpare, rv);

        // 7: outputs. Mute is not written by the reset.
        OutputChannel& out = img.Scenes[0].Channel[0];
        ResetBands(out.Eq, kOutputFrequencies, BandBypass);
        out.EqBypass = 0;
        ResetFilters(out.HighPass, out.LowPass);
        std::memset(BytesOf(out) + 1, 0, 10);
        out.Limiter = CompressorSetting{};
        out.Delay = 0;
        for (int c = 1; c < 8; ++c) Copy(img.Scenes[0].Channel[c], out);
        Copy(img.Scenes[1], img.Scenes[0]);
        Copy(img.Scenes[2], img.Scenes[0]);

        // 8-9.
        img.MusicLink = 0;
        img.MicLink = 0;
        img.ActiveScene = 1;
        m.pages = PageSelection{};

        // 10: system record.
        SystemRecord& s = m.system;
        s.ProgramNumber = 0;
        s.EffectMaster = s.MicMaster = s.MusicMaster = 0;
        s.EffectMax = 70;
        s.MicMax = 84;
        s.MusicMax = 84;
        s.Phantom = 0;
        s.InputSelect = 0;
        std::memset(img.ProgramName, 0, sizeof img.ProgramName);
        SetKeyShift(s, 14);
        s.VodInputGain = s.BgmInputGain = s.CoaxInputGain = s.OptiInputGain = s.IrRemote = 0;
        std::memcpy(s.PanelPassword, kFactoryPanelPassword, kPanelPasswordLength);
        std::memcpy(s.SystemPassword, kFactorySystemPassword, kSystemPasswordLength);

        // 11: bank and password entry buffer.
        m.bank.Valid = 0;
        std::fill(m.passwordEntry.begin(), m.passwordEntry.begin() + 12, uint8_t{' '});
        std::fill(m.passwordEntry.begin() + 14, m.passwordEntry.begin() + 18, uint8_t{' '});
        m.passwordEntry[20] = 0;

        // 13-14; the frame records (12) belong to the protocol handler, which its unit clears.
        m.paths = std::move(paths);
        m.status.Reset();
    }
    m.RecordsReplaced();
}

void ResetEqBands(Model& m, int block) {
    {
        std::lock_guard<std::mutex> guard(m.Lock());
        const auto freqs = DefaultBandFrequencies(block);
        if (block == BlockReverbSpare || freqs.empty()) return;
        if (block == BlockMusicLeftDyn || block == BlockMusicRightDyn) {
            auto dyn = DynEqBandsOf(m.current, block);
            for (size_t i = 0; i < dyn.size(); ++i)
                SetBand(dyn[i].Band, static_cast<uint16_t>(NearestFrequencyCode(freqs[i])), kGainCodeFlat, 10,
                        BandPeak);
        } else {
            ResetBands(EqBandsOf(m.current, block, m.scene.EditedScene()), freqs, BandPeak);
        }
    }
    m.RecordsReplaced();
}

void LinkMusic(Model& m) {
    {
        std::lock_guard<std::mutex> guard(m.Lock());
        Copy(m.current.MusicRight, m.current.MusicLeft);
        Copy(m.lastSent.MusicRight, m.current.MusicRight);
    }
    m.RecordsReplaced();
}

void LinkMic(Model& m) {
    {
        std::lock_guard<std::mutex> guard(m.Lock());
        Copy(m.current.Mic34, m.current.Mic12);
        Copy(m.lastSent.Mic34, m.current.Mic34);
    }
    m.RecordsReplaced();
}

void LinkOutputPair(Model& m, int block) {
    int source, partner;
    switch (block) {
        case 9:
            source = 0, partner = 1;
            break;
        case 13:
            source = 4, partner = 5;
            break;
        case 15:
            source = 6, partner = 7;
            break;
        default:
            return;
    }
    {
        std::lock_guard<std::mutex> guard(m.Lock());
        for (int scene : {0, 2, 1}) {  // Scene1, Scene3, Scene2
            OutputChannel& dst = m.current.Scenes[scene].Channel[partner];
            const uint8_t mute = dst.Mute;
            const Le16 delay = dst.Delay;
            Copy(dst, m.current.Scenes[scene].Channel[source]);
            dst.Mute = mute;
            dst.Delay = delay;
            Copy(m.lastSent.Scenes[scene].Channel[partner], dst);
        }
    }
    m.RecordsReplaced();
}

void AcceptProgram(Model& m, bool withSystem) {
    {
        std::lock_guard<std::mutex> guard(m.Lock());
        Copy(m.lastSent, m.current);
        if (withSystem) Copy(m.lastSentSystem, m.system);
    }
    m.RecordsReplaced();
}

}  // namespace pavo
