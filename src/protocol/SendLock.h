#pragma once
// The send lock: one process-wide lock around the send queue and the two frame records.
//
//  - The serial engine's worker holds it for the whole handling of each engine event (pop or scan,
//    write, feed the reply).
//  - The UI thread holds it while it queues and numbers a batch (QueueCommand, then the sequence
//    numbers), and while a page flips a link byte together with the link copy, so that the scanner
//    never sees half a link copy.
//  - It is re-entrant on the same thread: the full read and the file imports hold it and then call
//    code that takes it again (SendDeviceCommand -> QueueCommand).
//
// Lock order: the send lock first, then the model lock (model/ModelLock.h); never take the send lock
// while holding the model lock. Never hold it across a modal dialog or a wait for the unit's reply.
#include <mutex>
#include <utility>

namespace pavo {

std::recursive_mutex& SendLock();

using SendLockGuard = std::lock_guard<std::recursive_mutex>;

// Runs `step` under the send lock, so the engine (and its scanner) sees all of it or none of it. Pages
// flip a link byte and copy the linked channel this way:
//     WithSendLock([&] {
//         EditModel([&] { TheModel().current.MusicLink = 1; });
//         LinkMusic(true);
//     });
template <class F>
decltype(auto) WithSendLock(F&& step) {
    SendLockGuard guard(SendLock());
    return std::forward<F>(step)();
}

}  // namespace pavo
