#pragma once
// The traffic trace kept in memory: a bounded ring of records that the engine fills (TraceSink) and
// a reader empties from another thread. When the reader falls behind, the oldest records make room
// for the new ones and are counted as lost; the engine never waits for the reader and never grows
// the ring.
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "protocol/TraceSink.h"

namespace pavo {

struct TraceRecord {
    std::chrono::system_clock::time_point at;
    TraceKind kind = TraceKind::Written;
    uint8_t sentCmd = 0;
    int value = 0;
    std::vector<uint8_t> bytes;
    std::string note;  // the reason of a link failure
};

class TraceRing : public TraceSink {
public:
    explicit TraceRing(size_t capacity);

    void OnTrace(const TraceEvent& event) override;

    // Appends every record not taken yet to `out`, oldest first; returns how many.
    size_t TakeAll(std::vector<TraceRecord>& out);
    // A new capacity (at least 1); when it shrinks, the newest records stay.
    void SetCapacity(size_t capacity);
    size_t Capacity() const;
    size_t Size() const;
    // Records pushed out by newer ones before anybody took them, since the start.
    uint64_t Lost() const;

private:
    mutable std::mutex mutex_;
    std::vector<TraceRecord> slots_;
    size_t first_ = 0;  // oldest record
    size_t count_ = 0;
    uint64_t lost_ = 0;
};

}  // namespace pavo
