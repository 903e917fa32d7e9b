#include "protocol/FrameFields.h"

#include <array>
#include <vector>

#include "model/Blocks.h"
#include "protocol/CommandCodes.h"
#include "protocol/FrameLayout.h"

namespace pavo {

namespace {

using Off = size_t;

using namespace frame_layout;

constexpr Off kNibbles = offsetof(SystemRecord, SensitivityKeyShift);

FrameTarget Image(Off offset, size_t width, size_t from) {
    return {FieldRecord::Program, offset, width, from, 0xFF};
}
FrameTarget System(Off offset, size_t width, size_t from, uint8_t mask = 0xFF) {
    return {FieldRecord::System, offset, width, from, mask};
}

template <size_t N>
std::optional<FrameTarget> ImageByteAt(const std::array<Off, N>& table, int i, size_t from = 1) {
    if (i < 0 || i >= static_cast<int>(N)) return std::nullopt;
    return Image(table[i], 1, from);
}

std::optional<FrameTarget> LevelOrSwitch(bool level, int i, int scene) {
    // Echo A, echo B: 0 / 3 repeat (levels only), 1 / 4 effect, 2 / 5 direct; reverb 6 effect, 7 direct.
    if (i >= 0 && i <= 5) {
        const Off block = i < 3 ? kEchoA : kEchoB;
        switch (i % 3) {
            case 0:
                if (!level) return std::nullopt;
                return Image(block + offsetof(EchoBlock, Repeat), 1, 1);
            case 1:
                return Image(
                    block + (level ? offsetof(EchoBlock, EffectLevel) : offsetof(EchoBlock, EffectSwitch)), 1,
                    1);
            default:
                return Image(
                    block + (level ? offsetof(EchoBlock, DirectLevel) : offsetof(EchoBlock, DirectSwitch)), 1,
                    1);
        }
    }
    if (i == 6)
        return Image(
            kReverb + (level ? offsetof(ReverbBlock, EffectLevel) : offsetof(ReverbBlock, EffectSwitch)), 1,
            1);
    if (i == 7)
        return Image(
            kReverb + (level ? offsetof(ReverbBlock, DirectLevel) : offsetof(ReverbBlock, DirectSwitch)), 1,
            1);
    int position = -1;
    if (i >= 8 && i <= 32) position = (i - 8) / 5;
    if (i >= 43 && i <= 57) position = 5 + (i - 43) / 5;
    if (position < 0) return std::nullopt;
    const int source = (i >= 43 ? i - 43 : i - 8) % 5;
    return Image(OutputChannelAt(scene, kMixOrder[position]) + offsetof(OutputChannel, MusicLevel) +
                     2 * source + (level ? 0 : 1),
                 1, 1);
}

std::optional<FrameTarget> EqBandAt(int band, int scene) {
    int first = 0;
    for (const BandRun& r : kInputBandRuns) {
        if (band < first + r.count)
            return Image(r.offset + (band - first) * sizeof(EqBand), sizeof(EqBand), 1);
        first += r.count;
    }
    if (band >= kFirstOutputBand && band < kFirstOutputBand + 80)
        return Image(OutputChannelAt(scene, (band - kFirstOutputBand) / 10) + offsetof(OutputChannel, Eq) +
                         ((band - kFirstOutputBand) % 10) * sizeof(EqBand),
                     sizeof(EqBand), 1);
    return std::nullopt;
}

std::optional<FrameTarget> FilterAt(int slot, uint8_t kind, int scene) {
    const bool low = kind == FilterKindLowPass;
    Off at;
    if (slot >= 0 && slot < 7)
        at = low ? kInputFilters[slot].lowPass : kInputFilters[slot].highPass;
    else if (slot >= 7 && slot <= 14)
        at = OutputChannelAt(scene, slot - 7) +
             (low ? offsetof(OutputChannel, LowPass) : offsetof(OutputChannel, HighPass));
    else if (slot == 15 || slot == 16)
        at = (slot == 15 ? kMusicLeft : kMusicRight) + offsetof(MusicBlock, MainHighPass);
    else
        return std::nullopt;
    return Image(at, sizeof(FilterSetting), 1);
}

std::optional<FrameTarget> TimeAt(int i, int scene) {
    static constexpr std::array<Off, 10> kEffects = {
        kEchoA + offsetof(EchoBlock, PreDelay),    kEchoA + offsetof(EchoBlock, RightPreDelay),
        kEchoA + offsetof(EchoBlock, Delay),       kEchoA + offsetof(EchoBlock, RightDelay),
        kEchoB + offsetof(EchoBlock, PreDelay),    kEchoB + offsetof(EchoBlock, RightPreDelay),
        kEchoB + offsetof(EchoBlock, Delay),       kEchoB + offsetof(EchoBlock, RightDelay),
        kReverb + offsetof(ReverbBlock, PreDelay), kReverb + offsetof(ReverbBlock, ReverbTime),
    };
    if (i >= 0 && i < 10) return Image(kEffects[i], 2, 1);
    if (i >= 10 && i <= 17)
        return Image(OutputChannelAt(scene, i - 10) + offsetof(OutputChannel, Delay), 2, 1);
    return std::nullopt;
}

std::optional<FrameTarget> CompressorAt(int i, int scene) {
    Off at;
    if (i == 0 || i == 1)
        at = (i == 0 ? kMic12 : kMic34) + offsetof(MicBlock, Compressor);
    else if (i >= 2 && i <= 6)
        at = OutputChannelAt(scene, kLimiterChannels[i - 2]) + offsetof(OutputChannel, Limiter);
    else if (i == 7)
        at = kMusicLeft + offsetof(MusicBlock, Compressor);
    else
        return std::nullopt;
    return Image(at, sizeof(CompressorSetting), 1);
}

std::optional<FrameTarget> InputSettingAt(int i) {
    switch (i) {
        case 0:
            return System(kNibbles, 1, 1, 0x0F);
        case 1:
        case 2:
            return Image((i == 1 ? kMic12 : kMic34) + offsetof(MicBlock, MicLevel), 1, 1);
        case 3:
        case 4:
        case 5:
        case 6:
            return System(offsetof(SystemRecord, VodInputGain) + (i - 3), 1, 1);
        default:
            return std::nullopt;
    }
}

std::optional<FrameTarget> BypassAt(int i, int scene) {
    if (i >= 11 && i <= 18)
        return Image(OutputChannelAt(scene, i - 11) + offsetof(OutputChannel, EqBypass), 1, 1);
    return ImageByteAt(kInputBypasses, i);
}

std::optional<FrameTarget> ExciterAt(int i) {
    if (i < 0 || i >= 8) return std::nullopt;
    return Image(kExciters[i], sizeof(ExciterSetting), 2);  // after the index and the on flag
}

// The path the fields of a frame share ("Mic12.Eq[3]"), up to the last dot they have in common.
std::string CommonPrefix(const std::vector<const FieldInfo*>& fields) {
    std::string prefix = fields.front()->path;
    for (const FieldInfo* f : fields) {
        size_t n = 0;
        while (n < prefix.size() && n < f->path.size() && prefix[n] == f->path[n]) ++n;
        prefix.resize(n);
    }
    const size_t dot = prefix.rfind('.');
    return dot == std::string::npos ? std::string() : prefix.substr(0, dot);
}

}  // namespace

std::optional<FrameTarget> FrameTargetOf(uint8_t cmd, std::span<const uint8_t> p, int scene) {
    if (p.empty()) return std::nullopt;
    scene = scene >= 1 && scene <= 3 ? scene : 1;
    const int i = p[0];
    std::optional<FrameTarget> t;
    switch (cmd) {
        case CmdMasterLevel: {
            static constexpr std::array<Off, 3> kMasters = {offsetof(SystemRecord, MusicMaster),
                                                            offsetof(SystemRecord, MicMaster),
                                                            offsetof(SystemRecord, EffectMaster)};
            if (i < 3) t = System(kMasters[i], 1, 1);
            break;
        }
        case CmdLevel:
        case CmdSwitch:
            t = LevelOrSwitch(cmd == CmdLevel, i, scene);
            break;
        case CmdEqBand:
            t = EqBandAt(i, scene);
            break;
        case CmdFilter:
            if (p.size() > 1) t = FilterAt(i, p[1], scene);
            break;
        case CmdTime:
            t = TimeAt(i, scene);
            break;
        case CmdFeedback:
            if (i < 2) t = Image((i == 0 ? kMic12 : kMic34) + offsetof(MicBlock, FeedbackSuppress), 1, 2);
            break;
        case CmdCompressor:
            t = CompressorAt(i, scene);
            break;
        case CmdMute:
            if (i < 8) t = Image(OutputChannelAt(scene, i) + offsetof(OutputChannel, Mute), 1, 1);
            break;
        case CmdKeyShift:
            t = System(kNibbles, 1, 0, 0xF0);
            break;
        case CmdGate: {
            if (i < 3) t = Image(kGates[i], sizeof(GateSetting), 1);
            break;
        }
        case CmdInputSelect:
            t = System(offsetof(SystemRecord, InputSelect), 1, 0);
            break;
        case CmdDynEq:
            if (i < 6)
                t = Image((i < 3 ? kMusicLeft : kMusicRight) + offsetof(MusicBlock, DynEq) +
                              (i % 3) * sizeof(DynEqBand),
                          sizeof(DynEqBand), 1);
            break;
        case CmdExciter:
            t = ExciterAt(i);
            break;
        case CmdInputSetting:
            t = InputSettingAt(i);
            break;
        case CmdBypass:
            t = BypassAt(i, scene);
            break;
        case CmdLink: {
            t = ImageByteAt(kLinks, i);
            break;
        }
        case CmdMaxLevel: {
            static constexpr std::array<Off, 3> kMax = {offsetof(SystemRecord, MusicMax),
                                                        offsetof(SystemRecord, MicMax),
                                                        offsetof(SystemRecord, EffectMax)};
            if (i < 3) t = System(kMax[i], 1, 1);
            break;
        }
        case CmdPhantom:
            t = System(offsetof(SystemRecord, Phantom), 1, 0);
            break;
        case CmdIrRemote:
            t = System(offsetof(SystemRecord, IrRemote), 1, 0);
            break;
        case CmdScene:
            t = Image(offsetof(ProgramImage, ActiveScene), 1, 0);
            break;
        default:
            break;
    }
    if (t && t->payloadFrom + t->width > p.size()) return std::nullopt;  // a frame too short for it
    return t;
}

std::string DescribeFrameFields(uint8_t cmd, std::span<const uint8_t> p, int scene) {
    const std::optional<FrameTarget> t = FrameTargetOf(cmd, p, scene);
    if (!t) return {};
    // The frame's bytes placed in an otherwise empty record, so the catalog can read them.
    std::vector<uint8_t> record(t->record == FieldRecord::Program ? sizeof(ProgramImage)
                                                                  : sizeof(SystemRecord));
    if (t->mask == 0xFF) {
        for (size_t b = 0; b < t->width; ++b) record[t->offset + b] = p[t->payloadFrom + b];
    } else {
        // A nibble travels as a small number of its own.
        const int shift = t->mask == 0xF0 ? 4 : 0;
        record[t->offset] = static_cast<uint8_t>((p[t->payloadFrom] << shift) & t->mask);
    }
    std::vector<const FieldInfo*> fields;
    for (const FieldInfo& f : FieldsOf(t->record))
        if (f.offset >= t->offset && f.offset < t->offset + t->width && (f.width > 1 || (f.mask & t->mask)))
            fields.push_back(&f);
    if (fields.empty()) return {};
    if (fields.size() == 1) return fields[0]->path + " = " + FormatField(*fields[0], record.data());
    const std::string prefix = CommonPrefix(fields);
    std::string text = prefix + ":";
    for (const FieldInfo* f : fields) {
        text += (text.back() == ':' ? " " : ", ") + f->path.substr(prefix.empty() ? 0 : prefix.size() + 1) +
                " = " + FormatField(*f, record.data());
    }
    return text;
}

}  // namespace pavo
