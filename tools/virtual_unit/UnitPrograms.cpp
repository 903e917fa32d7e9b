// The unit's factory content: 21 programs with names and settings an installer would recognise.
#include <cmath>
#include <cstring>

#include "VirtualUnit.h"
#include "model/DataConver.h"

namespace pavo::unit {

namespace {

constexpr const char* kNames[21] = {
    "KTV Standard", "Pop",    "Rock",       "Ballad",     "Jazz",       "Classroom",  "Speech",
    "Party",        "Duet",   "Live Band",  "Chorus",     "Opera",      "Hip Hop",    "Country",
    "Folk",         "Cinema", "Function 1", "Function 2", "Function 3", "Function 4", "Function 5",
};

uint16_t Freq(double hz) {
    return static_cast<uint16_t>(NearestFrequencyCode(hz));
}

// A gentle curve: gain in dB at octave position x (0..1 across the bands), shaped per program.
uint8_t GainCode(int program, int band, int bands) {
    const double x = bands > 1 ? static_cast<double>(band) / (bands - 1) : 0.5;
    const double dB = 3.0 * std::sin(program * 0.7 + x * 6.0) * (program % 4 == 1 ? 0.0 : 1.0);
    return static_cast<uint8_t>(std::lround(kGainCodeFlat + dB * 5));
}

ExciterSetting Exciter(double hz, int harmonic, int timbre) {
    ExciterSetting e{};
    e.FrequencyCode = Freq(hz);
    e.Harmonic = static_cast<uint8_t>(harmonic);
    e.Timbre = static_cast<uint8_t>(timbre);
    return e;
}

void FillBands(EqBand* bands, int count, double lowHz, double highHz, int program) {
    for (int i = 0; i < count; ++i) {
        const double hz = lowHz * std::pow(highHz / lowHz, count > 1 ? double(i) / (count - 1) : 0.0);
        SetBand(bands[i], Freq(hz), GainCode(program, i, count), static_cast<uint8_t>(8 + (i + program) % 12),
                BandPeak);
    }
}

void FillFilters(FilterSetting& hp, FilterSetting& lp, double hpHz, double lpHz, uint8_t slope) {
    SetFilter(hp, FilterKindHighPass, static_cast<uint16_t>(NearestCrossoverCode(hpHz)), slope);
    SetFilter(lp, FilterKindLowPass, static_cast<uint16_t>(NearestCrossoverCode(lpHz)), slope);
}

void FillEcho(EchoBlock& e, int program, int side) {
    FillBands(e.Eq, 7, 40, 8000, program + side);
    e.EqBypass = 0;
    e.EffectLevel = static_cast<uint8_t>(40 + (program * 3 + side * 7) % 30);
    e.EffectSwitch = 1;
    e.DirectLevel = static_cast<uint8_t>(50 + program % 20);
    e.DirectSwitch = 1;
    FillFilters(e.HighPass, e.LowPass, 120, 6000, 4);
    e.PreDelay = static_cast<uint16_t>(20 + program * 3);
    e.RightPreDelay = static_cast<uint16_t>(10 + (program * 3 + side * 5) % 30);  // 0..50
    e.Delay = static_cast<uint16_t>(180 + program * 11 + side * 40);
    e.RightDelay = static_cast<uint16_t>(40 + (program * 3 + side * 7) % 40);  // 0..100
    e.Repeat = static_cast<uint8_t>(30 + program % 40);
}

void FillReverb(ReverbBlock& r, int program) {
    FillBands(r.Eq, 7, 40, 8000, program + 2);
    r.EqBypass = 0;
    r.EffectLevel = static_cast<uint8_t>(35 + program % 25);
    r.EffectSwitch = 1;
    r.DirectLevel = 60;
    r.DirectSwitch = 1;
    FillFilters(r.HighPass, r.LowPass, 150, 7000, 4);
    r.PreDelay = static_cast<uint16_t>(15 + program);
    r.ReverbTime = static_cast<uint16_t>(900 + program * 70);
}

void FillMic(MicBlock& m, int program) {
    m.MicLevel = static_cast<uint8_t>(16 + program % 10);  // 0..40
    m.FeedbackSuppress = static_cast<uint8_t>(program % 3);
    m.Compressor = {static_cast<uint8_t>(20 + program % 12), 5, 3, 8};  // threshold 0..34
    m.Gate = {static_cast<uint8_t>(10 + program % 5), 2, 3};
    FillFilters(m.HighPass, m.LowPass, 80, 16000, 6);
    FillBands(m.Eq, 20, 20, 20000, program + 5);
    m.EqBypass = 0;
    FillBands(m.AuxBands, 5, 200, 6000, program + 9);
    m.AuxBypass = 1;
    m.LowExciter = Exciter(120, program % 10, 3);
    m.HighExciter = Exciter(5000, 4, program % 10);
    std::memset(m.Spare, 0, sizeof m.Spare);
}

void FillMusic(MusicBlock& m, int program) {
    m.Compressor = {static_cast<uint8_t>(22 + program % 10), 4, 2, 6};
    m.Gate = {5, 1, 2};
    FillFilters(m.HighPass, m.LowPass, 25, 20000, 2);
    FillBands(m.Eq, 15, 20, 12000, program);
    m.EqBypass = 0;
    FillBands(m.AuxBands, 5, 150, 5000, program + 3);
    m.AuxBypass = 1;
    SetFilter(m.MainHighPass, FilterKindHighPass, static_cast<uint16_t>(NearestCrossoverCode(30)), 1);
    const double dynHz[3] = {60, 400, 5000};
    for (int i = 0; i < 3; ++i) {
        DynEqBand& d = m.DynEq[i];
        SetBand(d.Band, Freq(dynHz[i]), kGainCodeFlat, 10, BandPeak);
        d.Threshold = static_cast<uint8_t>(40 + i * 5);
        d.Attack = 3;
        d.Release = 2;
        d.Ratio = static_cast<uint8_t>(4 + program % 6);
        d.Reserved = 1;
    }
    m.LowExciter = Exciter(90, 2, 2);
    m.HighExciter = Exciter(6000, program % 10, 1);
    std::memset(m.Spare, 0, sizeof m.Spare);
}

void FillOutput(OutputChannel& c, int program, int channel, int scene) {
    c.Mute = 0;
    const bool sub = channel == OutSub;
    c.MusicLevel = static_cast<uint8_t>(sub ? 80 : 90 - scene * 5);
    c.MusicSwitch = 1;
    c.MicLevel = static_cast<uint8_t>(sub ? 0 : 85);
    c.MicSwitch = sub ? 0 : 1;
    c.EchoALevel = static_cast<uint8_t>(sub ? 0 : 70);
    c.EchoASwitch = sub ? 0 : 1;
    c.EchoBLevel = static_cast<uint8_t>(sub ? 0 : 65);
    c.EchoBSwitch = sub ? 0 : 1;
    c.ReverbLevel = static_cast<uint8_t>(sub ? 0 : 60);
    c.ReverbSwitch = sub ? 0 : 1;
    FillBands(c.Eq, 10, 20, 3700, program + channel);
    c.EqBypass = 0;
    c.Limiter = {static_cast<uint8_t>(32 - channel), 3, 3, 10};  // threshold 0..34
    if (sub)
        FillFilters(c.HighPass, c.LowPass, 25, 120, 8);
    else
        FillFilters(c.HighPass, c.LowPass, channel == OutCenter ? 100 : 40, 20000, 4);
    c.Delay = static_cast<uint16_t>(channel >= OutSurroundL ? 480 : channel * 8);
}

}  // namespace

ProgramImage FactoryProgram(int number) {
    const int p = number >= 1 && number <= 21 ? number : 1;
    ProgramImage img{};
    BytesFromText(img.ProgramName, kProgramNameLength, kNames[p - 1]);
    FillEcho(img.EchoA, p, 0);
    FillEcho(img.EchoB, p, 1);
    FillReverb(img.Reverb, p);
    img.ReverbSpare = img.Reverb;
    FillMic(img.Mic12, p);
    FillMic(img.Mic34, p + 1);
    img.MicLink = 0;
    FillMusic(img.MusicLeft, p);
    img.MusicRight = img.MusicLeft;
    img.MusicLink = 1;
    for (int s = 0; s < 3; ++s)
        for (int c = 0; c < 8; ++c) FillOutput(img.Scenes[s].Channel[c], p, c, s);
    img.ActiveScene = 1;
    img.Out34Link = 1;
    img.SpareLink = 0;
    img.Out12Link = 1;
    img.SurroundLink = 1;
    img.CheckByte = 0;
    return img;
}

SystemRecord FactorySystem() {
    SystemRecord s{};
    s.ProgramNumber = 1;
    s.EffectMaster = 60;
    s.MicMaster = 72;
    s.MusicMaster = 68;
    s.EffectMax = 70;
    s.MicMax = 84;
    s.MusicMax = 84;
    s.Phantom = 1;
    s.InputSelect = 0;
    s.SensitivityKeyShift = static_cast<uint8_t>((7 << 4) | 1);  // key code 7 (no shift), sensitivity H
    s.VodInputGain = 20;
    s.BgmInputGain = 18;
    s.CoaxInputGain = 16;
    s.OptiInputGain = 16;
    s.IrRemote = 1;
    std::memcpy(s.PanelPassword, "8888", kPanelPasswordLength);
    std::memcpy(s.SystemPassword, "888888", kSystemPasswordLength);
    for (int i = 0; i < 41; ++i) s.Reserved[i] = static_cast<uint8_t>(i * 7 + 3);  // firmware's own bytes
    return s;
}

}  // namespace pavo::unit
