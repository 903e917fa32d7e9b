#include "protocol/TraceRing.h"

#include <algorithm>

namespace pavo {

TraceRing::TraceRing(size_t capacity) : slots_(std::max<size_t>(capacity, 1)) {}

void TraceRing::OnTrace(const TraceEvent& event) {
    const auto now = std::chrono::system_clock::now();
    std::lock_guard<std::mutex> guard(mutex_);
    size_t at;
    if (count_ == slots_.size()) {  // full: the oldest goes
        at = first_;
        first_ = (first_ + 1) % slots_.size();
        ++lost_;
    } else {
        at = (first_ + count_) % slots_.size();
        ++count_;
    }
    TraceRecord& r = slots_[at];
    r.at = now;
    r.kind = event.kind;
    r.sentCmd = event.sentCmd;
    r.value = event.value;
    r.bytes.assign(event.bytes, event.bytes + (event.bytes ? event.size : 0));  // reuses the slot's storage
    if (event.note)
        r.note = event.note;
    else
        r.note.clear();
}

size_t TraceRing::TakeAll(std::vector<TraceRecord>& out) {
    std::lock_guard<std::mutex> guard(mutex_);
    const size_t n = count_;
    out.reserve(out.size() + n);
    for (size_t i = 0; i < n; ++i) {
        TraceRecord& r = slots_[(first_ + i) % slots_.size()];
        out.push_back(r);  // a copy: the slot keeps its storage for the engine's next record
    }
    first_ = 0;
    count_ = 0;
    return n;
}

void TraceRing::SetCapacity(size_t capacity) {
    capacity = std::max<size_t>(capacity, 1);
    std::lock_guard<std::mutex> guard(mutex_);
    if (capacity == slots_.size()) return;
    const size_t keep = std::min(count_, capacity);
    std::vector<TraceRecord> slots(capacity);
    for (size_t i = 0; i < keep; ++i)
        slots[i] = std::move(slots_[(first_ + count_ - keep + i) % slots_.size()]);
    lost_ += count_ - keep;
    slots_ = std::move(slots);
    first_ = 0;
    count_ = keep;
}

size_t TraceRing::Capacity() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return slots_.size();
}

size_t TraceRing::Size() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return count_;
}

uint64_t TraceRing::Lost() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return lost_;
}

}  // namespace pavo
