#include "VirtualUnit.h"

#include <cmath>
#include <cstring>

#include "protocol/RestoredLinks.h"

namespace pavo::unit {

namespace {

std::vector<uint8_t> Bytes(const void* data, size_t n) {
    const auto* p = static_cast<const uint8_t*>(data);
    return std::vector<uint8_t>(p, p + n);
}

template <class T>
void Put(T& record, const std::vector<uint8_t>& p, size_t from) {
    std::memcpy(&record, p.data() + from, sizeof(T));
}

// Output channels in the order the mix indexes count them.
constexpr int kMixOrder[8] = {0, 2, 3, 4, 6, 1, 5, 7};
// Which output channel each compressor index 2..6 is the limiter of.
constexpr int kLimiterChannel[5] = {0, 2, 3, 4, 6};

}  // namespace

VirtualUnit::VirtualUnit(uint8_t storeAuthority) : storeAuthority_(storeAuthority) {
    for (int n = 1; n <= kProgramCount; ++n) stored_[n - 1] = FactoryProgram(n);
    current_ = stored_[0];
    system_ = FactorySystem();
}

bool VirtualUnit::AnswersWithAck(uint8_t cmd) {
    switch (cmd) {
        case 0x0C:
        case 0x18:
        case 0x7F:
        case 0x80:
        case 0x81:
        case 0x82:
        case 0x85:
            return false;
        default:
            return true;
    }
}

ProgramImage VirtualUnit::CurrentImage() const {
    std::lock_guard<std::mutex> g(lock_);
    return current_;
}
SystemRecord VirtualUnit::System() const {
    std::lock_guard<std::mutex> g(lock_);
    return system_;
}
ProgramImage VirtualUnit::StoredProgram(int n) const {
    std::lock_guard<std::mutex> g(lock_);
    return stored_[(n >= 1 && n <= kProgramCount ? n : 1) - 1];
}
uint8_t VirtualUnit::StoreAuthority() const {
    std::lock_guard<std::mutex> g(lock_);
    return storeAuthority_;
}
void VirtualUnit::SetCurrentImage(const ProgramImage& image) {
    std::lock_guard<std::mutex> g(lock_);
    current_ = image;
}
void VirtualUnit::SetSystem(const SystemRecord& system) {
    std::lock_guard<std::mutex> g(lock_);
    system_ = system;
}

void VirtualUnit::CorruptStoredByte(int program, int offset) {
    std::lock_guard<std::mutex> g(lock_);
    corruptProgram_ = program;
    corruptOffset_ = offset;
}

void VirtualUnit::AfterStore(int n) {
    if (n != corruptProgram_ || corruptOffset_ < 0 || corruptOffset_ >= static_cast<int>(sizeof(ProgramImage)))
        return;
    ++BytesOf(stored_[n - 1])[corruptOffset_];
}

OutputChannel& VirtualUnit::Channel(int c) {
    const int scene = current_.ActiveScene >= 1 && current_.ActiveScene <= 3 ? current_.ActiveScene : 1;
    return current_.Scenes[scene - 1].Channel[c];
}

std::vector<uint8_t> VirtualUnit::StatusReply(uint8_t cmd) {
    // Meters that move like music does: each bar on its own slow swing.
    std::vector<uint8_t> p(12);
    ++meterPhase_;
    for (int i = 0; i < 12; ++i) {
        const double s = std::sin(meterPhase_ * 0.35 + i * 0.9) * 0.5 + 0.5;
        p[i] = cmd == 0x0C ? static_cast<uint8_t>(120 + s * 120) : static_cast<uint8_t>(s * 100);
    }
    return EncodeFrame(cmd, p);
}

std::vector<uint8_t> VirtualUnit::Answer(const Frame& f) {
    std::lock_guard<std::mutex> g(lock_);
    const std::vector<uint8_t>& p = f.payload;
    const int n = p.empty() ? 0 : p[0];
    const bool stored = n >= 1 && n <= kProgramCount;
    switch (f.cmd) {
        case 0x0C:
        case 0x18:
            if (!p.empty()) current_.ActiveScene = p[0];  // polls carry the program's scene
            return StatusReply(f.cmd);
        case 0x7F:
            return EncodeFrame(0x7F, {0, storeAuthority_});
        case 0x80: {
            const ProgramImage& img = n == 0 ? current_ : stored_[(stored ? n : 1) - 1];
            std::vector<uint8_t> reply(1 + kProgramNameLength);
            reply[0] = static_cast<uint8_t>(n);
            std::memcpy(reply.data() + 1, img.ProgramName, kProgramNameLength);
            return EncodeFrame(0x80, reply);
        }
        case 0x81:
            return EncodeFrame(0x81, Bytes(&system_, sizeof system_));
        case 0x82:
        case 0x85: {
            if (f.cmd == 0x85 && stored) {
                current_ = stored_[n - 1];
                system_.ProgramNumber = static_cast<uint8_t>(n);
            }
            const ProgramImage& img = f.cmd == 0x85 || !stored ? current_ : stored_[n - 1];
            std::vector<uint8_t> reply{static_cast<uint8_t>(n)};
            const auto body = Bytes(&img, sizeof img);
            reply.insert(reply.end(), body.begin(), body.end());
            return EncodeFrame(f.cmd, reply);
        }
        case 0x83:
            if (p.size() >= 1 + sizeof(SystemRecord)) Put(system_, p, 1);
            break;
        case 0x84:
            if (p.size() >= 1 + sizeof(ProgramImage)) {
                Put(n == 0 ? current_ : stored_[(stored ? n : 1) - 1], p, 1);
                if (stored) AfterStore(n);
            }
            break;
        case 0x86:
            if (stored && p.size() >= 1 + kProgramNameLength) {
                stored_[n - 1] = current_;
                std::memcpy(stored_[n - 1].ProgramName, p.data() + 1, kProgramNameLength);
                system_.ProgramNumber = static_cast<uint8_t>(n);
                AfterStore(n);
            }
            break;
        case 0x8C:  // six current, six new system password characters
            if (p.size() >= 12 && std::memcmp(p.data(), system_.SystemPassword, 6) == 0)
                std::memcpy(system_.SystemPassword, p.data() + 6, 6);
            break;
        case 0x8D:  // four current, four new panel password characters
            if (p.size() >= 8 && std::memcmp(p.data(), system_.PanelPassword, 4) == 0)
                std::memcpy(system_.PanelPassword, p.data() + 4, 4);
            break;
        default:
            ApplyParameter(f.cmd, p);
            break;
    }
    return EncodeAck(f.cmd, 0);
}

void VirtualUnit::ApplyParameter(uint8_t cmd, const std::vector<uint8_t>& p) {
    auto need = [&](size_t n) { return p.size() >= n; };
    const int i = p.empty() ? -1 : p[0];
    ProgramImage& img = current_;
    SystemRecord& sys = system_;
    switch (cmd) {
        case 0x01:  // master levels
            if (!need(2)) return;
            if (i == 0) sys.MusicMaster = p[1];
            if (i == 1) sys.MicMaster = p[1];
            if (i == 2) sys.EffectMaster = p[1];
            return;
        case 0x02:    // levels
        case 0x0B: {  // switches
            if (!need(2)) return;
            const bool level = cmd == 0x02;
            EchoBlock* echo = i < 3 ? &img.EchoA : &img.EchoB;
            if (i >= 0 && i <= 5) {
                const int k = i % 3;
                if (k == 0 && level) echo->Repeat = p[1];
                if (k == 1) (level ? echo->EffectLevel : echo->EffectSwitch) = p[1];
                if (k == 2) (level ? echo->DirectLevel : echo->DirectSwitch) = p[1];
                return;
            }
            if (i == 6) (level ? img.Reverb.EffectLevel : img.Reverb.EffectSwitch) = p[1];
            if (i == 7) (level ? img.Reverb.DirectLevel : img.Reverb.DirectSwitch) = p[1];
            int pos = -1, source = 0;
            if (i >= 8 && i <= 32) pos = (i - 8) / 5, source = (i - 8) % 5;
            if (i >= 43 && i <= 57) pos = 5 + (i - 43) / 5, source = (i - 43) % 5;
            if (pos >= 0) {
                uint8_t* ch = BytesOf(Channel(kMixOrder[pos]));
                ch[1 + 2 * source + (level ? 0 : 1)] = p[1];
            }
            return;
        }
        case 0x03: {  // EQ bands
            if (!need(6)) return;
            EqBand* band = nullptr;
            if (i < 15)
                band = &img.MusicLeft.Eq[i];
            else if (i < 20)
                band = &img.MusicLeft.AuxBands[i - 15];
            else if (i < 35)
                band = &img.MusicRight.Eq[i - 20];
            else if (i < 40)
                band = &img.MusicRight.AuxBands[i - 35];
            else if (i < 60)
                band = &img.Mic12.Eq[i - 40];
            else if (i < 65)
                band = &img.Mic12.AuxBands[i - 60];
            else if (i < 85)
                band = &img.Mic34.Eq[i - 65];
            else if (i < 90)
                band = &img.Mic34.AuxBands[i - 85];
            else if (i < 97)
                band = &img.EchoA.Eq[i - 90];
            else if (i < 104)
                band = &img.Reverb.Eq[i - 97];
            else if (i < 111)
                band = &img.EchoB.Eq[i - 104];
            else if (i < 191)
                band = &Channel((i - 111) / 10).Eq[(i - 111) % 10];
            if (band) Put(*band, p, 1);
            return;
        }
        case 0x04: {  // filters: the Kind byte says which of the slot's two
            if (!need(5)) return;
            FilterSetting* hp = nullptr;
            FilterSetting* lp = nullptr;
            switch (i) {
                case 0:
                    hp = &img.MusicLeft.HighPass, lp = &img.MusicLeft.LowPass;
                    break;
                case 1:
                    hp = &img.MusicRight.HighPass, lp = &img.MusicRight.LowPass;
                    break;
                case 2:
                    hp = &img.Mic12.HighPass, lp = &img.Mic12.LowPass;
                    break;
                case 3:
                    hp = &img.Mic34.HighPass, lp = &img.Mic34.LowPass;
                    break;
                case 4:
                    hp = &img.EchoA.HighPass, lp = &img.EchoA.LowPass;
                    break;
                case 5:
                    hp = &img.Reverb.HighPass, lp = &img.Reverb.LowPass;
                    break;
                case 6:
                    hp = &img.EchoB.HighPass, lp = &img.EchoB.LowPass;
                    break;
                case 15:
                    hp = lp = &img.MusicLeft.MainHighPass;
                    break;
                case 16:
                    hp = lp = &img.MusicRight.MainHighPass;
                    break;
                default:
                    if (i >= 7 && i <= 14) hp = &Channel(i - 7).HighPass, lp = &Channel(i - 7).LowPass;
            }
            if (hp) Put(p[1] == FilterKindLowPass ? *lp : *hp, p, 1);
            return;
        }
        case 0x05: {  // times
            if (!need(3)) return;
            const uint16_t v = static_cast<uint16_t>(p[1] | (p[2] << 8));
            if (i >= 0 && i <= 7) {
                EchoBlock& e = i < 4 ? img.EchoA : img.EchoB;
                Le16* t[4] = {&e.PreDelay, &e.RightPreDelay, &e.Delay, &e.RightDelay};
                *t[i % 4] = v;
            }
            if (i == 8) img.Reverb.PreDelay = v;
            if (i == 9) img.Reverb.ReverbTime = v;
            if (i >= 10 && i <= 17) Channel(i - 10).Delay = v;
            return;
        }
        case 0x06:  // feedback suppression
            if (!need(3)) return;
            (i == 0 ? img.Mic12 : img.Mic34).FeedbackSuppress = p[2];
            return;
        case 0x07: {  // compressors and limiters
            if (!need(5)) return;
            CompressorSetting* c = nullptr;
            if (i == 0) c = &img.Mic12.Compressor;
            if (i == 1) c = &img.Mic34.Compressor;
            if (i >= 2 && i <= 6) c = &Channel(kLimiterChannel[i - 2]).Limiter;
            if (i == 7) c = &img.MusicLeft.Compressor;
            if (c) Put(*c, p, 1);
            return;
        }
        case 0x08:  // mutes
            if (need(2) && i >= 0 && i < 8) Channel(i).Mute = p[1];
            return;
        case 0x09:  // key shift
            if (need(1)) SetKeyShift(sys, p[0]);
            return;
        case 0x0A: {  // noise gates
            if (!need(4)) return;
            GateSetting* gate = i == 0   ? &img.Mic12.Gate
                                : i == 1 ? &img.Mic34.Gate
                                : i == 2 ? &img.MusicLeft.Gate
                                         : nullptr;
            if (gate) Put(*gate, p, 1);
            return;
        }
        case 0x0D:
            if (need(1)) sys.InputSelect = p[0];
            return;
        case 0x11:  // dynamic EQ
            if (!need(11) || i < 0 || i > 5) return;
            Put((i < 3 ? img.MusicLeft : img.MusicRight).DynEq[i % 3], p, 1);
            return;
        case 0x12: {  // exciters: [index, on, frequency, harmonic, timbre]
            if (!need(6) || i < 0 || i > 7) return;
            MusicBlock* music[2] = {&img.MusicLeft, &img.MusicRight};
            MicBlock* mic[2] = {&img.Mic12, &img.Mic34};
            const int k = i % 4;
            const bool high = i < 4;
            ExciterSetting& e = k < 2 ? (high ? music[k]->HighExciter : music[k]->LowExciter)
                                      : (high ? mic[k - 2]->HighExciter : mic[k - 2]->LowExciter);
            e.FrequencyCode = static_cast<uint16_t>(p[2] | (p[3] << 8));
            e.Harmonic = p[4];
            e.Timbre = p[5];
            return;
        }
        case 0x13:  // input settings
            if (!need(2)) return;
            switch (i) {
                case 0:
                    SetAnalogSensitivity(sys, p[1]);
                    break;
                case 1:
                    img.Mic12.MicLevel = p[1];
                    break;
                case 2:
                    img.Mic34.MicLevel = p[1];
                    break;
                case 3:
                    sys.VodInputGain = p[1];
                    break;
                case 4:
                    sys.BgmInputGain = p[1];
                    break;
                case 5:
                    sys.CoaxInputGain = p[1];
                    break;
                case 6:
                    sys.OptiInputGain = p[1];
                    break;
            }
            return;
        case 0x14: {  // bypass switches
            if (!need(2)) return;
            uint8_t* b = nullptr;
            switch (i) {
                case 0:
                    b = &img.MusicLeft.EqBypass;
                    break;
                case 1:
                    b = &img.MusicLeft.AuxBypass;
                    break;
                case 2:
                    b = &img.MusicRight.EqBypass;
                    break;
                case 3:
                    b = &img.MusicRight.AuxBypass;
                    break;
                case 4:
                    b = &img.Mic12.EqBypass;
                    break;
                case 5:
                    b = &img.Mic12.AuxBypass;
                    break;
                case 6:
                    b = &img.Mic34.EqBypass;
                    break;
                case 7:
                    b = &img.Mic34.AuxBypass;
                    break;
                case 8:
                    b = &img.EchoA.EqBypass;
                    break;
                case 9:
                    b = &img.Reverb.EqBypass;
                    break;
                case 10:
                    b = &img.EchoB.EqBypass;
                    break;
                default:
                    if (i >= 11 && i <= 18) b = &Channel(i - 11).EqBypass;
            }
            if (b) *b = p[1];
            return;
        }
        case 0x87: {  // links
            if (!need(2)) return;
            uint8_t* links[6] = {&img.MicLink,   &img.MusicLink, &img.Out34Link,
                                 &img.SpareLink, &img.Out12Link, &img.SurroundLink};
            if (i < 0 || i >= 6) return;
            // Unlinking, the unit copies the leading channel over its partner, as the program does.
            if (*links[i] != 0 && p[1] == 0) CopyLinkedChannel(img, i);
            *links[i] = p[1];
            return;
        }
        case 0x89:  // maximum levels
            if (!need(2)) return;
            if (i == 0) sys.MusicMax = p[1];
            if (i == 1) sys.MicMax = p[1];
            if (i == 2) sys.EffectMax = p[1];
            return;
        case 0x8A:
            if (need(1)) sys.Phantom = p[0];
            return;
        case 0x8B:
            if (need(1)) sys.IrRemote = p[0];
            return;
        case 0x8E:
            if (need(1)) img.ActiveScene = p[0];
            return;
        default:
            return;  // a command this unit does not know: acknowledged, nothing changes
    }
}

}  // namespace pavo::unit
