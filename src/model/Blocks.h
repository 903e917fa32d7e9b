#pragma once
// The program image, the system record and the program bank, with their blocks, byte for byte as
// the unit and the preset files hold them. Offsets are checked at compile time below.
#include <cstddef>
#include <cstdint>

#include "model/Records.h"

namespace pavo {

struct EchoBlock {
    EqBand Eq[7];
    uint8_t EqBypass;
    uint8_t EffectLevel;
    uint8_t EffectSwitch;
    uint8_t DirectLevel;
    uint8_t DirectSwitch;
    FilterSetting HighPass;
    FilterSetting LowPass;
    Le16 PreDelay;
    Le16 RightPreDelay;
    Le16 Delay;
    Le16 RightDelay;
    uint8_t Repeat;
};

struct ReverbBlock {
    EqBand Eq[7];
    uint8_t EqBypass;
    uint8_t EffectLevel;
    uint8_t EffectSwitch;
    uint8_t DirectLevel;
    uint8_t DirectSwitch;
    FilterSetting HighPass;
    FilterSetting LowPass;
    Le16 PreDelay;
    Le16 ReverbTime;
};

struct MicBlock {
    uint8_t MicLevel;
    uint8_t FeedbackSuppress;
    CompressorSetting Compressor;
    GateSetting Gate;
    FilterSetting HighPass;
    FilterSetting LowPass;
    EqBand Eq[20];
    uint8_t EqBypass;
    EqBand AuxBands[5];
    uint8_t AuxBypass;
    ExciterSetting LowExciter;
    ExciterSetting HighExciter;
    uint8_t Spare[5];
};

struct MusicBlock {
    CompressorSetting Compressor;  // only MusicLeft's copy is used, for both channels
    GateSetting Gate;              // only MusicLeft's copy is used
    FilterSetting HighPass;
    FilterSetting LowPass;
    EqBand Eq[15];
    uint8_t EqBypass;
    EqBand AuxBands[5];
    uint8_t AuxBypass;
    FilterSetting MainHighPass;
    DynEqBand DynEq[3];
    ExciterSetting LowExciter;
    ExciterSetting HighExciter;
    uint8_t Spare[5];
};

struct OutputChannel {
    uint8_t Mute;
    // The mix of the five sources, always music, microphone, echo A, echo B, reverb.
    uint8_t MusicLevel;
    uint8_t MusicSwitch;
    uint8_t MicLevel;
    uint8_t MicSwitch;
    uint8_t EchoALevel;
    uint8_t EchoASwitch;
    uint8_t EchoBLevel;
    uint8_t EchoBSwitch;
    uint8_t ReverbLevel;
    uint8_t ReverbSwitch;
    EqBand Eq[10];
    uint8_t EqBypass;
    CompressorSetting Limiter;
    FilterSetting HighPass;
    FilterSetting LowPass;
    Le16 Delay;
};

// Storage order of the eight channels of a scene.
enum OutputIndex : int {
    OutOut4 = 0,
    OutOut3 = 1,
    OutCenter = 2,
    OutSub = 3,
    OutOut2 = 4,
    OutOut1 = 5,
    OutSurroundL = 6,
    OutSurroundR = 7,
};

struct OutputScene {
    OutputChannel Channel[8];
};

constexpr int kProgramNameLength = 20;
constexpr int kProgramCount = 21;

struct ProgramImage {
    uint8_t ProgramName[kProgramNameLength];  // space- or zero-padded, no terminator required
    EchoBlock EchoA;
    EchoBlock EchoB;
    ReverbBlock Reverb;
    ReverbBlock ReverbSpare;  // no page edits it; the reset copies Reverb into it
    MicBlock Mic12;
    MicBlock Mic34;
    uint8_t MicLink;  // 1 = Mic34 follows Mic12
    MusicBlock MusicLeft;
    MusicBlock MusicRight;
    uint8_t MusicLink;      // 1 = MusicRight follows MusicLeft
    OutputScene Scenes[3];  // Scene1, Scene2, Scene3
    uint8_t ActiveScene;    // 0 automatic, 1..3 fixed scene
    uint8_t Out34Link;      // 1 = channel 1 (Out 3) follows channel 0 (Out 4)
    uint8_t SpareLink;
    uint8_t Out12Link;     // 1 = channel 5 (Out 1) follows channel 4 (Out 2)
    uint8_t SurroundLink;  // 1 = Surround R follows Surround L
    uint8_t CheckByte;     // written only by the program-file loader
};

constexpr int kPanelPasswordLength = 4;
constexpr int kSystemPasswordLength = 6;

struct SystemRecord {
    uint8_t ProgramNumber;  // 1..21; 17..21 show as F1..F5
    uint8_t EffectMaster;   // bits 0-6 level, bit 7 mute
    uint8_t MicMaster;
    uint8_t MusicMaster;
    uint8_t EffectMax;
    uint8_t MicMax;
    uint8_t MusicMax;
    uint8_t Phantom;
    uint8_t InputSelect;
    uint8_t SensitivityKeyShift;  // low nibble AnalogSensitivity, high nibble KeyShift
    uint8_t VodInputGain;
    uint8_t BgmInputGain;
    uint8_t CoaxInputGain;
    uint8_t OptiInputGain;
    uint8_t IrRemote;
    uint8_t PanelPassword[kPanelPasswordLength];    // ASCII characters
    uint8_t SystemPassword[kSystemPasswordLength];  // ASCII characters
    uint8_t Reserved[41];                           // carried through every transfer, never interpreted
};

struct ProgramBank {
    SystemRecord System;
    ProgramImage Programs[kProgramCount];  // program n at index n - 1
    uint8_t Valid;
};

constexpr uint8_t kMasterMuteBit = 0x80;
constexpr uint8_t kMasterLevelMask = 0x7F;

inline int AnalogSensitivity(const SystemRecord& s) {
    return s.SensitivityKeyShift & 0x0F;
}
inline int KeyShift(const SystemRecord& s) {
    return s.SensitivityKeyShift >> 4;
}
inline void SetKeyShift(SystemRecord& s, int key) {
    s.SensitivityKeyShift = static_cast<uint8_t>((s.SensitivityKeyShift & 0x0F) | ((key & 0x0F) << 4));
}
inline void SetAnalogSensitivity(SystemRecord& s, int sens) {
    s.SensitivityKeyShift = static_cast<uint8_t>((s.SensitivityKeyShift & 0xF0) | (sens & 0x0F));
}

// ---- Layout checks: these offsets are the wire format and the preset-file format. ----
static_assert(sizeof(EchoBlock) == 57);
static_assert(offsetof(EchoBlock, EqBypass) == 35 && offsetof(EchoBlock, EffectLevel) == 36 &&
              offsetof(EchoBlock, EffectSwitch) == 37 && offsetof(EchoBlock, DirectLevel) == 38 &&
              offsetof(EchoBlock, DirectSwitch) == 39 && offsetof(EchoBlock, HighPass) == 40 &&
              offsetof(EchoBlock, LowPass) == 44 && offsetof(EchoBlock, PreDelay) == 48 &&
              offsetof(EchoBlock, RightPreDelay) == 50 && offsetof(EchoBlock, Delay) == 52 &&
              offsetof(EchoBlock, RightDelay) == 54 && offsetof(EchoBlock, Repeat) == 56);
static_assert(sizeof(ReverbBlock) == 52);
static_assert(offsetof(ReverbBlock, EqBypass) == 35 && offsetof(ReverbBlock, HighPass) == 40 &&
              offsetof(ReverbBlock, LowPass) == 44 && offsetof(ReverbBlock, PreDelay) == 48 &&
              offsetof(ReverbBlock, ReverbTime) == 50);
static_assert(sizeof(MicBlock) == 157);
static_assert(offsetof(MicBlock, FeedbackSuppress) == 1 && offsetof(MicBlock, Compressor) == 2 &&
              offsetof(MicBlock, Gate) == 6 && offsetof(MicBlock, HighPass) == 9 &&
              offsetof(MicBlock, LowPass) == 13 && offsetof(MicBlock, Eq) == 17 &&
              offsetof(MicBlock, EqBypass) == 117 && offsetof(MicBlock, AuxBands) == 118 &&
              offsetof(MicBlock, AuxBypass) == 143 && offsetof(MicBlock, LowExciter) == 144 &&
              offsetof(MicBlock, HighExciter) == 148 && offsetof(MicBlock, Spare) == 152);
static_assert(sizeof(MusicBlock) == 164);
static_assert(offsetof(MusicBlock, Gate) == 4 && offsetof(MusicBlock, HighPass) == 7 &&
              offsetof(MusicBlock, LowPass) == 11 && offsetof(MusicBlock, Eq) == 15 &&
              offsetof(MusicBlock, EqBypass) == 90 && offsetof(MusicBlock, AuxBands) == 91 &&
              offsetof(MusicBlock, AuxBypass) == 116 && offsetof(MusicBlock, MainHighPass) == 117 &&
              offsetof(MusicBlock, DynEq) == 121 && offsetof(MusicBlock, LowExciter) == 151 &&
              offsetof(MusicBlock, HighExciter) == 155 && offsetof(MusicBlock, Spare) == 159);
static_assert(sizeof(OutputChannel) == 76);
static_assert(offsetof(OutputChannel, MusicLevel) == 1 && offsetof(OutputChannel, MicSwitch) == 4 &&
              offsetof(OutputChannel, EchoALevel) == 5 && offsetof(OutputChannel, ReverbSwitch) == 10 &&
              offsetof(OutputChannel, Eq) == 11 && offsetof(OutputChannel, EqBypass) == 61 &&
              offsetof(OutputChannel, Limiter) == 62 && offsetof(OutputChannel, HighPass) == 66 &&
              offsetof(OutputChannel, LowPass) == 70 && offsetof(OutputChannel, Delay) == 74);
static_assert(sizeof(OutputScene) == 608);
static_assert(sizeof(ProgramImage) == 2712);
static_assert(offsetof(ProgramImage, EchoA) == 20 && offsetof(ProgramImage, EchoB) == 77 &&
              offsetof(ProgramImage, Reverb) == 134 && offsetof(ProgramImage, ReverbSpare) == 186 &&
              offsetof(ProgramImage, Mic12) == 238 && offsetof(ProgramImage, Mic34) == 395 &&
              offsetof(ProgramImage, MicLink) == 552 && offsetof(ProgramImage, MusicLeft) == 553 &&
              offsetof(ProgramImage, MusicRight) == 717 && offsetof(ProgramImage, MusicLink) == 881 &&
              offsetof(ProgramImage, Scenes) == 882 && offsetof(ProgramImage, Scenes) + 608 == 1490 &&
              offsetof(ProgramImage, Scenes) + 2 * 608 == 2098 &&
              offsetof(ProgramImage, ActiveScene) == 2706 && offsetof(ProgramImage, Out34Link) == 2707 &&
              offsetof(ProgramImage, SpareLink) == 2708 && offsetof(ProgramImage, Out12Link) == 2709 &&
              offsetof(ProgramImage, SurroundLink) == 2710 && offsetof(ProgramImage, CheckByte) == 2711);
static_assert(sizeof(SystemRecord) == 66);
static_assert(offsetof(SystemRecord, EffectMaster) == 1 && offsetof(SystemRecord, EffectMax) == 4 &&
              offsetof(SystemRecord, MusicMax) == 6 && offsetof(SystemRecord, Phantom) == 7 &&
              offsetof(SystemRecord, InputSelect) == 8 && offsetof(SystemRecord, SensitivityKeyShift) == 9 &&
              offsetof(SystemRecord, VodInputGain) == 10 && offsetof(SystemRecord, OptiInputGain) == 13 &&
              offsetof(SystemRecord, IrRemote) == 14 && offsetof(SystemRecord, PanelPassword) == 15 &&
              offsetof(SystemRecord, SystemPassword) == 19 && offsetof(SystemRecord, Reserved) == 25);
static_assert(sizeof(ProgramBank) == 57019);
static_assert(offsetof(ProgramBank, Programs) == 66 && offsetof(ProgramBank, Valid) == 57018);

}  // namespace pavo
