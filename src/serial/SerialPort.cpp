#include "serial/SerialPort.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "protocol/Command.h"
#include "protocol/FrameRecord.h"
#include "protocol/ProtocolHandler.h"
#include "protocol/TraceSink.h"

namespace pavo {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kLink = 1;               // the program's one serial link
constexpr int kCyclePauseMs = 20;      // ends every exchange cycle
constexpr int kBulkPauseMs = 1000;     // after writing a bulk frame
constexpr int kLongPauseMs = 3000;     // after writing a long-pause frame
constexpr int kWriteTimeoutMs = 1000;  // for one frame to leave
constexpr int kEmptyPollMs = 100;
constexpr int kMaxEmptyPolls = 5;   // after the wait, five polls for the rest of the reply
constexpr int kMaxRetries = 2;      // an unanswered frame is repeated twice; a third is a link failure
constexpr int kMaxReadRetries = 1;  // a failed read is repeated once; a second is a link failure
constexpr size_t kMinBufferSize = kFrameRecordSize;

// How long to wait for the next event: 1000 ms while no reply is awaited, 2000 ms for the reply to a
// bulk frame, 500 ms for any other reply.
int WaitTimeFor(const FrameRecord& out) {
    if (out[outgoing::kReplyAwaited] == 0) return 1000;
    return out[outgoing::kBulk] == 1 ? 2000 : 500;
}

// The reply window of a frame just written: the wait plus the empty polls, about a second for an
// ordinary frame. It is a deadline: bytes that keep coming without forming a reply (another device
// talking on the line) do not stretch it, or such a port would never be given up.
std::chrono::milliseconds ReplyWindowFor(const FrameRecord& out) {
    return std::chrono::milliseconds(WaitTimeFor(out) + kMaxEmptyPolls * kEmptyPollMs);
}

}  // namespace

SerialPort::SerialPort(ProtocolHandler& handler, LinkEvents* events) : handler_(handler), listener_(events) {}

SerialPort::~SerialPort() {
    ClosePort();
}

PortError SerialPort::LastError() const {
    std::lock_guard<std::mutex> guard(errorLock_);
    return lastError_;
}

void SerialPort::SetLastError(PortError error) {
    std::lock_guard<std::mutex> guard(errorLock_);
    lastError_ = std::move(error);
}

bool SerialPort::IsOpen() const {
    std::lock_guard<std::mutex> port(portLock_);
    return line_.IsOpen();
}

PortError SerialPort::OpenPort(const std::string& device, unsigned baud, char parity, int dataBits,
                               int stopBits, unsigned /*eventMask*/, size_t bufferSize) {
    ClosePort();
    const size_t size = std::max(bufferSize, kMinBufferSize);
    writeBuffer_.assign(size, 0);
    readBuffer_.assign(size, 0);
    events_.ResetAll();

    std::lock_guard<std::mutex> port(portLock_);
    const LineSettings settings{baud, ParityFromLetter(parity), dataBits, StopBitsFromCode(stopBits)};
    portNumber_ = PortNumberOf(device);
    if (device.empty()) {
        SetLastError({LinkFault::NoPort, 0, ""});
        return LastError();
    }
    if (!line_.Open(DevicePathFor(device))) {
        SetLastError(PortError::FromOpenErrno(errno));
        return LastError();
    }
    SetLastError({});
    // A setting the port refuses is reported, and the port stays open, as the connection code expects.
    LineError error;
    if (!line_.Configure(settings, error))
        ReportWarning(error.operation.c_str(), error.code, LinkFault::Settings);
    line_.PurgeBoth();
    return {};
}

int SerialPort::StartEngine() {
    if (thread_.joinable()) {
        if (alive_) return 1;
        thread_.join();  // the previous run ended after a link failure
    }
    if (!IsOpen()) return 0;
    stop_ = false;
    alive_ = true;
    events_.ResetAll();
    try {
        thread_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        alive_ = false;
        return 0;
    }
    events_.Reset(EngineEvent::Write);
    events_.Signal(EngineEvent::AddData);
    return 1;
}

int SerialPort::ClosePort() {
    if (thread_.joinable()) {
        events_.Signal(EngineEvent::Shutdown);
        if (thread_.get_id() == std::this_thread::get_id()) return 1;  // never from the worker itself
        thread_.join();
    }
    alive_ = false;
    {
        std::lock_guard<std::mutex> port(portLock_);
        line_.Close();
    }
    events_.ResetAll();
    return 1;
}

void SerialPort::Run() {
    {
        // A new run starts from clean frame records: nothing half-received, no control bytes of a
        // frame that went out on an earlier connection.
        SendLockGuard guard(handler_.SendLock());
        handler_.ClearFrames(kLink, true);
        std::lock_guard<std::mutex> port(portLock_);
        line_.PurgeBoth();
    }
    const int fd = line_.Fd();  // fixed while the worker runs
    for (;;) {
        if (stop_) break;
        int waitMs;
        {
            SendLockGuard guard(handler_.SendLock());
            waitMs = WaitTimeFor(handler_.Outgoing());
        }
        const EngineEvent event = events_.Wait(fd, waitMs);

        std::unique_lock<SendLockMutex> sendLock(handler_.SendLock());
        switch (event) {
            case EngineEvent::Shutdown:
                alive_ = false;
                return;
            case EngineEvent::Write:
                WritePath(sendLock);
                break;
            case EngineEvent::AddData:
                HandleAddData();
                break;
            case EngineEvent::Io:
            case EngineEvent::Timeout:
                ReadPath(sendLock);
                // One pause per exchange, after the reply (or the repeat decision): the unit gets its
                // breather, and whoever waits for the send lock meanwhile (a queued command, an edit
                // checked against transfers) its turn, so that the next scan already sends it.
                if (!stop_) PauseUnlocked(sendLock, kCyclePauseMs);
                break;
            case EngineEvent::DeviceGone:
                LinkFailure({LinkFault::Unplugged, 0, "poll()"});
                break;
        }
    }
    alive_ = false;
}

void SerialPort::HandleAddData() {
    if (handler_.HasItems())
        handler_.PopInto(handler_.Outgoing());
    else
        handler_.ScanForChange();
    events_.Reset(EngineEvent::AddData);
    events_.Signal(EngineEvent::Write);
}

bool SerialPort::WriteFrame(const uint8_t* bytes, size_t n, int& err) {
    err = 0;
    while (n > 0) {
        const long w = line_.WriteSome(bytes, n);
        if (w > 0) {
            bytes += w;
            n -= static_cast<size_t>(w);
            continue;
        }
        if (w < 0 && errno != EAGAIN && errno != EINTR) {
            err = errno;
            return false;
        }
        switch (events_.WaitForData(line_.Fd(), kWriteTimeoutMs, true)) {
            case EngineEvent::Io:
                continue;
            case EngineEvent::Timeout:
                err = ETIMEDOUT;
                return false;
            case EngineEvent::Shutdown:
                err = ECANCELED;
                return false;
            default:
                err = EIO;
                return false;
        }
    }
    return true;
}

void SerialPort::WritePath(std::unique_lock<SendLockMutex>& sendLock) {
    events_.Reset(EngineEvent::Write);
    FrameRecord& out = handler_.Outgoing();
    std::unique_lock<std::mutex> port(portLock_);
    line_.PurgeBoth();
    const size_t n = std::min(out.FrameLength(), writeBuffer_.size());
    std::memcpy(writeBuffer_.data(), out.data(), n);
    int err = 0;
    if (!WriteFrame(writeBuffer_.data(), n, err)) {
        if (err == ECANCELED) return;  // shutting down
        if (err != ETIMEDOUT) {
            LinkFailure({LinkFault::Unplugged, err, "write()"});
            return;
        }
        // The line is stuck; the reply wait decides what happens next.
        ReportWarning("write()", err, LinkFault::WriteStuck);
    }
    // Only what has left the port counts as written. Nothing is purged after the drain: the output
    // is empty by then (and on a pseudo-terminal a flush of it would discard what the other side has
    // not read yet), and the receive side was purged before the write; purging it now would lose
    // the reply of a unit that answers at once.
    line_.Drain();
    handler_.Trace(TraceKind::Written, out.Cmd(), out[outgoing::kSequence], writeBuffer_.data(), n);
    if (const uint8_t sequence = out[outgoing::kSequence]; sequence != 0)
        if (LinkEvents* events = listener_) events->ProgressPosition(sequence);
    out[outgoing::kReplyAwaited] = 1;
    const bool bulk = out[outgoing::kBulk] == 1;
    const bool longPause = out[outgoing::kLongPause] == 1;
    port.unlock();
    if (bulk && !PauseUnlocked(sendLock, kBulkPauseMs)) return;
    if (longPause && !PauseUnlocked(sendLock, kLongPauseMs)) return;
    // The window opens when the pauses are over: a reply that came during them is read at once.
    replyDeadline_ = Clock::now() + ReplyWindowFor(out);
}

bool SerialPort::PauseUnlocked(std::unique_lock<SendLockMutex>& sendLock, int ms) {
    sendLock.unlock();
    const bool completed = events_.Pause(ms);
    sendLock.lock();
    return completed;
}

void SerialPort::ReadPath(std::unique_lock<SendLockMutex>& sendLock) {
    const int fd = line_.Fd();
    bool saidReadable = false;  // the last wait ended because the port reported bytes
    for (;;) {
        if (events_.IsSet(EngineEvent::Shutdown)) return;
        std::unique_lock<std::mutex> port(portLock_);
        int q = line_.BytesWaiting();
        if (q < 0) {
            if (IsDeviceGoneError(errno)) {
                LinkFailure({LinkFault::Unplugged, errno, "ioctl(FIONREAD)"});
                return;
            }
            q = 0;
        }
        long got = 0;
        if (q > 0) {
            got = line_.ReadSome(readBuffer_.data(), std::min(static_cast<size_t>(q), readBuffer_.size()));
            if (got == 0) {
                // The port said it had bytes, then had none: the device went away.
                LinkFailure({LinkFault::Unplugged, 0, "read()"});
                return;
            }
            if (got < 0 && IsDeviceGoneError(errno)) {
                const int err = errno;
                port.unlock();
                RepeatOrFail(kMaxReadRetries, {LinkFault::Unplugged, err, "read()"});
                return;
            }
            if (got < 0) got = 0;
        }
        if (got > 0 && handler_.FeedBytes(kLink, readBuffer_.data(), static_cast<size_t>(got)) == 1) {
            // Accepted: bytes that came after the reply are not part of any exchange.
            line_.PurgeBoth();
            events_.Signal(EngineEvent::AddData);
            return;
        }
        port.unlock();

        if (handler_.Outgoing()[outgoing::kReplyAwaited] == 0) return;  // nothing in flight to repeat
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(replyDeadline_ - Clock::now());
        if (left.count() <= 0) {
            // No reply within the window, whatever bytes came: as for a silent unit.
            handler_.Trace(TraceKind::NoReply, handler_.Outgoing().Cmd(),
                           handler_.Incoming()[incoming::kRetryCounter] + 1);
            RepeatOrFail(kMaxRetries, {LinkFault::NoAnswer, 0, ""});
            return;
        }
        if (got > 0) {
            saidReadable = false;
            continue;  // more of the reply may be waiting already
        }
        // Nothing to read. A port that reports bytes it then does not have would turn the wait into
        // a spin: after such a report, sleep out the poll instead.
        const int pollMs = static_cast<int>(std::min<long long>(left.count(), kEmptyPollMs));
        sendLock.unlock();
        EngineEvent e;
        if (saidReadable)
            e = events_.Pause(pollMs) ? EngineEvent::Timeout : EngineEvent::Shutdown;
        else
            e = events_.WaitForData(fd, pollMs);
        sendLock.lock();
        if (e == EngineEvent::Shutdown) return;
        if (e == EngineEvent::DeviceGone) {
            LinkFailure({LinkFault::Unplugged, 0, "poll()"});
            return;
        }
        saidReadable = e == EngineEvent::Io;
    }
}

void SerialPort::RepeatOrFail(int maxRetries, PortError why) {
    FrameRecord& in = handler_.Incoming();
    if (++in[incoming::kRetryCounter] > maxRetries) {
        LinkFailure(std::move(why));
        handler_.ClearFrames(kLink, true);
        return;
    }
    // Write the same frame again, from a clean incoming record.
    const uint8_t retries = in[incoming::kRetryCounter];
    handler_.ClearFrames(kLink, false);
    in[incoming::kRetryCounter] = retries;
    handler_.Trace(TraceKind::Repeat, handler_.Outgoing().Cmd(), retries);
    events_.Signal(EngineEvent::Write);
}

void SerialPort::LinkFailure(PortError why) {
    if (stop_.exchange(true)) return;  // reported once per run
    SetLastError(why);
    const uint8_t lookup = handler_.Outgoing()[outgoing::kLookup];
    const std::string text = why.Text();
    handler_.Trace(TraceKind::LinkFailed, handler_.Outgoing().Cmd(), lookup, nullptr, 0, text.c_str());
    if (LinkEvents* events = listener_) events->LinkFailed(why, lookup != 0);
}

void SerialPort::ReportWarning(const char* operation, int err, LinkFault fault) {
    if (LinkEvents* events = listener_) events->PortWarning({fault, err, operation}, portNumber_);
}

}  // namespace pavo
