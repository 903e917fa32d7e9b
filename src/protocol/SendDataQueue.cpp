#include "protocol/SendDataQueue.h"

namespace pavo {

void SendDataQueue::Append(std::unique_ptr<SendData> item) {
    if (!item) return;
    SendLockGuard guard(lock_);
    items_.push_back(std::move(item));
}

int SendDataQueue::HasItems() const {
    SendLockGuard guard(lock_);
    return items_.empty() ? 0 : 1;
}

int SendDataQueue::Count() const {
    SendLockGuard guard(lock_);
    return static_cast<int>(items_.size());
}

int SendDataQueue::PopInto(FrameRecord& destination) {
    SendLockGuard guard(lock_);
    if (items_.empty()) return 0;
    destination = items_.front()->Record();
    items_.pop_front();
    return 1;
}

void SendDataQueue::Clear() {
    SendLockGuard guard(lock_);
    items_.clear();
}

SendData* SendDataQueue::At(int index) {
    SendLockGuard guard(lock_);
    if (index < 0 || static_cast<size_t>(index) >= items_.size()) return nullptr;
    return items_[static_cast<size_t>(index)].get();
}

}  // namespace pavo
