#include "protocol/SendDataQueue.h"

#include "protocol/SendLock.h"

namespace pavo {

void SendDataQueue::Append(std::unique_ptr<SendData> item) {
    if (!item) return;
    SendLockGuard guard(SendLock());
    items_.push_back(std::move(item));
}

int SendDataQueue::HasItems() const {
    SendLockGuard guard(SendLock());
    return items_.empty() ? 0 : 1;
}

int SendDataQueue::Count() const {
    SendLockGuard guard(SendLock());
    return static_cast<int>(items_.size());
}

int SendDataQueue::PopInto(FrameRecord& destination) {
    SendLockGuard guard(SendLock());
    if (items_.empty()) return 0;
    destination = items_.front()->Record();
    items_.pop_front();
    return 1;
}

void SendDataQueue::Clear() {
    SendLockGuard guard(SendLock());
    items_.clear();
}

SendData* SendDataQueue::At(int index) {
    SendLockGuard guard(SendLock());
    if (index < 0 || static_cast<size_t>(index) >= items_.size()) return nullptr;
    return items_[static_cast<size_t>(index)].get();
}

}  // namespace pavo
