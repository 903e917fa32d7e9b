#include "protocol/ProtocolHandler.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "protocol/Command.h"
#include "protocol/CommandCodes.h"

namespace pavo {

namespace {

bool IsStartByte(uint8_t b) {
    return b == 0xFF || b == 0x55 || b == 0x03 || b == 0xCC;
}
bool OpensFrame(uint8_t b) {
    return b == 0x55 || b == 0xCC;
}

uint16_t WritePosition(const FrameRecord& in) {
    return static_cast<uint16_t>(in[incoming::kWritePosition] | (in[incoming::kWritePosition + 1] << 8));
}
// The bytes of the frame assembled so far, as the traffic trace shows them.
size_t AssembledSize(const FrameRecord& in) {
    return std::min<size_t>(WritePosition(in), kFrameAreaSize);
}
void SetWritePosition(FrameRecord& in, size_t pos) {
    in[incoming::kWritePosition] = static_cast<uint8_t>(pos & 0xFF);
    in[incoming::kWritePosition + 1] = static_cast<uint8_t>(pos >> 8);
}
size_t LenCopy(const FrameRecord& in) {
    return in[incoming::kLenLowCopy] | (in[incoming::kLenHighCopy] << 8);
}

// The offset of the last payload byte a frame carries is LEN + 2; a data reply is used only when it
// carries every byte its row reads, so a short frame never stores stale record bytes into the model.
constexpr size_t kMinimumLen = 2;  // CMD and SUM

bool Carries(const FrameRecord& in, size_t lastOffset) {
    return lastOffset <= size_t{in.Len()} + 2;
}

constexpr size_t kSystemFirst = 5;        // system record: bytes 5..70
constexpr size_t kProgramFirst = 6;       // program image: bytes 6..2717
constexpr size_t kNameFirst = 6;          // program name: bytes 6..25
constexpr size_t kStatusFirst = 5;        // status values: bytes 5..16
constexpr size_t kPasswordEntryUnit = 8;  // entry bytes 8..11 take the unit's ...
constexpr size_t kSystemPasswordOffset = offsetof(SystemRecord, SystemPassword);  // ... bytes 19..22

}  // namespace

ProtocolHandler::ProtocolHandler(Model& model, ReplyEvents* events) : model_(model), events_(events) {
    outgoing_.Reset();
}

ProtocolHandler::~ProtocolHandler() = default;

void ProtocolHandler::ResetFrames() {
    SendLockGuard guard(sendLock_);
    outgoing_.Reset();
    incoming_.bytes.fill(0);
}

int ProtocolHandler::ScanForChange() {
    SendLockGuard guard(sendLock_);
    return pavo::ScanForChange(model_, outgoing_);
}

int ProtocolHandler::QueueCommand(unsigned command, unsigned argument) {
    return pavo::QueueCommand(model_, queue_, command, argument);
}

int ProtocolHandler::QueueProgramRead(int number) {
    return pavo::QueueProgramRead(queue_, number);
}

TraceSink* ProtocolHandler::InstallTraceSink(TraceSink* sink) {
    SendLockGuard guard(sendLock_);
    return trace_.exchange(sink, std::memory_order_acq_rel);
}

void ProtocolHandler::RemoveTraceSink(TraceSink* sink) {
    SendLockGuard guard(sendLock_);
    trace_.compare_exchange_strong(sink, nullptr, std::memory_order_acq_rel);
}

void ProtocolHandler::ClearFrames(int /*link*/, bool includingOutgoing) {
    SendLockGuard guard(sendLock_);
    incoming_.bytes.fill(0);
    if (includingOutgoing) outgoing_.ClearFrom(kFrameHeaderSize);
}

// Collects bytes into the incoming record from its write position on. Sets `used` to the bytes taken
// (up to and including the SUM of a completed frame).
ProtocolHandler::Assembly ProtocolHandler::Assemble(FrameRecord& in, const uint8_t* bytes, size_t count,
                                                    size_t& used) {
    size_t pos = WritePosition(in);
    Assembly result = Assembly::Incomplete;
    size_t i = 0;
    for (; i < count; ++i) {
        const uint8_t b = bytes[i];
        if (pos >= kFrameAreaSize) {  // a run of start bytes filled the frame area
            result = Assembly::Invalid;
            break;
        }
        if (!in[incoming::kInFrame]) {
            if (!IsStartByte(b)) continue;  // noise between frames
            in[pos++] = b;
            if (OpensFrame(b)) in[incoming::kInFrame] = 1;
            continue;
        }
        in[pos] = b;
        if (pos == 2) in[incoming::kLenLowCopy] = b;
        if (pos == 3) in[incoming::kLenHighCopy] = b;
        ++pos;
        if (pos < kFrameHeaderSize) continue;
        const size_t len = LenCopy(in);
        const size_t end = len + kFrameHeaderSize;
        // A LEN below 2 has no room for CMD and SUM: not a frame.
        if (len < kMinimumLen) {
            result = Assembly::Invalid;
            break;
        }
        if (pos == end) {
            in[incoming::kReceivedSum] = b;
            result = Assembly::Complete;
            ++i;
            break;
        }
        // A LEN beyond the frame area, or a frame shifted by stray start bytes past its own end, can
        // never complete inside the record.
        if (end > kFrameAreaSize || pos > end) {
            result = Assembly::Invalid;
            break;
        }
    }
    SetWritePosition(in, pos);
    used = i;
    if (result != Assembly::Incomplete) in[incoming::kInFrame] = 0;
    return result;
}

int ProtocolHandler::FeedBytes(int link, const uint8_t* bytes, size_t count) {
    SendLockGuard guard(sendLock_);
    FrameRecord& in = incoming_;
    // A rejected frame stays in the record until the engine clears it; nothing more is taken till then.
    if (!bytes || in[incoming::kRejected]) return 0;
    FrameRecord& out = outgoing_;

    for (;;) {
        size_t used = 0;
        const Assembly assembly = Assemble(in, bytes, count, used);
        bytes += used;
        count -= used;
        if (assembly == Assembly::Incomplete) return 0;
        if (assembly == Assembly::Invalid || !SumMatches(in)) {
            in[incoming::kRejected] = 1;
            Trace(TraceKind::Rejected, out.Cmd(), 0, in.data(), AssembledSize(in));
            return 0;
        }
        if (!DropIfLate(in, out)) break;
        Trace(TraceKind::LateReply, out.Cmd(), 0, in.data(), AssembledSize(in));
        // The reply to the frame in flight may follow in the same bytes.
        RestartAssembly(in);
    }
    // Bytes after the accepted frame are dropped: the engine purges them from the port too.
    if (!Accept(in, out)) {
        in[incoming::kRejected] = 1;
        Trace(TraceKind::Rejected, out.Cmd(), 0, in.data(), AssembledSize(in));
        return 0;
    }
    Trace(TraceKind::Accepted, out.Cmd(), 0, in.data(), AssembledSize(in));
    if (out[outgoing::kAckTransfer] == 1) model_.flags.transferPending = 0;
    ClearFrames(link, true);
    return 1;
}

bool ProtocolHandler::SumMatches(const FrameRecord& in) {
    const uint16_t len = in.Len();
    return FrameSum(in, len + 1u) == in[len + 3u];
}

// A reply with data of its own (the lookup's, a name, the system record, a program image) answers
// only the command of the same code. Arriving while another command is in flight, it is the late
// answer to a frame that was given up or repeated; taken as the reply it would put old data over the
// model (undoing edits already sent) and leave every later exchange one reply behind. It is neither
// applied nor accepted. Acknowledgements, status replies and codes without data stay accepted
// whatever is in flight.
bool ProtocolHandler::DropIfLate(const FrameRecord& in, const FrameRecord& out) {
    switch (in.Cmd()) {
        case CmdLookup:
        case CmdReadNames:
        case CmdReadSystem:
        case CmdReadPrograms:
        case CmdRecall:
            break;
        default:
            return false;
    }
    if (in.Cmd() == out.Cmd()) return false;
    lateReplies_.fetch_add(1, std::memory_order_relaxed);
    return true;
}

// Back to waiting for a frame start; the engine's retry count in the record is its own and stays.
void ProtocolHandler::RestartAssembly(FrameRecord& in) {
    const uint8_t retries = in[incoming::kRetryCounter];
    in.bytes.fill(0);
    in[incoming::kRetryCounter] = retries;
}

bool ProtocolHandler::Accept(const FrameRecord& in, const FrameRecord& out) {
    const uint16_t len = in.Len();
    if (len == 3 && in.Cmd() == out.Cmd()) {
        const uint8_t status = in[5];
        return !(status >= 1 && status <= 3);  // 1..3: negative acknowledgement
    }
    Dispatch(in, out);
    return true;
}

void ProtocolHandler::Dispatch(const FrameRecord& in, const FrameRecord& out) {
    Model& m = model_;
    ReplyEvents* events = events_.load();
    const uint8_t n = in[5];
    switch (in.Cmd()) {
        case CmdStatusA:
        case CmdStatusB:
            StatusReply(in, in.Cmd() == CmdStatusA);
            break;
        case CmdLookup:
            if (!Carries(in, 6)) break;
            m.flags.storeAuthority = in[6];
            if (events) events->DeviceFound();
            break;
        case CmdReadNames: {
            if (!Carries(in, kNameFirst + kProgramNameLength - 1) || n > kProgramCount) break;
            std::lock_guard<std::mutex> modelGuard(m.Lock());
            uint8_t* name = n == 0 ? m.current.ProgramName : m.bank.Programs[n - 1].ProgramName;
            std::memcpy(name, in.data() + kNameFirst, kProgramNameLength);
            break;
        }
        case CmdReadSystem: {
            if (!Carries(in, kSystemFirst + sizeof(SystemRecord) - 1)) break;
            {
                std::lock_guard<std::mutex> modelGuard(m.Lock());
                std::memcpy(BytesOf(m.system), in.data() + kSystemFirst, sizeof(SystemRecord));
                CopyRecord(m.lastSentSystem, m.system);
                std::memcpy(m.passwordEntry.data() + kPasswordEntryUnit,
                            BytesOf(m.system) + kSystemPasswordOffset, 4);
                std::fill(m.passwordEntry.begin() + 14, m.passwordEntry.begin() + 18, uint8_t{' '});
                m.passwordEntry[20] = 0;
            }
            if (events) events->SystemReceived();
            break;
        }
        case CmdReadPrograms:
            ProgramReply(in, out);
            break;
        case CmdRecall:
            if (!Carries(in, kProgramFirst + sizeof(ProgramImage) - 1)) break;
            {
                std::lock_guard<std::mutex> modelGuard(m.Lock());
                std::memcpy(BytesOf(m.current), in.data() + kProgramFirst, sizeof(ProgramImage));
                CopyRecord(m.lastSent, m.current);
            }
            m.RecordsReplaced();
            if (events) events->ProgramReceived(ProgramSource::Recall);
            break;
        default:
            break;
    }
}

void ProtocolHandler::StatusReply(const FrameRecord& in, bool areaA) {
    if (!Carries(in, kStatusFirst + kStatusMeterCount - 1)) return;
    Model& m = model_;
    StatusState& s = m.status;
    int page;
    {
        std::lock_guard<std::mutex> modelGuard(m.Lock());
        auto& area = areaA ? s.areaA : s.areaB;
        std::memcpy(area.data(), in.data() + kStatusFirst, kStatusMeterCount);
        page = m.pages.CurrentPage;
    }
    int expected = 1;
    if (page == kSystemPageIndex && s.messageFlag.compare_exchange_strong(expected, 0))
        if (ReplyEvents* events = events_.load())
            events->StatusReceived(areaA ? StatusArea::Levels : StatusArea::Indicators);
}

// A program image: n = 0 is the current program; 1..21 a stored program, filed under the number the
// request asked for.
void ProtocolHandler::ProgramReply(const FrameRecord& in, const FrameRecord& out) {
    if (!Carries(in, kProgramFirst + sizeof(ProgramImage) - 1)) return;
    Model& m = model_;
    ReplyEvents* events = events_.load();
    const uint8_t n = in[5];
    if (n == 0) {
        {
            std::lock_guard<std::mutex> modelGuard(m.Lock());
            std::memcpy(BytesOf(m.current), in.data() + kProgramFirst, sizeof(ProgramImage));
            CopyRecord(m.lastSent, m.current);  // declared sent, as AcceptProgram(false) does
        }
        m.RecordsReplaced();
        if (events) events->ProgramReceived(ProgramSource::Read);
        return;
    }
    const uint8_t requested = out[5];
    if (n != requested && events) events->WrongProgramNumber(n, requested);
    if (requested < 1 || requested > kProgramCount) return;  // no stored program to file it under
    {
        std::lock_guard<std::mutex> modelGuard(m.Lock());
        std::memcpy(BytesOf(m.bank.Programs[requested - 1]), in.data() + kProgramFirst, sizeof(ProgramImage));
    }
    if (!events) return;
    events->StoredProgramReceived(requested);
    // A program read on its own (the preset library's) ends no bank read, whichever it is.
    if (n == kProgramCount && out[outgoing::kSingleRead] != 1) events->AllProgramsReceived();
}

}  // namespace pavo
