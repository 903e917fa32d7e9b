#pragma once
// One unit as the program knows it: its parameter model (both images, both system records, the bank,
// the status areas, the flags, the model lock), its protocol handler (send lock, queue, frame
// records, scanner, assembler, trace), its band sets and its undo history. The main window, each of
// pavo-cli's sessions, the remote service and every test make their own; two units never share
// anything, so several live side by side in one process.
//
// The serial engine that talks to the unit is made on its handler and reports through its events:
//     Unit unit;
//     SerialPort port(unit.handler(), &unit.events());
//
// Listeners hear the unit's events (UnitEvents.h) on the engine's thread; Remove returns only once
// no report to that listener is in progress.
#include <mutex>
#include <vector>

#include "eq/BandSets.h"
#include "model/Model.h"
#include "model/UndoHistory.h"
#include "protocol/ProtocolHandler.h"
#include "unit/UnitEvents.h"

namespace pavo {

class Unit {
public:
    // A unit with the factory state of every record (ResetParameters). `createModeFolder` as there.
    explicit Unit(bool createModeFolder = true);
    ~Unit();
    Unit(const Unit&) = delete;
    Unit& operator=(const Unit&) = delete;

    Model& model() { return model_; }
    const Model& model() const { return model_; }
    ProtocolHandler& handler() { return handler_; }
    BandSets& bands() { return bands_; }
    UndoHistory& history() { return history_; }
    // The receiver to give the serial engine: it reports to every listener.
    UnitEvents& events() { return hub_; }

    void AddListener(UnitEvents* listener);
    void RemoveListener(UnitEvents* listener);

    // The factory state again: every record, the status areas and both frame records (before the
    // engine runs); the band sets follow the records.
    void Reset(bool createModeFolder = true);

private:
    class Hub : public UnitEvents {
    public:
        void Add(UnitEvents* listener);
        void Remove(UnitEvents* listener);

        void DeviceFound() override;
        void SystemReceived() override;
        void ProgramReceived(ProgramSource source) override;
        void StoredProgramReceived(int number) override;
        void AllProgramsReceived() override;
        void StatusReceived(StatusArea area) override;
        void WrongProgramNumber(int received, int requested) override;
        void LinkFailed(const PortError& error, bool lookupFrame) override;
        void ProgressPosition(int sequence) override;
        void PortWarning(const PortError& error, int portNumber) override;

    private:
        template <class Fn>
        void Tell(Fn fn);

        std::mutex mutex_;  // held while a report is delivered
        std::vector<UnitEvents*> listeners_;
    };

    Model model_;
    bool reset_;  // the model is reset before the band sets and the undo history are made on it
    Hub hub_;
    ProtocolHandler handler_{model_, &hub_};
    BandSets bands_{model_};
    UndoHistory history_{model_};
};

}  // namespace pavo
