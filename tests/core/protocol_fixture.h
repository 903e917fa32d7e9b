#pragma once
// Shared pieces of the protocol tests: a recording message sink, frame construction with an
// independently computed sum, and a fixture that starts from a reset model already sent to the unit.
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
#include "protocol/StatusState.h"

namespace pavo::testing {

using Bytes = std::vector<uint8_t>;

struct Posted {
    unsigned message;
    WParam wParam;
    LParam lParam;
    bool operator==(const Posted&) const = default;
};

class RecordingSink : public MessageSink {
public:
    void Post(unsigned message, WParam w, LParam l) override {
        std::lock_guard<std::mutex> g(lock_);
        posted_.push_back({message, w, l});
    }
    void PostText(unsigned kind, const char* title, const char* text) override {
        std::lock_guard<std::mutex> g(lock_);
        texts_.push_back({kind, text ? text : ""});
    }
    std::vector<Posted> posted() {
        std::lock_guard<std::mutex> g(lock_);
        return posted_;
    }
    std::vector<std::pair<unsigned, std::string>> texts() {
        std::lock_guard<std::mutex> g(lock_);
        return texts_;
    }
    void clear() {
        std::lock_guard<std::mutex> g(lock_);
        posted_.clear();
        texts_.clear();
    }

private:
    std::mutex lock_;
    std::vector<Posted> posted_;
    std::vector<std::pair<unsigned, std::string>> texts_;
};

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
        ResetParameters();
        AcceptProgram(true);
        Flags().transferPending = 0;
        Flags().storeAuthority = 0;
    }
    void TearDown() override {
        handler.Clear();
        handler.ClearFrames(1, true);
    }

    // One scan; the frame it built.
    Bytes Scan() {
        ScanForChange();
        return FrameBytes(OutgoingFrame());
    }
    // Feeds a whole reply; the assembler's result.
    int Feed(const Bytes& b) { return handler.FeedBytes(1, b.data(), b.size()); }

    Model& m = TheModel();
    RecordingSink sink;
    ProtocolHandler handler{&sink};
};

}  // namespace pavo::testing
