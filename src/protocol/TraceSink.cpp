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

}  // namespace pavo
