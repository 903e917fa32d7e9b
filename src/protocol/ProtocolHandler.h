#pragma once
// The protocol handler of one unit: its send lock, its send queue, its outgoing and incoming frame
// records, the frame assembler for the unit's replies, and the traffic trace observer. Its unit owns
// it together with the model it stores replies into; the serial engine and the command builders reach
// it only through that unit.
//
// How the serial engine uses it, on its worker thread and always under the send lock:
//   - add-data: if (h.HasItems()) h.PopInto(h.Outgoing()); else h.ScanForChange();
//   - write:    Outgoing().FrameLength() bytes from Outgoing().data(), then set
//               outgoing::kReplyAwaited; the control bytes of the frame (kLongPause, kBulk, kLookup,
//               kSequence) came with the popped item and are cleared once its reply is accepted;
//   - read:     h.FeedBytes(1, bytes, n) == 1 means a reply was accepted: the incoming record and the
//               outgoing record from byte 4 on are clear, go on with add-data. 0 means wait for more
//               bytes (or, once the reply window has passed, count incoming::kRetryCounter and repeat).
//               A late data reply to an earlier command is dropped on the way (LateReplyCount);
//   - repeat or link failure: h.ClearFrames(1, false) or h.ClearFrames(1, true).
// Replies that carry data are stored in the model (under the model lock) and reported through the
// ReplyEvents receiver.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>

#include "model/Model.h"
#include "protocol/FrameRecord.h"
#include "protocol/ReplyEvents.h"
#include "protocol/SendDataQueue.h"
#include "protocol/SendLock.h"
#include "protocol/TraceSink.h"

namespace pavo {

class ProtocolHandler {
public:
    explicit ProtocolHandler(Model& model, ReplyEvents* events = nullptr);
    ~ProtocolHandler();
    ProtocolHandler(const ProtocolHandler&) = delete;
    ProtocolHandler& operator=(const ProtocolHandler&) = delete;

    Model& model() const { return model_; }
    void SetEvents(ReplyEvents* events) { events_ = events; }

    // The send lock; `step` runs under it, so the engine (and its scanner) sees all of it or none of
    // it. Pages flip a link byte and copy the linked channel this way.
    SendLockMutex& SendLock() const { return sendLock_; }
    template <class F>
    decltype(auto) WithSendLock(F&& step) {
        SendLockGuard guard(sendLock_);
        return std::forward<F>(step)();
    }

    // The frame records, guarded by the send lock.
    FrameRecord& Outgoing() { return outgoing_; }
    FrameRecord& Incoming() { return incoming_; }
    // Both records as new (the model reset's step for them); before the engine runs.
    void ResetFrames();

    // Send queue.
    void Append(std::unique_ptr<SendData> item) { queue_.Append(std::move(item)); }
    int HasItems() const { return queue_.HasItems(); }
    int Count() const { return queue_.Count(); }
    int PopInto(FrameRecord& destination) { return queue_.PopInto(destination); }
    void Clear() { queue_.Clear(); }
    SendDataQueue& Queue() { return queue_; }

    // The change scanner's next frame into the outgoing record (protocol/Command.h).
    int ScanForChange();
    // The frames of one bulk command appended to the queue as one batch (protocol/Command.h).
    int QueueCommand(unsigned command, unsigned argument);
    // One stored program read into the bank on its own (protocol/Command.h).
    int QueueProgramRead(int number);

    // Frame assembler. `link` is the connection number (the program has one link, 1). Returns 1 when
    // the bytes completed a frame that was accepted; bytes after the end of a frame are dropped.
    int FeedBytes(int link, const uint8_t* bytes, size_t count);
    // Clear the incoming record and, with `includingOutgoing`, the outgoing record from byte 4 on.
    void ClearFrames(int link, bool includingOutgoing);
    // Data replies dropped because they answered an earlier command than the one in flight.
    uint64_t LateReplyCount() const { return lateReplies_.load(std::memory_order_relaxed); }

    // The traffic trace's observer (null removes it); returns the previous one. It takes the send
    // lock, so once it has returned no report is being delivered to the previous observer any more.
    TraceSink* InstallTraceSink(TraceSink* sink);
    // Removes the observer if it is still the one installed (a later one stays).
    void RemoveTraceSink(TraceSink* sink);
    void Trace(TraceKind kind, uint8_t sentCmd, int value, const uint8_t* bytes = nullptr, size_t size = 0,
               const char* note = nullptr) {
        if (TraceSink* sink = trace_.load(std::memory_order_acquire))
            sink->OnTrace({kind, sentCmd, value, bytes, size, note});
    }

private:
    enum class Assembly { Incomplete, Complete, Invalid };
    static Assembly Assemble(FrameRecord& in, const uint8_t* bytes, size_t count, size_t& used);
    static bool SumMatches(const FrameRecord& in);
    bool DropIfLate(const FrameRecord& in, const FrameRecord& out);
    static void RestartAssembly(FrameRecord& in);
    bool Accept(const FrameRecord& in, const FrameRecord& out);
    void Dispatch(const FrameRecord& in, const FrameRecord& out);
    void StatusReply(const FrameRecord& in, bool areaA);
    void ProgramReply(const FrameRecord& in, const FrameRecord& out);

    Model& model_;
    mutable SendLockMutex sendLock_;
    SendDataQueue queue_{sendLock_};
    FrameRecord outgoing_;
    FrameRecord incoming_;
    std::atomic<ReplyEvents*> events_;
    std::atomic<TraceSink*> trace_{nullptr};
    std::atomic<uint64_t> lateReplies_{0};
};

}  // namespace pavo
