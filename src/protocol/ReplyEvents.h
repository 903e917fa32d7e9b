#pragma once
// What the unit's replies tell the program, as the protocol handler reports them on the engine's
// thread, right after it has stored the reply's data in the model (under the model lock, released by
// then). A receiver copies what it needs and returns at once; a window hands each report on to its
// own thread.
#include <cstdint>

namespace pavo {

// Why a current program arrived: the answer to a read of the current program, or to a recall.
enum class ProgramSource : uint8_t { Read, Recall };

// Which status area a status reply filled.
enum class StatusArea : uint8_t { Levels, Indicators };

class ReplyEvents {
public:
    // The device lookup was answered; the store authority it carried is in the model's flags.
    virtual void DeviceFound() {}
    // The system record arrived (current and last-sent copy).
    virtual void SystemReceived() {}
    // The current program arrived (current and last-sent image).
    virtual void ProgramReceived(ProgramSource /*source*/) {}
    // A stored program (1..21) arrived and is in the bank under that number, from a bank read or a read
    // of that program alone.
    virtual void StoredProgramReceived(int /*number*/) {}
    // Stored program 21 of a bank read arrived: the bank is complete.
    virtual void AllProgramsReceived() {}
    // A status reply filled an area while the system page shows the meters; one report until the
    // receiver sets the status message flag back to 1.
    virtual void StatusReceived(StatusArea /*area*/) {}
    // A stored-program reply carried another program's number than the one asked for (it is filed
    // under the one asked for).
    virtual void WrongProgramNumber(int /*received*/, int /*requested*/) {}

protected:
    ~ReplyEvents() = default;
};

}  // namespace pavo
