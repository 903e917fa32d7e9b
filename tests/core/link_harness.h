#pragma once
// The real engine on one side of a pseudo-terminal, the virtual unit on the other, and a sink that
// records what the engine and the protocol tell the UI.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "model/Messages.h"
#include "model/Model.h"
#include "protocol/Command.h"
#include "protocol/ProtocolHandler.h"
#include "protocol/SendLock.h"
#include "serial/SerialPort.h"
#include "virtual_unit/UnitLine.h"

namespace pavo::linktest {

struct Posted {
    unsigned message;
    WParam wParam;
    LParam lParam;
};

struct PostedText {
    unsigned kind;
    std::string title, text;
};

class RecordingSink : public MessageSink {
public:
    void Post(unsigned message, WParam wParam, LParam lParam) override {
        {
            std::lock_guard<std::mutex> g(mutex_);
            posted_.push_back({message, wParam, lParam});
        }
        changed_.notify_all();
    }
    void PostText(unsigned kind, const char* title, const char* text) override {
        {
            std::lock_guard<std::mutex> g(mutex_);
            texts_.push_back({kind, title, text});
        }
        changed_.notify_all();
    }
    std::vector<Posted> Messages() const {
        std::lock_guard<std::mutex> g(mutex_);
        return posted_;
    }
    std::vector<PostedText> Texts() const {
        std::lock_guard<std::mutex> g(mutex_);
        return texts_;
    }
    std::vector<Posted> Of(unsigned message) const {
        std::vector<Posted> out;
        for (const Posted& p : Messages())
            if (p.message == message) out.push_back(p);
        return out;
    }
    bool WaitFor(unsigned message, size_t count, int timeoutMs) {
        std::unique_lock<std::mutex> g(mutex_);
        return changed_.wait_for(g, std::chrono::milliseconds(timeoutMs), [&] {
            size_t n = 0;
            for (const Posted& p : posted_) n += p.message == message;
            return n >= count;
        });
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Posted> posted_;
    std::vector<PostedText> texts_;
};

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
        ResetParameters();
        AcceptProgram(true);  // nothing to send until a test edits something
        std::string error;
        started_ = line.Start(&error);
        EXPECT_TRUE(started_) << error;
    }
    ~LinkHarness() {
        port.ClosePort();
        line.Stop();
    }

    bool Open() {
        return port.OpenPort(&sink, line.DevicePath(), 115200, 'N', 8, 0, kEventRxChar | kEventCts, 115200) ==
               1;
    }
    bool OpenAndStart() { return Open() && port.StartEngine() == 1; }

    // Queues a batch the way the connection code does: under the send lock, then numbered 1..n.
    void QueueNumbered(std::initializer_list<std::pair<unsigned, unsigned>> commands) {
        SendLockGuard guard(SendLock());
        for (auto [command, argument] : commands) QueueCommand(command, argument);
        for (int i = 0; i < handler.Count(); ++i)
            handler.Queue().At(i)->Record()[outgoing::kSequence] = static_cast<uint8_t>(i + 1);
    }

    std::vector<uint8_t> Commands() const {
        std::vector<uint8_t> out;
        for (const auto& f : line.Received()) out.push_back(f.frame.cmd);
        return out;
    }

    RecordingSink sink;
    ProtocolHandler handler{&sink};
    unit::UnitLine line;
    SerialPort port;

private:
    bool started_ = false;
};

}  // namespace pavo::linktest
