#pragma once
// The send queue: queued frames in order, first in, first out. The queue owns its items; an item
// leaves the queue only by being destroyed (PopInto copies its record out first). Callers hold the
// send lock it was made with around every use; the operations also take it themselves (it is
// re-entrant).
#include <cstddef>
#include <deque>
#include <memory>

#include "protocol/SendData.h"
#include "protocol/SendLock.h"

namespace pavo {

class SendDataQueue {
public:
    explicit SendDataQueue(SendLockMutex& sendLock) : lock_(sendLock) {}
    SendDataQueue(const SendDataQueue&) = delete;
    SendDataQueue& operator=(const SendDataQueue&) = delete;

    SendLockMutex& Lock() const { return lock_; }
    void Append(std::unique_ptr<SendData> item);
    int HasItems() const;  // 1 if at least one item is queued, else 0
    int Count() const;
    // Copy all 4230 bytes of the first item's record into `destination`, destroy the item and return
    // 1; return 0 and leave `destination` alone when the queue is empty.
    int PopInto(FrameRecord& destination);
    void Clear();
    // The item at `index` (0 = next to go), for numbering a queued batch; nullptr if there is none.
    SendData* At(int index);

private:
    SendLockMutex& lock_;
    std::deque<std::unique_ptr<SendData>> items_;
};

}  // namespace pavo
