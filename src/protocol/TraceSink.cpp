#include "protocol/TraceSink.h"

#include "protocol/SendLock.h"

namespace pavo {

namespace trace_detail {
std::atomic<TraceSink*> installed{nullptr};
}

TraceSink* InstallTraceSink(TraceSink* sink) {
    SendLockGuard guard(SendLock());
    return trace_detail::installed.exchange(sink, std::memory_order_acq_rel);
}

void RemoveTraceSink(TraceSink* sink) {
    SendLockGuard guard(SendLock());
    trace_detail::installed.compare_exchange_strong(sink, nullptr, std::memory_order_acq_rel);
}

}  // namespace pavo
