// ScanForChange: one frame per call, for the first field (in the unit's scan order) whose current value
// differs from what the unit was last told, or a status poll.
#include <cstddef>
#include <cstring>
#include <initializer_list>
#include <mutex>

#include "model/Model.h"
#include "protocol/Command.h"
#include "protocol/FrameLayout.h"
#include "protocol/FrameRecord.h"

namespace pavo {

namespace {

// The scan works on the raw bytes, by the frame layout's offsets.
using namespace frame_layout;

constexpr size_t kEqBandSize = sizeof(EqBand);
constexpr size_t kDynEqBandSize = sizeof(DynEqBand);
constexpr size_t kFilterSize = sizeof(FilterSetting);
constexpr size_t kCompressorSize = sizeof(CompressorSetting);
constexpr size_t kGateSize = sizeof(GateSetting);
constexpr size_t kExciterSize = sizeof(ExciterSetting);

constexpr size_t kSensitivityKeyShift = offsetof(SystemRecord, SensitivityKeyShift);

// One scan: the four compared records as bytes and the frame being built.
class Scan {
public:
    Scan(Model& m, FrameRecord& out)
        : cur_(BytesOf(m.current)),
          last_(BytesOf(m.lastSent)),
          sys_(BytesOf(m.system)),
          lastSys_(BytesOf(m.lastSentSystem)),
          out_(out),
          model_(m) {}

    // Offset of output channel c of the edited scene.
    size_t Channel(int c) const { return OutputChannelAt(model_.scene.EditedScene(), c); }

    // Compares n bytes of the current image at `offset` with the last-sent image. On a difference the
    // current bytes are taken into `value`, copied into the last-sent image and true is returned.
    bool Image(size_t offset, size_t n, uint8_t* value) {
        return Take(cur_ + offset, last_ + offset, n, value);
    }
    bool System(size_t offset, size_t n, uint8_t* value) {
        return Take(sys_ + offset, lastSys_ + offset, n, value);
    }
    // Only the bits of `mask` of one system byte are compared and copied; the result is those bits.
    bool SystemBits(size_t offset, uint8_t mask, uint8_t* value) {
        const uint8_t now = sys_[offset] & mask;
        if (now == (lastSys_[offset] & mask)) return false;
        lastSys_[offset] = static_cast<uint8_t>((lastSys_[offset] & ~mask) | now);
        *value = now;
        return true;
    }

    // Writes LEN = payload size + 2, CMD and the payload.
    void Emit(uint8_t cmd, std::initializer_list<uint8_t> head, const uint8_t* data = nullptr, size_t n = 0) {
        size_t at = 5;
        for (uint8_t b : head) out_[at++] = b;
        if (n) std::memcpy(out_.data() + at, data, n), at += n;
        out_[4] = cmd;
        out_.SetLen(static_cast<uint16_t>(at - 5 + 2));
    }
    // One-byte fields sent as [index, value].
    bool ImageByte(size_t offset, uint8_t cmd, uint8_t index) {
        uint8_t v;
        if (!Image(offset, 1, &v)) return false;
        Emit(cmd, {index, v});
        return true;
    }
    bool SystemByte(size_t offset, uint8_t cmd, uint8_t index) {
        uint8_t v;
        if (!System(offset, 1, &v)) return false;
        Emit(cmd, {index, v});
        return true;
    }

    Model& model() { return model_; }
    FrameRecord& out() { return out_; }

private:
    static bool Take(const uint8_t* cur, uint8_t* last, size_t n, uint8_t* value) {
        std::memcpy(value, cur, n);  // the bytes compared are the bytes sent
        if (std::memcmp(value, last, n) == 0) return false;
        std::memcpy(last, value, n);
        return true;
    }

    const uint8_t* cur_;
    uint8_t* last_;
    const uint8_t* sys_;
    uint8_t* lastSys_;
    FrameRecord& out_;
    Model& model_;
};

struct ByteField {
    size_t offset;
    uint8_t cmd;
    uint8_t index;
};

bool MasterLevels(Scan& s) {
    return s.SystemByte(offsetof(SystemRecord, EffectMaster), CmdMasterLevel, 2) ||
           s.SystemByte(offsetof(SystemRecord, MicMaster), CmdMasterLevel, 1) ||
           s.SystemByte(offsetof(SystemRecord, MusicMaster), CmdMasterLevel, 0);
}

bool LevelsAndSwitches(Scan& s) {
    static constexpr ByteField kEffects[] = {
        {kEchoA + offsetof(EchoBlock, Repeat), CmdLevel, 0},
        {kEchoA + offsetof(EchoBlock, EffectLevel), CmdLevel, 1},
        {kEchoA + offsetof(EchoBlock, EffectSwitch), CmdSwitch, 1},
        {kEchoA + offsetof(EchoBlock, DirectLevel), CmdLevel, 2},
        {kEchoA + offsetof(EchoBlock, DirectSwitch), CmdSwitch, 2},
        {kEchoB + offsetof(EchoBlock, Repeat), CmdLevel, 3},
        {kEchoB + offsetof(EchoBlock, EffectLevel), CmdLevel, 4},
        {kEchoB + offsetof(EchoBlock, EffectSwitch), CmdSwitch, 4},
        {kEchoB + offsetof(EchoBlock, DirectLevel), CmdLevel, 5},
        {kEchoB + offsetof(EchoBlock, DirectSwitch), CmdSwitch, 5},
        {kReverb + offsetof(ReverbBlock, EffectLevel), CmdLevel, 6},
        {kReverb + offsetof(ReverbBlock, DirectLevel), CmdLevel, 7},
        {kReverb + offsetof(ReverbBlock, EffectSwitch), CmdSwitch, 6},
        {kReverb + offsetof(ReverbBlock, DirectSwitch), CmdSwitch, 7},
    };
    for (const ByteField& f : kEffects)
        if (s.ImageByte(f.offset, f.cmd, f.index)) return true;
    for (int p = 0; p < 8; ++p) {
        const size_t ch = s.Channel(kMixOrder[p]);
        const int base = p < 5 ? 8 + 5 * p : 18 + 5 * p;
        // Per source: level at 1 + 2s, switch at 2 + 2s.
        for (int src = 0; src < 5; ++src)
            if (s.ImageByte(ch + 1 + 2 * src, CmdLevel, static_cast<uint8_t>(base + src))) return true;
        for (int src = 0; src < 5; ++src)
            if (s.ImageByte(ch + 2 + 2 * src, CmdSwitch, static_cast<uint8_t>(base + src))) return true;
    }
    return false;
}

bool EqBands(Scan& s) {
    uint8_t band[kEqBandSize];
    int number = 0;
    auto run = [&](size_t offset, int count) {
        for (int k = 0; k < count; ++k, ++number)
            if (s.Image(offset + k * kEqBandSize, kEqBandSize, band)) {
                s.Emit(CmdEqBand, {static_cast<uint8_t>(number)}, band, kEqBandSize);
                return true;
            }
        return false;
    };
    for (const BandRun& r : kInputBandRuns)
        if (run(r.offset, r.count)) return true;
    for (int c = 0; c < 8; ++c)  // bands 111 + 10c + k
        if (run(s.Channel(c) + offsetof(OutputChannel, Eq), 10)) return true;
    return false;
}

bool Filters(Scan& s) {
    uint8_t f[kFilterSize];
    auto slot = [&](uint8_t number, size_t hp, size_t lp) {
        for (size_t offset : {hp, lp})
            if (s.Image(offset, kFilterSize, f)) {
                s.Emit(CmdFilter, {number}, f, kFilterSize);
                return true;
            }
        return false;
    };
    uint8_t number = 0;
    for (const FilterSlot& sl : kInputFilters)
        if (slot(number++, sl.highPass, sl.lowPass)) return true;
    for (int c = 0; c < 8; ++c) {
        const size_t ch = s.Channel(c);
        if (slot(number++, ch + offsetof(OutputChannel, HighPass), ch + offsetof(OutputChannel, LowPass)))
            return true;
    }
    // 15 and 16: the music channels' main high-pass, one record in both roles.
    for (size_t block : {kMusicLeft, kMusicRight}) {
        const size_t main = block + offsetof(MusicBlock, MainHighPass);
        if (slot(number++, main, main)) return true;
    }
    return false;
}

bool Times(Scan& s) {
    static constexpr size_t kEffectTimes[10] = {
        kEchoA + offsetof(EchoBlock, PreDelay),    kEchoA + offsetof(EchoBlock, RightPreDelay),
        kEchoA + offsetof(EchoBlock, Delay),       kEchoA + offsetof(EchoBlock, RightDelay),
        kEchoB + offsetof(EchoBlock, PreDelay),    kEchoB + offsetof(EchoBlock, RightPreDelay),
        kEchoB + offsetof(EchoBlock, Delay),       kEchoB + offsetof(EchoBlock, RightDelay),
        kReverb + offsetof(ReverbBlock, PreDelay), kReverb + offsetof(ReverbBlock, ReverbTime),
    };
    uint8_t t[2];
    auto time = [&](size_t offset, int index) {
        if (!s.Image(offset, 2, t)) return false;
        s.Emit(CmdTime, {static_cast<uint8_t>(index), t[0], t[1]});
        return true;
    };
    for (int i = 0; i < 10; ++i)
        if (time(kEffectTimes[i], i)) return true;
    for (int c = 0; c < 8; ++c)
        if (time(s.Channel(c) + offsetof(OutputChannel, Delay), 10 + c)) return true;
    return false;
}

bool Compressors(Scan& s) {
    uint8_t v[kCompressorSize];
    auto comp = [&](size_t offset, int index) {
        if (!s.Image(offset, kCompressorSize, v)) return false;
        s.Emit(CmdCompressor, {static_cast<uint8_t>(index)}, v, kCompressorSize);
        return true;
    };
    if (comp(kMic12 + offsetof(MicBlock, Compressor), 0)) return true;
    if (comp(kMic34 + offsetof(MicBlock, Compressor), 1)) return true;
    for (int i = 0; i < 5; ++i)
        if (comp(s.Channel(kLimiterChannels[i]) + offsetof(OutputChannel, Limiter), 2 + i)) return true;
    // MusicLeft's compressor serves both music channels; MusicRight's is never sent.
    return comp(kMusicLeft + offsetof(MusicBlock, Compressor), 7);
}

bool Mutes(Scan& s) {
    uint8_t v;
    for (int c = 0; c < 8; ++c)
        if (s.Image(s.Channel(c) + offsetof(OutputChannel, Mute), 1, &v)) {
            s.Emit(CmdMute, {static_cast<uint8_t>(c), v, 0});
            return true;
        }
    return false;
}

bool InputSettings(Scan& s) {
    uint8_t v;
    if (s.SystemBits(kSensitivityKeyShift, 0x0F, &v)) {
        s.Emit(CmdInputSetting, {0, v});
        return true;
    }
    return s.ImageByte(kMic12 + offsetof(MicBlock, MicLevel), CmdInputSetting, 1) ||
           s.ImageByte(kMic34 + offsetof(MicBlock, MicLevel), CmdInputSetting, 2) ||
           s.SystemByte(offsetof(SystemRecord, VodInputGain), CmdInputSetting, 3) ||
           s.SystemByte(offsetof(SystemRecord, BgmInputGain), CmdInputSetting, 4) ||
           s.SystemByte(offsetof(SystemRecord, CoaxInputGain), CmdInputSetting, 5) ||
           s.SystemByte(offsetof(SystemRecord, OptiInputGain), CmdInputSetting, 6);
}

bool Bypasses(Scan& s) {
    for (int i = 0; i < 11; ++i)
        if (s.ImageByte(kInputBypasses[i], CmdBypass, static_cast<uint8_t>(i))) return true;
    for (int c = 0; c < 8; ++c)
        if (s.ImageByte(s.Channel(c) + offsetof(OutputChannel, EqBypass), CmdBypass,
                        static_cast<uint8_t>(11 + c)))
            return true;
    return false;
}

bool Links(Scan& s) {
    for (int i = 0; i < 6; ++i)
        if (s.ImageByte(kLinks[i], CmdLink, static_cast<uint8_t>(i))) return true;
    return false;
}

bool DynamicEq(Scan& s) {
    uint8_t v[kDynEqBandSize];
    int index = 0;
    for (size_t block : {kMusicLeft, kMusicRight})
        for (int k = 0; k < 3; ++k, ++index)
            if (s.Image(block + offsetof(MusicBlock, DynEq) + k * kDynEqBandSize, kDynEqBandSize, v)) {
                s.Emit(CmdDynEq, {static_cast<uint8_t>(index)}, v, kDynEqBandSize);
                return true;
            }
    return false;
}

bool FeedbackSuppression(Scan& s) {
    uint8_t v;
    int index = 0;
    for (size_t block : {kMic12, kMic34}) {
        if (s.Image(block + offsetof(MicBlock, FeedbackSuppress), 1, &v)) {
            s.Emit(CmdFeedback, {static_cast<uint8_t>(index), 0, v});
            return true;
        }
        ++index;
    }
    return false;
}

bool KeyShiftGroup(Scan& s) {
    uint8_t v;
    if (!s.SystemBits(kSensitivityKeyShift, 0xF0, &v)) return false;
    s.Emit(CmdKeyShift, {static_cast<uint8_t>(v >> 4), 0, 0});
    return true;
}

bool InputSelectGroup(Scan& s) {
    uint8_t v;
    if (!s.System(offsetof(SystemRecord, InputSelect), 1, &v)) return false;
    s.Emit(CmdInputSelect, {v});
    return true;
}

bool Gates(Scan& s) {
    uint8_t g[kGateSize];
    for (int i = 0; i < 3; ++i)
        if (s.Image(kGates[i], kGateSize, g)) {
            s.Emit(CmdGate, {static_cast<uint8_t>(i), g[0], g[1], g[2], static_cast<uint8_t>(g[0] != 0)});
            return true;
        }
    return false;
}

bool Exciters(Scan& s) {
    uint8_t e[kExciterSize];  // frequency low, high, harmonic, timbre
    for (int i = 0; i < 8; ++i)
        if (s.Image(kExciters[i], kExciterSize, e)) {
            const uint8_t on = (e[2] != 0 || e[3] != 0) ? 1 : 0;
            s.Emit(CmdExciter, {static_cast<uint8_t>(i), on, e[0], e[1], e[2], e[3], 0, 0, 0, 0, 0});
            return true;
        }
    return false;
}

bool MaximumLevels(Scan& s) {
    return s.SystemByte(offsetof(SystemRecord, MusicMax), CmdMaxLevel, 0) ||
           s.SystemByte(offsetof(SystemRecord, MicMax), CmdMaxLevel, 1) ||
           s.SystemByte(offsetof(SystemRecord, EffectMax), CmdMaxLevel, 2);
}

bool SingleSystemByte(Scan& s, size_t offset, uint8_t cmd) {
    uint8_t v;
    if (!s.System(offset, 1, &v)) return false;
    s.Emit(cmd, {v});
    return true;
}
bool Phantom(Scan& s) {
    return SingleSystemByte(s, offsetof(SystemRecord, Phantom), CmdPhantom);
}
bool IrRemote(Scan& s) {
    return SingleSystemByte(s, offsetof(SystemRecord, IrRemote), CmdIrRemote);
}

bool SceneGroup(Scan& s) {
    uint8_t v;
    if (!s.Image(offsetof(ProgramImage, ActiveScene), 1, &v)) return false;
    s.Emit(CmdScene, {v});
    return true;
}

// Nothing differs: a status poll, 0x0C and 0x18 in turn.
void StatusPoll(Scan& s) {
    int& toggle = s.model().status.pollToggle;
    const uint8_t scene = s.model().current.ActiveScene;
    s.model().lastSent.ActiveScene = scene;
    s.Emit(toggle == 0 ? CmdStatusA : CmdStatusB, {scene});
    toggle = toggle == 0 ? 1 : 0;
}

using Group = bool (*)(Scan&);
constexpr Group kGroups[] = {
    MasterLevels,  LevelsAndSwitches, EqBands,  Filters,  Times,         Compressors,
    Mutes,         InputSettings,     Bypasses, Links,    DynamicEq,     FeedbackSuppression,
    KeyShiftGroup, InputSelectGroup,  Gates,    Exciters, MaximumLevels, Phantom,
    IrRemote,      SceneGroup,
};

}  // namespace

int ScanForChange(Model& m, FrameRecord& out) {
    // The frame and its control bytes start clean whatever the record held before.
    out.ClearFrom(kFrameHeaderSize);
    out[0] = kFrameStart0;
    out[1] = kFrameStart1;
    Scan scan(m, out);
    bool built = false;
    for (Group group : kGroups) {
        std::lock_guard<std::mutex> modelGuard(m.Lock());
        if ((built = group(scan))) break;
    }
    if (!built) {
        std::lock_guard<std::mutex> modelGuard(m.Lock());
        StatusPoll(scan);
    }
    FinishFrame(out);
    return 1;
}

}  // namespace pavo
