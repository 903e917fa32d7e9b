#pragma once
// One unit on one port, driven the way the program drives it: the serial engine and the protocol
// handler of the core, the device lookup, numbered batches of bulk commands, and single edits left to
// the change scanner. Every wait ends with the unit's answer, a link failure or a stalled exchange.
//
// The session owns the unit it drives (model, frame records, send queue): sessions never share
// anything.
#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "model/Blocks.h"
#include "model/StatusState.h"
#include "protocol/TraceSink.h"
#include "serial/SerialPort.h"
#include "unit/Unit.h"

namespace pavo::cli {

// Called with (items done, items in the batch) as the unit accepts each one.
using ProgressFn = std::function<void(int, int)>;

class UnitSession final : public UnitEvents, public TraceSink {
public:
    // `device`: a port name or a device path. `trace`: where the traffic also goes (may be null).
    UnitSession(std::string device, TraceSink* trace);
    ~UnitSession() override;
    UnitSession(const UnitSession&) = delete;
    UnitSession& operator=(const UnitSession&) = delete;

    // Opens the port and looks the unit up. Throws CliFailure when the port does not open or nobody
    // answers.
    void Connect();
    bool StoreAuthority() const;
    // Marks the unit on line for those who watch its model (the remote service), as the program does
    // after a connection's full read; a link failure clears the mark. Throws when the link has
    // already failed.
    void MarkConnected();

    // The full read of a connection: the 22 program names, the system record and the current program,
    // which the model then holds as sent.
    void ReadEverything(const ProgressFn& progress = {});
    // The system record and the current program only.
    void ReadCurrent();
    // The system record and the 21 stored programs: the model's bank, complete and valid, as "Export
    // all" saves it.
    ProgramBank ReadBank(const ProgressFn& progress);
    // "Import all": the bank into the model, then all 21 programs and the bank's system record to the
    // unit.
    void WriteBank(const ProgramBank& bank, const ProgressFn& progress);
    // Recalls stored program n (1..21); true when the unit answered with the program's image.
    bool Recall(int n);
    // An edit left to the change scanner, in three steps, so that the next edit can go into the model
    // while the frame of this one is still on the line (the scanner then sends it next, instead of a
    // status poll): Apply runs `edit` on the model under the send lock; Written waits until the
    // scanner has written a frame for it (false: it found nothing to send); Accepted waits for the
    // unit's answer to that frame.
    struct EditTicket {
        uint64_t changes = 0, polls = 0;  // counts when the edit was made
        uint64_t acceptedBefore = 0;      // replies accepted when its frame was written
    };
    EditTicket Apply(const std::function<void()>& edit);
    bool Written(EditTicket& ticket);
    void Accepted(const EditTicket& ticket);
    // The same for an edit that may take several frames: waits until every frame the scanner made for
    // it has been accepted. Returns how many it made.
    int ChangeAndSendAll(const std::function<void()>& edit);
    // Waits until the change scanner has sent every edit already in the model, interrupted or not: for
    // a host that stops serving others' edits (serve) before it closes the port.
    void SendPending();
    // The status replies as the system page gets them, each passed to `line` on this thread until it
    // returns false or the run is interrupted (a normal end).
    using MeterLine = std::function<bool(StatusArea, const std::array<uint8_t, kStatusMeterCount>&)>;
    void WatchMeters(const MeterLine& line);

    // Reports of the core that are not failures (a wrong program number, a port setting refused).
    std::vector<std::string> Warnings() const;
    const std::string& device() const { return device_; }
    Unit& unit() { return unit_; }
    Model& model() { return unit_.model(); }

private:
    void DeviceFound() override;
    void ProgramReceived(ProgramSource source) override;
    void StatusReceived(StatusArea area) override;
    void WrongProgramNumber(int received, int requested) override;
    void LinkFailed(const PortError& error, bool lookupFrame) override;
    void PortWarning(const PortError& error, int portNumber) override;
    void OnTrace(const TraceEvent& event) override;

    // Queues the commands as one numbered batch and waits until the unit has accepted every item.
    void RunBatch(std::initializer_list<std::pair<unsigned, unsigned>> commands, const char* what,
                  const ProgressFn& progress);
    // Waits until `done` holds (checked under the session's lock). Throws on a link failure, when
    // nothing has moved on the line for a long time, or when interrupted.
    void WaitUntil(const std::function<bool()>& done, const char* what,
                   const std::function<void()>& onChange = {}, bool interruptible = true);
    int SendAll(const std::function<void()>& edit, const char* what, bool interruptible);
    [[noreturn]] void LinkFailed(const char* what);

    std::string device_;
    TraceSink* trace_;
    Unit unit_{false};  // no "Mode" folder where the tool is run
    SerialPort port_{unit_.handler(), &unit_.events()};

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool deviceFound_ = false;
    bool linkFailed_ = false;
    bool lookupFailed_ = false;
    PortError linkError_;
    bool programReceived_ = false;
    int inFlightSequence_ = 0;       // sequence number of the frame last written
    int acceptedSequence_ = 0;       // of the last item whose reply was accepted
    uint64_t polls_ = 0;             // status polls written
    uint64_t changes_ = 0;           // scanner frames other than polls written
    uint64_t pollsAtChange_ = 0;     // polls written before the last of those
    uint64_t acceptedAtChange_ = 0;  // replies accepted before it
    uint64_t accepted_ = 0;          // replies accepted
    std::chrono::steady_clock::time_point lastActivity_;
    std::vector<std::string> warnings_;
    std::deque<std::pair<StatusArea, std::array<uint8_t, kStatusMeterCount>>> meters_;
};

}  // namespace pavo::cli
