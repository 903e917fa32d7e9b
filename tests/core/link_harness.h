#pragma once
// The real engine on one side of a pseudo-terminal, the virtual unit on the other, the program's
// unit between them, and a recorder of what the engine and the protocol tell the program.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "model/Model.h"
#include "protocol/Command.h"
#include "protocol/ProtocolHandler.h"
#include "serial/SerialPort.h"
#include "unit/Unit.h"
#include "unit_events_recorder.h"
#include "virtual_unit/UnitLine.h"

namespace pavo::linktest {

using testing::RecordingEvents;

// Polls `done` every few milliseconds until it holds or the time is up.
inline bool Eventually(const std::function<bool()>& done, int timeoutMs) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < until) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return done();
}

class LinkHarness {
public:
    explicit LinkHarness(unit::UnitOptions options = {}) : line(std::move(options)) {
        AcceptProgram(m, true);  // nothing to send until a test edits something
        programUnit.AddListener(&events);
        std::string error;
        started_ = line.Start(&error);
        EXPECT_TRUE(started_) << error;
    }
    ~LinkHarness() {
        port.ClosePort();
        line.Stop();
        programUnit.RemoveListener(&events);
    }

    bool Open() {
        return !port.OpenPort(line.DevicePath(), 115200, 'N', 8, 0, kEventRxChar | kEventCts, 115200);
    }
    bool OpenAndStart() { return Open() && port.StartEngine() == 1; }

    // Queues a batch the way the connection code does: under the send lock, then numbered 1..n.
    void QueueNumbered(std::initializer_list<std::pair<unsigned, unsigned>> commands) {
        SendLockGuard guard(handler.SendLock());
        for (auto [command, argument] : commands) handler.QueueCommand(command, argument);
        for (int i = 0; i < handler.Count(); ++i)
            handler.Queue().At(i)->Record()[outgoing::kSequence] = static_cast<uint8_t>(i + 1);
    }

    std::vector<uint8_t> Commands() const {
        std::vector<uint8_t> out;
        for (const auto& f : line.Received()) out.push_back(f.frame.cmd);
        return out;
    }

    // Edits the program's model under its lock.
    template <class F>
    decltype(auto) Edit(F&& edit) {
        return m.Edit(std::forward<F>(edit));
    }

    Unit programUnit{false};  // the program's side; `line` runs the virtual unit
    Model& m = programUnit.model();
    ProtocolHandler& handler = programUnit.handler();
    RecordingEvents events;
    unit::UnitLine line;
    SerialPort port{handler, &programUnit.events()};

private:
    bool started_ = false;
};

}  // namespace pavo::linktest
