#pragma once
// The serial engine: owns the line to the unit and runs the exchange on one worker thread. Each cycle
// takes the next queued frame (or asks the change scanner for one), writes it, waits for the reply and
// hands the received bytes to the protocol handler; only an accepted reply starts the next cycle. The
// reply has a fixed window from the end of the write (about 1 s; 2.5 s for a bulk frame), whatever
// else arrives meanwhile. A frame that gets no reply in it is written again, twice at most (a failed
// read: once); then the engine reports WM_LINK_FAILED once and its thread ends.
//
// What it tells the UI goes through the owner's MessageSink: WM_LINK_FAILED (wParam 1, lParam 1 when
// the unanswered frame was the device lookup, else 0), WM_PROGRESS_POSITION (wParam the sequence
// number of a written queued item) and, for a port that will not take its settings, the
// "Application Error" text (TextPortError).
//
// Locks: the worker holds the send lock while it handles an event (pop or scan, write, feed the
// reply, and the 20 ms pause that ends each cycle). It lets go of it while it waits for the reply and
// during the long pauses after bulk and long-pause frames, so the UI can queue a batch then; that is
// safe because the queue is only read again at the next add-data step, after the reply. The port
// lock guards the descriptor; whoever holds both took the send lock first.
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "model/Messages.h"
#include "serial/EngineEvents.h"
#include "serial/SerialLine.h"

namespace pavo {

class ProtocolHandler;

// Event-mask bits the connection code passes (received character, clear-to-send changed).
constexpr unsigned kEventRxChar = 0x0001;
constexpr unsigned kEventCts = 0x0008;

// Why the link ended, or why the port would not open: what the off-line status tells the user.
enum class LinkFault {
    None,
    Unplugged,  // the device went away (adapter pulled), or its node is not there
    NoAnswer,   // the unit stayed silent through every repeat
    PortBusy,   // another program holds the port
    NoAccess,   // the user may not open the port (not in the dialout group)
};

class SerialPort {
public:
    SerialPort() = default;
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Opens and configures the port: `device` is a port name (ttyUSB0), a device path, or either
    // after the "\\.\" prefix. Returns 1 if the device opened (even if a setting failed: that is
    // reported as an error text and the port stays open), 0 if it did not. The engine always watches
    // for received bytes, which is what the connection code's event mask asks for; `eventMask` and
    // `bufferSize` (at least one frame record) are kept for that code's sake.
    int OpenPort(MessageSink* owner, const std::string& device, unsigned baud, char parity, int dataBits,
                 int stopBits, unsigned eventMask, size_t bufferSize);
    // Starts the worker; its first step prepares a frame. 1 if the thread started.
    int StartEngine();
    // Stops the worker (at once, whatever it is waiting for), then closes the port. Returns 1.
    int ClosePort();

    bool IsOpen() const;
    bool IsAlive() const { return alive_.load(); }
    // Why the last OpenPort failed or the last run reported WM_LINK_FAILED; None after a good open.
    // Set before the message is posted, so its handler reads the right one.
    LinkFault Fault() const { return fault_.load(); }

private:
    void Run();
    void HandleAddData(ProtocolHandler* handler);
    void WritePath(std::unique_lock<std::recursive_mutex>& sendLock);
    void ReadPath(ProtocolHandler* handler, std::unique_lock<std::recursive_mutex>& sendLock);
    // The frame in flight got no usable reply: write it again, or, after `maxRetries` repeats, report
    // the link failure for the reason given.
    void RepeatOrFail(ProtocolHandler* handler, int maxRetries, LinkFault why);
    void LinkFailure(LinkFault why = LinkFault::Unplugged);
    void ReportError(const char* operation, int err);
    bool WriteFrame(const uint8_t* bytes, size_t n, int& err);
    // Lets go of the send lock for a pause or a wait; false if shutdown ended it.
    bool PauseUnlocked(std::unique_lock<std::recursive_mutex>& sendLock, int ms);

    std::atomic<MessageSink*> owner_{nullptr};
    mutable std::mutex portLock_;
    SerialLine line_;
    EngineEvents events_;
    std::thread thread_;
    std::atomic<bool> alive_{false};
    std::atomic<bool> stop_{false};
    std::atomic<LinkFault> fault_{LinkFault::None};
    int portNumber_ = 0;
    std::vector<uint8_t> writeBuffer_, readBuffer_;
    // When the reply to the frame in flight is given up (worker thread only).
    std::chrono::steady_clock::time_point replyDeadline_;
};

}  // namespace pavo
