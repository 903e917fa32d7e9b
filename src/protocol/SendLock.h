#pragma once
// The send lock of a unit: one lock around its send queue and its two frame records, owned by its
// protocol handler (ProtocolHandler::SendLock()).
//
//  - The serial engine's worker holds it for the whole handling of each engine event (pop or scan,
//    write, feed the reply).
//  - The UI thread holds it while it queues and numbers a batch (QueueCommand, then the sequence
//    numbers), and while a page flips a link byte together with the link copy, so that the scanner
//    never sees half a link copy.
//  - It is re-entrant on the same thread: the full read and the file imports hold it and then call
//    code that takes it again (SendDeviceCommand -> QueueCommand).
//
// Lock order: the send lock first, then the model lock; never take the send lock while holding the
// model lock. Never hold it across a modal dialog or a wait for the unit's reply.
#include <mutex>

namespace pavo {

using SendLockMutex = std::recursive_mutex;
using SendLockGuard = std::lock_guard<SendLockMutex>;

}  // namespace pavo
