#include "model/FieldCatalog.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstddef>
#include <vector>

#include "model/Blocks.h"
#include "model/DataConver.h"
#include "model/Letters.h"

namespace pavo {

namespace {

constexpr std::array<const char*, 2> kOffOn = {"OFF", "ON"};
constexpr std::array<const char*, 5> kFeedbackItems = {"OFF", "FB.EX1", "FB.EX2", "FB.EX3", "FB.EX4"};
constexpr std::array<const char*, 4> kSceneItems = {"Auto", "Sing", "Disco", "Decode"};
constexpr std::array<const char*, 3> kInputItems = {"Auto", "AUDIO", "AUX"};
constexpr std::array<const char*, 2> kSensitivityItems = {"L", "H"};
constexpr std::array<const char*, 2> kIrItems = {"Disable", "Enable"};
constexpr std::array<const char*, 2> kFilterKindItems = {"HighPass", "LowPass"};

// Output channels in storage order, named as the output pages caption them.
constexpr std::array<const char*, 8> kChannelNames = {"Out4", "Out3", "Center",    "SUB",
                                                      "Out2", "Out1", "SurroundL", "SurroundR"};

std::string Indexed(const std::string& prefix, const char* name, int index) {
    return prefix + name + "[" + std::to_string(index + 1) + "]";
}

// Appends the fields of one record, each at `base` + its offset inside the structure it belongs to.
class Builder {
public:
    Builder(std::vector<FieldInfo>& out, FieldRecord record) : out_(out), record_(record) {}

    FieldInfo& Add(std::string path, size_t offset, int width, uint32_t min, uint32_t max,
                   FieldDisplay display) {
        FieldInfo f;
        f.path = std::move(path);
        f.record = record_;
        f.offset = static_cast<uint16_t>(offset);
        f.width = static_cast<uint16_t>(width);
        f.min = min;
        f.max = max;
        f.display = display;
        out_.push_back(std::move(f));
        return out_.back();
    }
    template <size_t N>
    void Items(std::string path, size_t offset, const std::array<const char*, N>& items, uint32_t min = 0,
               uint32_t max = N - 1) {
        Add(std::move(path), offset, 1, min, max, FieldDisplay::Items).items = items;
    }
    void Switch(std::string path, size_t offset) { Items(std::move(path), offset, kOffOn); }
    void Scaled(std::string path, size_t offset, int width, uint32_t max, double scale, double bias,
                int decimals, const char* unit, bool zeroIsOff = false) {
        FieldInfo& f = Add(std::move(path), offset, width, 0, max, FieldDisplay::Scaled);
        f.scale = scale;
        f.bias = bias;
        f.decimals = decimals;
        f.unit = unit;
        f.zeroIsOff = zeroIsOff;
    }
    void Percent(std::string path, size_t offset, uint32_t max, double bias = 0, int width = 1) {
        Scaled(std::move(path), offset, width, max, 1, bias, 0, "%");
    }
    // Times stored in tenths of a millisecond.
    void Time(std::string path, size_t offset, uint32_t max) {
        Scaled(std::move(path), offset, 2, max, 0.1, 0, 1, "ms");
    }
    void Opaque(std::string path, size_t offset, int width) {
        Add(std::move(path), offset, width, 0, 0, FieldDisplay::Opaque);
    }

    void EqBandFields(const std::string& p, size_t base) {
        Add(p + ".FrequencyCode", base + offsetof(EqBand, FrequencyCode), 2, 0, kFrequencyCodeMax,
            FieldDisplay::Frequency);
        Add(p + ".GainCode", base + offsetof(EqBand, GainCode), 1, 0, kGainCodeMax, FieldDisplay::Gain);
        Add(p + ".QCode", base + offsetof(EqBand, QCode), 1, 0, kQCodeMax, FieldDisplay::Q);
        Items(p + ".BandType", base + offsetof(EqBand, BandType), BandTypeLabels);
    }
    template <size_t N>
    void EqBands(const std::string& prefix, const char* name, size_t base, const EqBand (&)[N]) {
        for (size_t i = 0; i < N; ++i) EqBandFields(Indexed(prefix, name, int(i)), base + i * sizeof(EqBand));
    }
    void Filter(const std::string& p, size_t base, uint8_t kind) {
        Items(p + ".Kind", base + offsetof(FilterSetting, Kind), kFilterKindItems, kind, kind);
        Add(p + ".FrequencyCode", base + offsetof(FilterSetting, FrequencyCode), 2, 0, kFrequencyCodeMax,
            FieldDisplay::Crossover);
        Items(p + ".SlopeCode", base + offsetof(FilterSetting, SlopeCode), SlopeLabels);
    }
    void Dynamics(const std::string& p, size_t threshold, uint32_t thresholdMax, double bias,
                  const char* unit, bool zeroIsOff) {
        Scaled(p + ".Threshold", threshold, 1, thresholdMax, 1, bias, 0, unit, zeroIsOff);
        Add(p + ".Attack", threshold + 1, 1, 0, kAttackLabelCount - 1, FieldDisplay::Attack);
        Add(p + ".Release", threshold + 2, 1, 0, kReleaseLabelCount - 1, FieldDisplay::Release);
    }
    // Limiters and compressors: threshold -22 .. +12 (dBV on the inputs, dB on the outputs).
    void Compressor(const std::string& p, size_t base, const char* unit) {
        Dynamics(p, base + offsetof(CompressorSetting, Threshold), 34, 22, unit, false);
        Add(p + ".Ratio", base + offsetof(CompressorSetting, Ratio), 1, 0, kRatioLabelCount - 1,
            FieldDisplay::Ratio);
    }
    // Noise gates: threshold 0 is off, else -77 .. -18 dBV.
    void Gate(const std::string& p, size_t base) {
        Dynamics(p, base + offsetof(GateSetting, Threshold), 60, 78, "dBV", true);
    }
    void Exciter(const std::string& p, size_t base) {
        Add(p + ".FrequencyCode", base + offsetof(ExciterSetting, FrequencyCode), 2, 0, kFrequencyCodeMax,
            FieldDisplay::Frequency);
        Add(p + ".Harmonic", base + offsetof(ExciterSetting, Harmonic), 1, 0, 9, FieldDisplay::Code);
        Add(p + ".Timbre", base + offsetof(ExciterSetting, Timbre), 1, 0, 9, FieldDisplay::Code);
    }

    // Echo and reverb share their first 48 bytes.
    template <class Block>
    void EffectCommon(const std::string& p, size_t base) {
        const Block b{};
        EqBands(p, ".Eq", base + offsetof(Block, Eq), b.Eq);
        Switch(p + ".EqBypass", base + offsetof(Block, EqBypass));
        Percent(p + ".EffectLevel", base + offsetof(Block, EffectLevel), 100);
        Switch(p + ".EffectSwitch", base + offsetof(Block, EffectSwitch));
        Percent(p + ".DirectLevel", base + offsetof(Block, DirectLevel), 100);
        Switch(p + ".DirectSwitch", base + offsetof(Block, DirectSwitch));
        Filter(p + ".HighPass", base + offsetof(Block, HighPass), FilterKindHighPass);
        Filter(p + ".LowPass", base + offsetof(Block, LowPass), FilterKindLowPass);
    }
    void Echo(const std::string& p, size_t base) {
        EffectCommon<EchoBlock>(p, base);
        Time(p + ".PreDelay", base + offsetof(EchoBlock, PreDelay), 1500);
        Percent(p + ".RightPreDelay", base + offsetof(EchoBlock, RightPreDelay), 50, 0, 2);
        Time(p + ".Delay", base + offsetof(EchoBlock, Delay), 5000);
        Percent(p + ".RightDelay", base + offsetof(EchoBlock, RightDelay), 100, 50, 2);
        Percent(p + ".Repeat", base + offsetof(EchoBlock, Repeat), 90);
    }
    void Reverb(const std::string& p, size_t base) {
        EffectCommon<ReverbBlock>(p, base);
        Time(p + ".PreDelay", base + offsetof(ReverbBlock, PreDelay), 2000);
        Time(p + ".ReverbTime", base + offsetof(ReverbBlock, ReverbTime), 50000);
    }
    void Mic(const std::string& p, size_t base) {
        const MicBlock b{};
        Scaled(p + ".MicLevel", base + offsetof(MicBlock, MicLevel), 1, 40, 0.5, 10, 1, "dB");
        Items(p + ".FeedbackSuppress", base + offsetof(MicBlock, FeedbackSuppress), kFeedbackItems);
        Compressor(p + ".Compressor", base + offsetof(MicBlock, Compressor), "dBV");
        Gate(p + ".Gate", base + offsetof(MicBlock, Gate));
        Filter(p + ".HighPass", base + offsetof(MicBlock, HighPass), FilterKindHighPass);
        Filter(p + ".LowPass", base + offsetof(MicBlock, LowPass), FilterKindLowPass);
        EqBands(p, ".Eq", base + offsetof(MicBlock, Eq), b.Eq);
        Switch(p + ".EqBypass", base + offsetof(MicBlock, EqBypass));
        EqBands(p, ".AuxBands", base + offsetof(MicBlock, AuxBands), b.AuxBands);
        Switch(p + ".AuxBypass", base + offsetof(MicBlock, AuxBypass));
        Exciter(p + ".LowExciter", base + offsetof(MicBlock, LowExciter));
        Exciter(p + ".HighExciter", base + offsetof(MicBlock, HighExciter));
        Opaque(p + ".Spare", base + offsetof(MicBlock, Spare), sizeof b.Spare);
    }
    void Music(const std::string& p, size_t base) {
        const MusicBlock b{};
        Compressor(p + ".Compressor", base + offsetof(MusicBlock, Compressor), "dBV");
        Gate(p + ".Gate", base + offsetof(MusicBlock, Gate));
        Filter(p + ".HighPass", base + offsetof(MusicBlock, HighPass), FilterKindHighPass);
        Filter(p + ".LowPass", base + offsetof(MusicBlock, LowPass), FilterKindLowPass);
        EqBands(p, ".Eq", base + offsetof(MusicBlock, Eq), b.Eq);
        Switch(p + ".EqBypass", base + offsetof(MusicBlock, EqBypass));
        EqBands(p, ".AuxBands", base + offsetof(MusicBlock, AuxBands), b.AuxBands);
        Switch(p + ".AuxBypass", base + offsetof(MusicBlock, AuxBypass));
        Filter(p + ".MainHighPass", base + offsetof(MusicBlock, MainHighPass), FilterKindHighPass);
        for (int i = 0; i < 3; ++i) {
            const std::string d = Indexed(p, ".DynEq", i);
            const size_t at = base + offsetof(MusicBlock, DynEq) + i * sizeof(DynEqBand);
            EqBandFields(d, at);
            // Threshold -48 .. +12 dBV.
            Dynamics(d, at + offsetof(DynEqBand, Threshold), 60, 48, "dBV", false);
            Add(d + ".Ratio", at + offsetof(DynEqBand, Ratio), 1, 0, kRatioLabelCount - 1,
                FieldDisplay::Ratio);
            Add(d + ".Reserved", at + offsetof(DynEqBand, Reserved), 1, 0, 255, FieldDisplay::Code);
        }
        Exciter(p + ".LowExciter", base + offsetof(MusicBlock, LowExciter));
        Exciter(p + ".HighExciter", base + offsetof(MusicBlock, HighExciter));
        Opaque(p + ".Spare", base + offsetof(MusicBlock, Spare), sizeof b.Spare);
    }
    void Output(const std::string& p, size_t base) {
        const OutputChannel c{};
        Switch(p + ".Mute", base + offsetof(OutputChannel, Mute));
        // The five source mixes: level 0..200 %, then its switch.
        const char* sources[] = {"Music", "Mic", "EchoA", "EchoB", "Reverb"};
        for (int s = 0; s < 5; ++s) {
            const size_t level = base + offsetof(OutputChannel, MusicLevel) + 2 * s;
            Percent(p + "." + sources[s] + "Level", level, 200);
            Switch(p + "." + sources[s] + "Switch", level + 1);
        }
        EqBands(p, ".Eq", base + offsetof(OutputChannel, Eq), c.Eq);
        Switch(p + ".EqBypass", base + offsetof(OutputChannel, EqBypass));
        Compressor(p + ".Limiter", base + offsetof(OutputChannel, Limiter), "dB");
        Filter(p + ".HighPass", base + offsetof(OutputChannel, HighPass), FilterKindHighPass);
        Filter(p + ".LowPass", base + offsetof(OutputChannel, LowPass), FilterKindLowPass);
        Time(p + ".Delay", base + offsetof(OutputChannel, Delay), 1500);
    }
    // A master level byte: level in bits 0..6, mute in bit 7.
    void Master(const std::string& p, size_t offset) {
        Add(p + ".Level", offset, 1, 0, kMasterLevelMask, FieldDisplay::Code).mask = kMasterLevelMask;
        Switch(p + ".Mute", offset);
        out_.back().mask = kMasterMuteBit;
    }

private:
    std::vector<FieldInfo>& out_;
    FieldRecord record_;
};

void AddProgramFields(std::vector<FieldInfo>& out) {
    Builder b(out, FieldRecord::Program);
    b.Add("ProgramName", offsetof(ProgramImage, ProgramName), kProgramNameLength, 0, 0, FieldDisplay::Text);
    b.Echo("EchoA", offsetof(ProgramImage, EchoA));
    b.Echo("EchoB", offsetof(ProgramImage, EchoB));
    b.Reverb("Reverb", offsetof(ProgramImage, Reverb));
    b.Reverb("ReverbSpare", offsetof(ProgramImage, ReverbSpare));
    b.Mic("Mic12", offsetof(ProgramImage, Mic12));
    b.Mic("Mic34", offsetof(ProgramImage, Mic34));
    b.Switch("MicLink", offsetof(ProgramImage, MicLink));
    b.Music("MusicLeft", offsetof(ProgramImage, MusicLeft));
    b.Music("MusicRight", offsetof(ProgramImage, MusicRight));
    b.Switch("MusicLink", offsetof(ProgramImage, MusicLink));
    for (int s = 0; s < 3; ++s)
        for (int c = 0; c < 8; ++c)
            b.Output("Scene" + std::to_string(s + 1) + "." + kChannelNames[c],
                     offsetof(ProgramImage, Scenes) + s * sizeof(OutputScene) + c * sizeof(OutputChannel));
    b.Items("ActiveScene", offsetof(ProgramImage, ActiveScene), kSceneItems);
    b.Switch("Out34Link", offsetof(ProgramImage, Out34Link));
    b.Switch("SpareLink", offsetof(ProgramImage, SpareLink));
    b.Switch("Out12Link", offsetof(ProgramImage, Out12Link));
    b.Switch("SurroundLink", offsetof(ProgramImage, SurroundLink));
    b.Add("CheckByte", offsetof(ProgramImage, CheckByte), 1, 0, 255, FieldDisplay::Code);
}

void AddSystemFields(std::vector<FieldInfo>& out) {
    Builder b(out, FieldRecord::System);
    const std::string s = "System.";
    b.Add(s + "ProgramNumber", offsetof(SystemRecord, ProgramNumber), 1, 0, kProgramCount,
          FieldDisplay::Program);
    b.Master(s + "EffectMaster", offsetof(SystemRecord, EffectMaster));
    b.Master(s + "MicMaster", offsetof(SystemRecord, MicMaster));
    b.Master(s + "MusicMaster", offsetof(SystemRecord, MusicMaster));
    b.Add(s + "EffectMax", offsetof(SystemRecord, EffectMax), 1, 0, 70, FieldDisplay::Code);
    b.Add(s + "MicMax", offsetof(SystemRecord, MicMax), 1, 0, 84, FieldDisplay::Code);
    b.Add(s + "MusicMax", offsetof(SystemRecord, MusicMax), 1, 0, 84, FieldDisplay::Code);
    b.Switch(s + "Phantom", offsetof(SystemRecord, Phantom));
    b.Items(s + "InputSelect", offsetof(SystemRecord, InputSelect), kInputItems);
    const size_t nibbles = offsetof(SystemRecord, SensitivityKeyShift);
    b.Items(s + "AnalogSensitivity", nibbles, kSensitivityItems);
    out.back().mask = 0x0F;
    b.Scaled(s + "KeyShift", nibbles, 1, 14, 1, 7, 0, "");
    out.back().mask = 0xF0;
    const char* gains[] = {"VodInputGain", "BgmInputGain", "CoaxInputGain", "OptiInputGain"};
    for (int g = 0; g < 4; ++g)
        b.Scaled(s + gains[g], offsetof(SystemRecord, VodInputGain) + g, 1, 40, 0.5, 10, 1, "dB");
    b.Items(s + "IrRemote", offsetof(SystemRecord, IrRemote), kIrItems);
    b.Add(s + "PanelPassword", offsetof(SystemRecord, PanelPassword), kPanelPasswordLength, 0, 0,
          FieldDisplay::Text);
    b.Add(s + "SystemPassword", offsetof(SystemRecord, SystemPassword), kSystemPasswordLength, 0, 0,
          FieldDisplay::Text);
    b.Opaque(s + "Reserved", offsetof(SystemRecord, Reserved), sizeof SystemRecord{}.Reserved);
}

struct Catalog {
    std::vector<FieldInfo> fields;
    size_t systemStart = 0;
    // Per record, the index of the first field holding each byte.
    std::vector<int> programByte, systemByte;

    Catalog() {
        AddProgramFields(fields);
        systemStart = fields.size();
        AddSystemFields(fields);
        programByte.assign(sizeof(ProgramImage), -1);
        systemByte.assign(sizeof(SystemRecord), -1);
        for (size_t i = 0; i < fields.size(); ++i) {
            std::vector<int>& at = fields[i].record == FieldRecord::Program ? programByte : systemByte;
            for (int b = 0; b < fields[i].width; ++b)
                if (at[fields[i].offset + b] < 0) at[fields[i].offset + b] = static_cast<int>(i);
        }
    }
};

const Catalog& TheCatalog() {
    static const Catalog catalog;
    return catalog;
}

int LowestBit(uint8_t mask) {
    int shift = 0;
    while (shift < 8 && !(mask & (1u << shift))) ++shift;
    return shift;
}

}  // namespace

std::span<const FieldInfo> Fields() {
    return TheCatalog().fields;
}

std::span<const FieldInfo> FieldsOf(FieldRecord record) {
    const Catalog& c = TheCatalog();
    const std::span<const FieldInfo> all = c.fields;
    return record == FieldRecord::Program ? all.first(c.systemStart) : all.subspan(c.systemStart);
}

const FieldInfo* FindField(std::string_view path) {
    for (const FieldInfo& f : Fields())
        if (SameLetters(f.path, path)) return &f;
    return nullptr;
}

const FieldInfo* FieldAt(FieldRecord record, int offset) {
    const Catalog& c = TheCatalog();
    const std::vector<int>& at = record == FieldRecord::Program ? c.programByte : c.systemByte;
    if (offset < 0 || offset >= static_cast<int>(at.size())) return nullptr;
    return &c.fields[at[offset]];
}

uint32_t ReadCode(const FieldInfo& f, const uint8_t* record) {
    const uint8_t* p = record + f.offset;
    if (f.width == 2) return static_cast<uint32_t>(p[0] | (p[1] << 8));
    return static_cast<uint32_t>((p[0] & f.mask) >> LowestBit(f.mask));
}

void WriteCode(const FieldInfo& f, uint8_t* record, uint32_t code) {
    uint8_t* p = record + f.offset;
    if (f.width == 2) {
        p[0] = static_cast<uint8_t>(code & 0xFF);
        p[1] = static_cast<uint8_t>((code >> 8) & 0xFF);
        return;
    }
    const uint8_t bits = static_cast<uint8_t>((code << LowestBit(f.mask)) & f.mask);
    p[0] = static_cast<uint8_t>((p[0] & ~f.mask) | bits);
}

bool InRange(const FieldInfo& f, uint32_t code) {
    return !f.HasCode() || (code >= f.min && code <= f.max);
}

const FieldInfo* FirstFieldOutOfRange(FieldRecord record, const uint8_t* bytes) {
    for (const FieldInfo& f : FieldsOf(record))
        if (!InRange(f, ReadCode(f, bytes))) return &f;
    return nullptr;
}

}  // namespace pavo
