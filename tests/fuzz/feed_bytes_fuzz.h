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
#include "protocol/CommandCodes.h"
#include "protocol/FrameRecord.h"
#include "protocol/ProtocolHandler.h"

namespace pavo::fuzz {

inline void FeedBytesOnce(const uint8_t* data, size_t size) {
    // One model for the whole run, as the program keeps one while the unit talks: what earlier
    // inputs stored stays, a fresh handler each time.
    static Model model;
    static const bool reset = [] {
        ResetParameters(model, false);
        return true;
    }();
    (void)reset;
    if (size < 2) return;
    static const uint8_t kSent[] = {CmdStatusA,      CmdStatusB,      CmdLookup, CmdReadNames, CmdReadSystem,
                                    CmdReadPrograms, CmdSendPrograms, CmdRecall, CmdStore,     CmdFilter};
    const uint8_t sent = kSent[data[0] % sizeof kSent];
    const size_t chunk = size_t{data[1]} + 1;
    data += 2;
    size -= 2;

    ProtocolHandler handler(model);
    handler.ClearFrames(1, true);
    model.Edit([] { model.pages.CurrentPage = kSystemPageIndex; });
    handler.QueueCommand(sent, sent == CmdReadPrograms ? (chunk % 22) : 0);
    handler.PopInto(handler.Outgoing());
    handler.Clear();

    for (size_t at = 0; at < size; at += chunk) {
        const size_t n = std::min(chunk, size - at);
        const int accepted = handler.FeedBytes(1, data + at, n);
        const FrameRecord& in = handler.Incoming();
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
