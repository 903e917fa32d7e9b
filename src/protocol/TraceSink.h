#pragma once
// The traffic trace: every frame that crosses the line and every turn the exchange takes, reported as
// it happens to one observer (the traffic log window, `pavo --trace`, pavo-cli). The serial engine
// reports the frames it writes, replies that did not come, repeats and link failures; the frame
// assembler reports each reply it accepts or rejects.
//
// Reports are made on the engine's thread with the send lock held: an observer copies what it needs
// and returns at once (no I/O, no waiting, no other lock than its own). With no observer installed a
// report costs one atomic load. Each unit's protocol handler has its own observer
// (ProtocolHandler::InstallTraceSink).
#include <atomic>
#include <cstddef>
#include <cstdint>

namespace pavo {

enum class TraceKind : uint8_t {
    Written,     // a frame went out; bytes: the frame; value: its sequence number (queued items of a
                 // numbered batch), 0 for the others
    Accepted,    // a reply was accepted; bytes: the frame
    Rejected,    // a reply was refused (wrong sum, negative acknowledgement, no valid frame); bytes:
                 // what had been assembled
    NoReply,     // no reply in time; value: the attempt that went unanswered (1..3)
    Repeat,      // the same frame is written again; value: the repeat number (1, 2)
    LinkFailed,  // the engine gives the link up; value: 1 when the frame was the device lookup; note:
                 // the reason
    LateReply,   // a data reply for another command than the one in flight was dropped (the late
                 // answer to a frame given up); bytes: the frame
};

struct TraceEvent {
    TraceKind kind = TraceKind::Written;
    uint8_t sentCmd = 0;  // CMD of the outgoing frame at the time (what a reply answers)
    int value = 0;
    const uint8_t* bytes = nullptr;  // valid during the call only
    size_t size = 0;
    const char* note = nullptr;  // LinkFailed: why, in the words of the port's error (valid during the call)
};

class TraceSink {
public:
    virtual ~TraceSink() = default;
    virtual void OnTrace(const TraceEvent& event) = 0;
};

}  // namespace pavo
