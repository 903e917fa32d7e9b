#pragma once
// The serial engine: owns the line to the unit and runs the exchange on one worker thread. Each cycle
// takes the next queued frame (or asks the change scanner for one), writes it, waits for the reply and
// hands the received bytes to the protocol handler; only an accepted reply starts the next cycle. The
// reply has a fixed window from the end of the write (about 1 s; 2.5 s for a bulk frame), whatever
// else arrives meanwhile. A frame that gets no reply in it is written again, twice at most (a failed
// read: once); then the engine reports WM_LINK_FAILED once and its thread ends.
//
// One engine serves one unit: it is made on that unit's protocol handler (its send lock, queue, frame
// records, scanner and trace) and tells its LinkEvents receiver what happens on the line.
//
// Errors: every way a port fails, at opening or on the line, is a PortError (serial/PortError.h): a
// LinkFault that says what it means for the user (unplugged, no answer, port busy, no access, not a
// serial port, settings refused, write stuck, other), the errno behind it and the failing call.
// OpenPort returns it; LinkFailed reports it; LastError() keeps the last one; PortWarning reports the
// calls that failed without ending the link (a refused setting, a frame that would not leave).
//
// Locks: the worker holds the send lock while it handles an event (pop or scan, write, feed the
// reply). It lets go of it while it waits for the reply, during the 20 ms pause that ends each cycle
// (an edit or command waiting for the lock then goes out with the next scan) and during the long
// pauses after bulk and long-pause frames, so the UI can queue a batch then; that is
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

#include "protocol/SendLock.h"
#include "serial/EngineEvents.h"
#include "serial/PortError.h"
#include "serial/SerialLine.h"

namespace pavo {

class ProtocolHandler;

// Event-mask bits the connection code passes (received character, clear-to-send changed).
constexpr unsigned kEventRxChar = 0x0001;
constexpr unsigned kEventCts = 0x0008;

// What the engine reports, on its worker thread. A receiver copies what it needs and returns at once.
class LinkEvents {
public:
    // The link ended (reported once per run; LastError() holds the same). `lookupFrame`: the frame
    // nobody answered was the device lookup.
    virtual void LinkFailed(const PortError& /*error*/, bool /*lookupFrame*/) {}
    // The queued item with this sequence number has left the port; in the order the items go out.
    virtual void ProgressPosition(int /*sequence*/) {}
    // A call on the open port failed without ending the link: the "Application Error" box.
    virtual void PortWarning(const PortError& /*error*/, int /*portNumber*/) {}

protected:
    ~LinkEvents() = default;
};

class SerialPort {
public:
    explicit SerialPort(ProtocolHandler& handler, LinkEvents* events = nullptr);
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    void SetEvents(LinkEvents* events) { listener_ = events; }

    // Opens and configures the port: `device` is a port name (ttyUSB0), a device path, or either
    // after the "\\.\" prefix. Returns no error if the device opened (even if a setting failed:
    // that is reported through PortWarning and the port stays open), else why it did not. The engine
    // always watches for received bytes, which is what the connection code's event mask asks for;
    // `eventMask` and `bufferSize` (at least one frame record) are kept for that code's sake.
    PortError OpenPort(const std::string& device, unsigned baud, char parity, int dataBits, int stopBits,
                       unsigned eventMask, size_t bufferSize);
    // Starts the worker; its first step prepares a frame. 1 if the thread started.
    int StartEngine();
    // Stops the worker (at once, whatever it is waiting for), then closes the port. Returns 1.
    int ClosePort();

    bool IsOpen() const;
    bool IsAlive() const { return alive_.load(); }
    // Why the last OpenPort failed or the last run ended; no error after a good open. Set before
    // LinkFailed is reported, so its receiver reads the right one.
    PortError LastError() const;
    LinkFault Fault() const { return LastError().fault; }
    int PortNumber() const { return portNumber_; }

private:
    void Run();
    void HandleAddData();
    void WritePath(std::unique_lock<SendLockMutex>& sendLock);
    void ReadPath(std::unique_lock<SendLockMutex>& sendLock);
    // The frame in flight got no usable reply: write it again, or, after `maxRetries` repeats, report
    // the link failure for the reason given.
    void RepeatOrFail(int maxRetries, PortError why);
    void LinkFailure(PortError why);
    void SetLastError(PortError error);
    void ReportWarning(const char* operation, int err, LinkFault fault);
    bool WriteFrame(const uint8_t* bytes, size_t n, int& err);
    // Lets go of the send lock for a pause or a wait; false if shutdown ended it.
    bool PauseUnlocked(std::unique_lock<SendLockMutex>& sendLock, int ms);

    ProtocolHandler& handler_;
    std::atomic<LinkEvents*> listener_;
    mutable std::mutex portLock_;
    SerialLine line_;
    EngineEvents events_;
    std::thread thread_;
    std::atomic<bool> alive_{false};
    std::atomic<bool> stop_{false};
    mutable std::mutex errorLock_;
    PortError lastError_;
    int portNumber_ = 0;
    std::vector<uint8_t> writeBuffer_, readBuffer_;
    // When the reply to the frame in flight is given up (worker thread only).
    std::chrono::steady_clock::time_point replyDeadline_;
};

}  // namespace pavo
