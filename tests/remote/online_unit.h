#pragma once
// A unit on line the way the program brings one on line, without a window: the serial engine on a
// device (a virtual unit's pseudo-terminal), the device lookup, the full read, the connected flag. For
// the remote service's tests and its benchmark; no test framework here.
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "model/Model.h"
#include "protocol/Command.h"
#include "protocol/CommandCodes.h"
#include "protocol/ProtocolHandler.h"
#include "serial/SerialPort.h"
#include "unit/Unit.h"

namespace pavo::test {

class OnlineUnit final : public UnitEvents {
public:
    OnlineUnit() { unit.AddListener(this); }
    ~OnlineUnit() override {
        port.ClosePort();
        unit.RemoveListener(this);
    }

    // Opens `device`, looks the unit up and reads its names, system record and current program.
    bool Connect(const std::string& device, int timeoutMs = 20000) {
        if (port.OpenPort(device, 115200, 'N', 8, 0, kEventRxChar | kEventCts, 115200)) return false;
        {
            SendLockGuard lock(unit.handler().SendLock());
            unit.handler().QueueCommand(CmdLookup, 0);
        }
        port.StartEngine();
        if (!Await([this] { return found_; }, timeoutMs)) return false;
        const int before = Programs();
        {
            SendLockGuard lock(unit.handler().SendLock());
            unit.handler().QueueCommand(CmdReadNames, 0);
            unit.handler().QueueCommand(CmdReadSystem, 0);
            unit.handler().QueueCommand(CmdReadPrograms, 0);
        }
        // The current program is the batch's last reply.
        if (!Await([&] { return programs_ > before; }, timeoutMs)) return false;
        if (!WaitFor([this] { return !unit.handler().HasItems(); }, timeoutMs)) return false;
        unit.model().flags.connected = 1;
        return true;
    }

    // Nothing left to send: no queued batch, and the current records equal what the unit was told (but
    // for the program number, which a recall sets and nothing sends).
    bool AllSent() {
        if (unit.handler().HasItems()) return false;
        Model& m = unit.model();
        return m.Edit([&] {
            constexpr size_t kAfterNumber = sizeof m.system.ProgramNumber;
            return std::memcmp(&m.current, &m.lastSent, sizeof m.current) == 0 &&
                   std::memcmp(BytesOf(m.system) + kAfterNumber, BytesOf(m.lastSentSystem) + kAfterNumber,
                               sizeof m.system - kAfterNumber) == 0;
        });
    }

    // Programs received so far (reads and recalls).
    int Programs() const {
        std::lock_guard<std::mutex> g(mutex_);
        return programs_;
    }
    bool LinkFailed() const {
        std::lock_guard<std::mutex> g(mutex_);
        return failed_;
    }

    // Polls `done` (outside the lock) until it holds or the time is up.
    static bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!done()) {
            if (std::chrono::steady_clock::now() > until) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return true;
    }

    Unit unit{false};
    SerialPort port{unit.handler(), &unit.events()};

private:
    // Waits for what the events tell (`done` runs under the events' lock: it takes no other lock).
    bool Await(const std::function<bool()>& done, int timeoutMs) const {
        std::unique_lock<std::mutex> g(mutex_);
        return changed_.wait_for(g, std::chrono::milliseconds(timeoutMs), [&] {
            return failed_ || done();
        }) && !failed_;
    }
    void DeviceFound() override {
        Note([this] { found_ = true; });
    }
    void ProgramReceived(ProgramSource) override {
        Note([this] { ++programs_; });
    }
    void LinkFailed(const PortError&, bool) override {
        unit.model().flags.connected = 0;
        Note([this] { failed_ = true; });
    }
    void Note(const std::function<void()>& what) {
        {
            std::lock_guard<std::mutex> g(mutex_);
            what();
        }
        changed_.notify_all();
    }

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    bool found_ = false;
    bool failed_ = false;
    int programs_ = 0;
};

}  // namespace pavo::test
