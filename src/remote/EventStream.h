#pragma once
// One open event stream (Server-Sent Events): the events waiting for it, written out by the thread of
// its connection. A stream that falls too far behind (a client that stopped reading) is closed rather
// than left to grow.
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace pavo::remote {

// "event: NAME\ndata: JSON\n\n"
std::string EventText(std::string_view name, const nlohmann::json& data);

class EventStream {
public:
    EventStream(int unit, bool meters) : unit_(unit), meters_(meters) {}

    int unit() const { return unit_; }
    bool WantsMeters() const { return meters_; }

    // Waits up to `wait` for events and takes them all; empty after a quiet wait. False once closed.
    bool Next(std::string& out, std::chrono::milliseconds wait);
    void Push(std::string_view text);
    void Close();
    bool Closed() const;

private:
    static constexpr size_t kBacklog = 1 << 20;

    const int unit_;
    const bool meters_;
    mutable std::mutex mutex_;
    std::condition_variable ready_;
    std::string pending_;
    bool closed_ = false;
};

}  // namespace pavo::remote
