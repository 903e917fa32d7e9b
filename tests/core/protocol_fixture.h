#pragma once
// Shared pieces of the protocol tests: frame construction with an independently computed sum, and a
// fixture with a unit of its own whose reset model is already sent, its events recorded.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "model/Model.h"
#include "protocol/Command.h"
#include "protocol/FrameRecord.h"
#include "protocol/ProtocolHandler.h"
#include "unit/Unit.h"
#include "unit_events_recorder.h"

namespace pavo::testing {

using Bytes = std::vector<uint8_t>;

// FF 55 LEN CMD payload SUM, the sum taken here without the code under test.
inline Bytes MakeFrame(uint8_t cmd, const Bytes& payload) {
    const size_t len = payload.size() + 2;
    Bytes f;
    f.reserve(payload.size() + 6);
    for (uint8_t b : {uint8_t{0xFF}, uint8_t{0x55}, static_cast<uint8_t>(len & 0xFF),
                      static_cast<uint8_t>(len >> 8), cmd})
        f.push_back(b);
    for (uint8_t b : payload) f.push_back(b);
    unsigned sum = 0;
    for (size_t i = 2; i < f.size(); ++i) sum += f[i];
    f.push_back(static_cast<uint8_t>(sum));
    return f;
}

inline Bytes FrameBytes(const FrameRecord& r) {
    return Bytes(r.data(), r.data() + r.FrameLength());
}

// A reset model whose current records have all been sent, an empty queue, clear frame records.
class ProtocolTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The reset leaves a few fields alone (mutes, mic levels, sensitivity): start from zero.
        std::memset(BytesOf(m.current), 0, sizeof m.current);
        std::memset(BytesOf(m.system), 0, sizeof m.system);
        unit.Reset(false);
        AcceptProgram(m, true);
        m.flags.transferPending = 0;
        m.flags.storeAuthority = 0;
        unit.AddListener(&events);
        events.Clear();
    }
    void TearDown() override { unit.RemoveListener(&events); }

    // One scan; the frame it built.
    Bytes Scan() {
        handler.ScanForChange();
        return FrameBytes(handler.Outgoing());
    }
    // Feeds a whole reply; the assembler's result.
    int Feed(const Bytes& b) { return handler.FeedBytes(1, b.data(), b.size()); }
    Unit unit{false};
    Model& m = unit.model();
    ProtocolHandler& handler = unit.handler();
    RecordingEvents events;
};

}  // namespace pavo::testing
