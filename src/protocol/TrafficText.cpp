#include "protocol/TrafficText.h"

#include <cstdio>
#include <ctime>
#include <string_view>

#include "model/Blocks.h"
#include "model/DataConver.h"
#include "protocol/CommandCodes.h"
#include "protocol/FrameFields.h"
#include "protocol/FrameRecord.h"

namespace pavo {

namespace {

constexpr size_t kPayloadStart = 5;

struct Named {
    uint8_t cmd;
    const char* name;
};
constexpr Named kCommandNames[] = {
    {CmdMasterLevel, "Master level"},
    {CmdLevel, "Level"},
    {CmdEqBand, "EQ band"},
    {CmdFilter, "Filter"},
    {CmdTime, "Time"},
    {CmdFeedback, "Feedback suppression"},
    {CmdCompressor, "Compressor"},
    {CmdMute, "Mute"},
    {CmdKeyShift, "Key shift"},
    {CmdGate, "Noise gate"},
    {CmdSwitch, "Switch"},
    {CmdStatusA, "Status poll A"},
    {CmdInputSelect, "Input select"},
    {CmdDynEq, "Dynamic EQ"},
    {CmdExciter, "Exciter"},
    {CmdInputSetting, "Input setting"},
    {CmdBypass, "Bypass"},
    {CmdStatusB, "Status poll B"},
    {CmdLookup, "Device lookup"},
    {CmdReadNames, "Read program name"},
    {CmdReadSystem, "Read system record"},
    {CmdReadPrograms, "Read program"},
    {CmdSendSystem, "Send system record"},
    {CmdSendPrograms, "Send program"},
    {CmdRecall, "Recall"},
    {CmdStore, "Store"},
    {CmdLink, "Link"},
    {CmdMaxLevel, "Maximum level"},
    {CmdPhantom, "Phantom power"},
    {CmdIrRemote, "IR remote"},
    {CmdSystemPassword, "Change system password"},
    {CmdPanelPassword, "Change panel password"},
    {CmdScene, "Scene"},
};

bool IsStatusPoll(uint8_t cmd) {
    return cmd == CmdStatusA || cmd == CmdStatusB;
}

// The frame's LEN, CMD and payload, when the bytes hold a whole frame.
struct FrameView {
    uint16_t len = 0;
    uint8_t cmd = 0;
    std::span<const uint8_t> payload;
    bool whole = false;

    explicit FrameView(std::span<const uint8_t> f) {
        if (f.size() < kFrameHeaderSize) return;
        len = static_cast<uint16_t>(f[2] | (f[3] << 8));
        if (f.size() > 4) cmd = f[4];
        whole = len >= 2 && f.size() == size_t{len} + kFrameHeaderSize;
        if (whole) payload = f.subspan(kPayloadStart, len - 2u);
    }
    uint8_t At(size_t i) const { return i < payload.size() ? payload[i] : 0; }
};

uint8_t SumOf(std::span<const uint8_t> frame) {
    unsigned sum = 0;
    for (size_t i = 2; i + 1 < frame.size(); ++i) sum += frame[i];
    return static_cast<uint8_t>(sum);
}

}  // namespace

std::string QuotedName(std::span<const uint8_t> field) {
    const std::string trimmed = TextFromBytes(field.data(), field.size());
    std::string out = "\"";
    for (unsigned char c : trimmed) {
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char esc[5];
            std::snprintf(esc, sizeof esc, "\\x%02X", c);
            out += esc;
        }
    }
    return out + "\"";
}

namespace {

std::string NameAt(const FrameView& f, size_t from) {
    if (f.payload.size() < from + kProgramNameLength) return {};
    return " " + QuotedName(f.payload.subspan(from, kProgramNameLength));
}

std::string ProgramText(int n) {
    return n == 0 ? "current program" : "program " + ProgramNumberText(n);
}

std::string Decimal(std::span<const uint8_t> bytes) {
    std::string out;
    for (uint8_t b : bytes) out += (out.empty() ? "" : " ") + std::to_string(b);
    return out;
}

}  // namespace

std::string CommandName(uint8_t cmd) {
    for (const Named& n : kCommandNames)
        if (n.cmd == cmd) return n.name;
    char text[16];
    std::snprintf(text, sizeof text, "CMD 0x%02X", cmd);
    return text;
}

std::string HexBytes(std::span<const uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 3);
    for (uint8_t b : bytes) {
        if (!out.empty()) out += ' ';
        out += kDigits[b >> 4];
        out += kDigits[b & 0x0F];
    }
    return out;
}

std::string TimeOfDay(std::chrono::system_clock::time_point at) {
    using namespace std::chrono;
    const time_t seconds = system_clock::to_time_t(at);
    const auto ms = duration_cast<milliseconds>(at.time_since_epoch()).count() % 1000;
    tm local{};
    localtime_r(&seconds, &local);
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(ms < 0 ? ms + 1000 : ms));
    return text;
}

std::string FormatTrafficLine(const TrafficLine& line) {
    return line.time + '\t' + line.direction + '\t' + line.hex + '\t' + line.text;
}

TrafficLine TrafficDecoder::Describe(const TraceRecord& r) {
    TrafficLine line;
    line.time = TimeOfDay(r.at);
    const std::span<const uint8_t> bytes(r.bytes);
    const std::string sent = CommandName(r.sentCmd);
    switch (r.kind) {
        case TraceKind::Written:
            line.direction = "TX";
            line.hex = HexBytes(bytes);
            line.text = DescribeWritten(bytes);
            line.statusPoll = bytes.size() > 4 && IsStatusPoll(bytes[4]);
            break;
        case TraceKind::Accepted:
            line.direction = "RX";
            line.hex = HexBytes(bytes);
            line.text = DescribeAccepted(bytes, r.sentCmd);
            line.statusPoll = bytes.size() > 4 && IsStatusPoll(bytes[4]) && IsStatusPoll(r.sentCmd);
            break;
        case TraceKind::Rejected: {
            line.direction = "RX";
            line.hex = HexBytes(bytes);
            const FrameView f(bytes);
            char text[96];
            if (!f.whole) {
                std::snprintf(text, sizeof text, "invalid frame (LEN %u, %zu bytes): reply to %s refused",
                              f.len, bytes.size(), sent.c_str());
            } else if (const uint8_t expected = SumOf(bytes); expected != bytes.back()) {
                std::snprintf(text, sizeof text,
                              "checksum error: SUM %02X, expected %02X: reply to %s refused", bytes.back(),
                              expected, sent.c_str());
            } else if (f.len == 3 && f.cmd == r.sentCmd) {
                std::snprintf(text, sizeof text, "NACK %u %s", f.At(0), sent.c_str());
            } else {
                std::snprintf(text, sizeof text, "reply to %s refused", sent.c_str());
            }
            line.text = text;
            break;
        }
        case TraceKind::NoReply:
            line.direction = "--";
            line.text = "time-out: no reply to " + sent + " (attempt " + std::to_string(r.value) + " of 3)";
            break;
        case TraceKind::Repeat:
            line.direction = "--";
            line.text = "retry " + std::to_string(r.value) + ": " + sent + " written again";
            break;
        case TraceKind::LinkFailed:
            line.direction = "--";
            line.text =
                r.value == 1 ? "link failure: no unit answered the device lookup" : "link failure on " + sent;
            if (!r.note.empty()) line.text += " (" + r.note + ")";
            break;
        case TraceKind::LateReply: {
            line.direction = "RX";
            line.hex = HexBytes(bytes);
            const FrameView f(bytes);
            line.text = "late " + CommandName(f.cmd) + " reply dropped (" + sent + " in flight)";
            break;
        }
    }
    return line;
}

std::string TrafficDecoder::DescribeWritten(std::span<const uint8_t> bytes) {
    const FrameView f(bytes);
    const std::string name = CommandName(f.cmd);
    if (!f.whole) return name + " (incomplete frame)";
    const int n = f.At(0);
    requested_ = n;
    switch (f.cmd) {
        case CmdStatusA:
        case CmdStatusB:
            scene_ = n >= 1 && n <= 3 ? n : 1;
            return name + ", scene " + std::to_string(n);
        case CmdScene:
            scene_ = n >= 1 && n <= 3 ? n : 1;
            return name + " " + DescribeFrameFields(f.cmd, f.payload, scene_);
        case CmdLookup:
        case CmdReadSystem:
            return name;
        case CmdReadNames:
            return name + " " + (n == 0 ? std::string("0 (current program)") : ProgramNumberText(n));
        case CmdReadPrograms:
            return "Read " + ProgramText(n);
        case CmdSendSystem:
            return name;
        case CmdSendPrograms:
            return "Send " + ProgramText(n) + NameAt(f, 1);
        case CmdRecall:
            return "Recall program " + ProgramNumberText(n);
        case CmdStore:
            return "Store as program " + ProgramNumberText(n) + NameAt(f, 1);
        case CmdSystemPassword:
        case CmdPanelPassword:
            return name;
        default: {
            // A parameter: its fields by name, in engineering units.
            const std::string fields = DescribeFrameFields(f.cmd, f.payload, scene_);
            if (f.cmd == CmdScene || f.cmd == CmdKeyShift || f.cmd == CmdInputSelect || f.cmd == CmdPhantom ||
                f.cmd == CmdIrRemote)
                return fields.empty() ? name + ": " + Decimal(f.payload) : name + " " + fields;
            if (fields.empty()) return name + " " + std::to_string(n) + ": " + Decimal(f.payload.subspan(1));
            return name + " " + std::to_string(n) + " " + fields;
        }
    }
}

std::string TrafficDecoder::DescribeAccepted(std::span<const uint8_t> bytes, uint8_t sentCmd) {
    const FrameView f(bytes);
    const std::string name = CommandName(f.cmd);
    if (!f.whole) return name + " (incomplete frame)";
    if (f.len == 3 && f.cmd == sentCmd)
        return f.At(0) == 0 ? "ack " + name : "ack " + name + " (status " + std::to_string(f.At(0)) + ")";
    const int n = f.At(0);
    switch (f.cmd) {
        case CmdStatusA:
        case CmdStatusB:
            return std::string(f.cmd == CmdStatusA ? "Status A: " : "Status B: ") + Decimal(f.payload);
        case CmdLookup:
            return std::string("Device found, store authority ") + (f.At(1) ? "yes" : "no");
        case CmdReadNames:
            return "Name of " + ProgramText(n) + ":" + NameAt(f, 1);
        case CmdReadSystem:
            return "System record, program " + ProgramNumberText(n);
        case CmdReadPrograms: {
            std::string text = "Image of " + ProgramText(n) + NameAt(f, 1);
            if (n != 0 && n != requested_)
                text += " (program " + ProgramNumberText(requested_) + " was asked for)";
            return text;
        }
        case CmdRecall:
            return "Recalled program" + NameAt(f, 1);
        default:
            return name + " reply: " + Decimal(f.payload);
    }
}

}  // namespace pavo
