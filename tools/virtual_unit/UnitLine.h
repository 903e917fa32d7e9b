#pragma once
// The virtual unit on a pseudo-terminal: the program opens DevicePath() like a serial port, the unit
// answers on the master side from its own thread. Faults can be injected per option.
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "UnitFrames.h"
#include "VirtualUnit.h"

namespace pavo::unit {

struct UnitOptions {
    uint8_t storeAuthority = 1;  // what the lookup reply reports
    bool silent = false;         // never answers
    int silentAfter = 0;         // answers the first N frames only (0: always answers)
    int badSumEvery = 0;         // every Nth reply carries a wrong sum (0: never)
    int nackEvery = 0;           // every Nth acknowledgement refuses, status 2 (0: never)
    std::vector<uint8_t> noise;  // sent before every reply
    int chunkSize = 0;           // replies go out in pieces of this many bytes (0: whole)
    int chunkDelayMs = 0;        // pause between pieces
    int replyDelayMs = 0;        // pause before answering
    int unplugAfter = 0;         // closes its side after receiving N frames (0: never)
    unsigned wireBaud = 0;       // answers as late as a real line at this rate would (0: at once)
    int slowCommand = -1;        // replies to frames with this CMD wait slowCommandMs (-1: none)
    int slowCommandMs = 0;
    // Another device talking on the same line: these bytes every chatterEveryMs, whatever the
    // program sends (empty or 0: never).
    std::vector<uint8_t> chatter;
    int chatterEveryMs = 0;
    // A memory fault: stored program corruptProgram (1..21; 0: none) keeps byte corruptOffset of its
    // image one higher than it was sent or stored.
    int corruptProgram = 0;
    int corruptOffset = 0;
};

// One frame as the unit received it, with the time it arrived.
struct ReceivedFrame {
    Frame frame;
    double atMs = 0;  // since Start()
};

class UnitLine {
public:
    explicit UnitLine(UnitOptions options = {});
    ~UnitLine();
    UnitLine(const UnitLine&) = delete;
    UnitLine& operator=(const UnitLine&) = delete;

    // Opens the pseudo-terminal pair and starts answering. False with `error` set on failure.
    bool Start(std::string* error = nullptr);
    void Stop();
    // The slave side's path, e.g. /dev/pts/3: what the program connects to.
    const std::string& DevicePath() const { return devicePath_; }

    VirtualUnit& Unit() { return unit_; }

    std::vector<ReceivedFrame> Received() const;
    // The frames from number `first` (0-based) on.
    std::vector<ReceivedFrame> ReceivedFrom(size_t first) const;
    size_t ReceivedCount() const;
    // Waits until at least n frames have arrived; false on time-out.
    bool WaitForFrames(size_t n, int timeoutMs) const;
    // Closes the unit's side now, as if the cable were pulled.
    void Unplug();
    bool Unplugged() const;

private:
    void Run();
    void Respond(const Frame& frame, size_t number);
    bool PauseUs(long us);  // false if stopping
    bool WriteAll(const uint8_t* bytes, size_t n);
    bool PauseMs(int ms);  // false if stopping
    void Chatter();
    void CloseSides();

    UnitOptions options_;
    VirtualUnit unit_;
    std::string devicePath_;
    int master_ = -1, slave_ = -1, wake_ = -1;
    std::thread thread_;
    bool stopping_ = false;         // guarded by mutex_
    bool unplugged_ = false;        // guarded by mutex_
    bool unplugRequested_ = false;  // guarded by mutex_
    mutable std::mutex mutex_;
    mutable std::condition_variable arrived_;
    std::vector<ReceivedFrame> received_;
    size_t replies_ = 0, acks_ = 0;  // unit thread only
    double startMs_ = 0;
};

}  // namespace pavo::unit
