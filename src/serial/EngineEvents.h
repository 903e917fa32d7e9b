#pragma once
// The serial engine's events: three manual-reset flags (shutdown, write, add-data) that the UI
// thread and the worker signal, and the port itself as the I/O event. Every wait and pause of the
// worker ends at once when shutdown is signalled, so closing the port never waits out a pause.
#include <atomic>

namespace pavo {

enum class EngineEvent {
    Shutdown,
    Write,
    AddData,
    Io,          // the port has bytes to read
    DeviceGone,  // the port reports hang-up or an error: the device went away
    Timeout,
};

class EngineEvents {
public:
    EngineEvents();
    ~EngineEvents();
    EngineEvents(const EngineEvents&) = delete;
    EngineEvents& operator=(const EngineEvents&) = delete;

    void Signal(EngineEvent e);
    void Reset(EngineEvent e);
    bool IsSet(EngineEvent e) const;
    void ResetAll();

    // The first of shutdown, write, add-data (in that order of precedence), then I/O or hang-up on
    // portFd (-1: no port), or Timeout after timeoutMs.
    EngineEvent Wait(int portFd, int timeoutMs);
    // Sleeps up to ms; false if shutdown ended the pause early.
    bool Pause(int ms);
    // Waits up to ms for bytes on the port (or, with forWriting, for room to write): Io, DeviceGone,
    // Shutdown or Timeout.
    EngineEvent WaitForData(int portFd, int ms, bool forWriting = false);

private:
    void Ring();
    void Drain();

    std::atomic<bool> shutdown_{false}, write_{false}, addData_{false};
    int doorbell_ = -1;  // eventfd: wakes a waiting worker after a flag was set
};

}  // namespace pavo
