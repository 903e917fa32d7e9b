#pragma once
// The protocol handler: the send queue and the frame assembler for the unit's replies. One object, owned
// by the main window; it registers itself as the current handler, through which QueueCommand and the
// serial engine reach it.
//
// How the serial engine uses it, on its worker thread and always under the send lock:
//   - add-data: if (h.HasItems()) h.PopInto(OutgoingFrame()); else ScanForChange();
//   - write:    OutgoingFrame().FrameLength() bytes from OutgoingFrame().data(), then set
//               outgoing::kReplyAwaited; the control bytes of the frame (kLongPause, kBulk, kLookup,
//               kSequence) came with the popped item and are cleared once its reply is accepted;
//   - read:     h.FeedBytes(1, bytes, n) == 1 means a reply was accepted: the incoming record and the
//               outgoing record from byte 4 on are clear, go on with add-data. 0 means wait for more
//               bytes (or, once the reply window has passed, count incoming::kRetryCounter and repeat).
//               A late data reply to an earlier command is dropped on the way (LateReplyCount);
//   - repeat or link failure: h.ClearFrames(1, false) or h.ClearFrames(1, true).
// Replies that carry data are stored in the model (under the model lock) and reported to the main
// window through the MessageSink.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "model/Messages.h"
#include "protocol/FrameRecord.h"
#include "protocol/SendDataQueue.h"

namespace pavo {

class ProtocolHandler {
public:
    explicit ProtocolHandler(MessageSink* sink = nullptr);
    ~ProtocolHandler();
    ProtocolHandler(const ProtocolHandler&) = delete;
    ProtocolHandler& operator=(const ProtocolHandler&) = delete;

    // The handler constructed last and still alive, or nullptr.
    static ProtocolHandler* Current();

    void SetSink(MessageSink* sink) { sink_ = sink; }

    // Send queue.
    void Append(std::unique_ptr<SendData> item) { queue_.Append(std::move(item)); }
    int HasItems() const { return queue_.HasItems(); }
    int Count() const { return queue_.Count(); }
    int PopInto(FrameRecord& destination) { return queue_.PopInto(destination); }
    void Clear() { queue_.Clear(); }
    SendDataQueue& Queue() { return queue_; }

    // Frame assembler. `link` is the connection number (the program has one link, 1). Returns 1 when
    // the bytes completed a frame that was accepted; bytes after the end of a frame are dropped.
    int FeedBytes(int link, const uint8_t* bytes, size_t count);
    // Clear the incoming record and, with `includingOutgoing`, the outgoing record from byte 4 on.
    void ClearFrames(int link, bool includingOutgoing);
    // Data replies dropped because they answered an earlier command than the one in flight.
    uint64_t LateReplyCount() const { return lateReplies_.load(std::memory_order_relaxed); }

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
    void Post(unsigned message, WParam wParam = 0);

    SendDataQueue queue_;
    std::atomic<MessageSink*> sink_;
    std::atomic<uint64_t> lateReplies_{0};
};

}  // namespace pavo
