#pragma once
// One fuzz input for the frame assembler, shared by the libFuzzer target and the corpus replay test.
// Input: byte 0 picks the command the engine has sent, byte 1 the size of each read; the rest are the
// bytes from the line. Whatever arrives, the assembler must stay inside its record and keep its
// write position within the frame area.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "model/Model.h"
#include "protocol/Command.h"
#include "protocol/FrameRecord.h"
#include "protocol/ProtocolHandler.h"

namespace pavo::fuzz {

inline void FeedBytesOnce(const uint8_t* data, size_t size) {
    static const bool reset = [] {
        ResetParameters();
        return true;
    }();
    (void)reset;
    if (size < 2) return;
    static const uint8_t kSent[] = {0x0C, 0x18, 0x7F, 0x80, 0x81, 0x82, 0x84, 0x85, 0x86, 0x04};
    const uint8_t sent = kSent[data[0] % sizeof kSent];
    const size_t chunk = size_t{data[1]} + 1;
    data += 2;
    size -= 2;

    ProtocolHandler handler;
    handler.ClearFrames(1, true);
    TheModel().pages.CurrentPage = 5;
    QueueCommand(sent, sent == 0x82 ? (chunk % 22) : 0);
    handler.PopInto(OutgoingFrame());
    handler.Clear();

    for (size_t at = 0; at < size; at += chunk) {
        const size_t n = std::min(chunk, size - at);
        const int accepted = handler.FeedBytes(1, data + at, n);
        const FrameRecord& in = IncomingFrame();
        const size_t pos = in[incoming::kWritePosition] | (in[incoming::kWritePosition + 1] << 8);
        if (pos > kFrameAreaSize) std::abort();
        if (accepted != 0 && accepted != 1) std::abort();
        if (accepted) {
            for (size_t i = 0; i < kFrameRecordSize; ++i)
                if (in[i] != 0) std::abort();
        }
        if (in[incoming::kRejected]) handler.ClearFrames(1, false);  // the engine's repeat
    }
}

}  // namespace pavo::fuzz
