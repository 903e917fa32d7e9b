// The traffic trace of the engine against the virtual unit: every frame written and every reply
// accepted, byte for byte and in order, and the refusals, missing replies, repeats and the link
// failure of a misbehaving unit.
#include <gtest/gtest.h>

#include "link_harness.h"
#include "protocol/TraceRing.h"
#include "virtual_unit/UnitFrames.h"

namespace pavo::linktest {
namespace {

// A trace observer for the duration of a test.
class InstalledRing {
public:
    explicit InstalledRing(ProtocolHandler& handler) : handler_(handler) { handler.InstallTraceSink(&ring); }
    ~InstalledRing() { handler_.InstallTraceSink(nullptr); }
    std::vector<TraceRecord> Records() {
        std::vector<TraceRecord> out;
        ring.TakeAll(out);
        return out;
    }
    TraceRing ring{4096};

private:
    ProtocolHandler& handler_;
};

std::vector<uint8_t> Encoded(const unit::ReceivedFrame& f) {
    return unit::EncodeFrame(f.frame.cmd, f.frame.payload);
}

std::vector<TraceKind> Kinds(const std::vector<TraceRecord>& records) {
    std::vector<TraceKind> out;
    for (const TraceRecord& r : records) out.push_back(r.kind);
    return out;
}

TEST(LinkTrace, EveryFrameWrittenAndEveryReplyAcceptedInOrderByteForByte) {
    LinkHarness h;
    InstalledRing trace(h.handler);
    h.handler.QueueCommand(CmdLookup, 0);
    ASSERT_TRUE(h.OpenAndStart());
    ASSERT_TRUE(h.line.WaitForFrames(6, 5000));
    h.port.ClosePort();

    const auto records = trace.Records();
    const auto frames = h.line.Received();
    ASSERT_GE(records.size(), 10u);
    // Written and accepted alternate, one exchange at a time.
    size_t written = 0;
    for (size_t i = 0; i + 1 < records.size(); i += 2) {
        SCOPED_TRACE(i);
        ASSERT_EQ(records[i].kind, TraceKind::Written);
        ASSERT_EQ(records[i + 1].kind, TraceKind::Accepted);
        ASSERT_LT(written, frames.size());
        EXPECT_EQ(records[i].bytes, Encoded(frames[written]));
        // The reply is the one the unit gives to that frame, and it knows what it answers.
        unit::VirtualUnit fresh;
        if (frames[written].frame.cmd == CmdLookup) {
            EXPECT_EQ(records[i + 1].bytes, fresh.Answer(frames[written].frame));
        }
        EXPECT_EQ(records[i + 1].sentCmd, frames[written].frame.cmd);
        EXPECT_LE(records[i].at, records[i + 1].at);
        ++written;
    }
    EXPECT_EQ(records[0].bytes[4], 0x7F);
    EXPECT_EQ(records[2].bytes[4], 0x0C);
}

TEST(LinkTrace, MisbehavingUnitsLeaveRefusalsTimeOutsRetriesAndTheLinkFailure) {
    using K = TraceKind;
    // Three attempts at the frame in question, then the link is given up.
    const std::vector<K> silent = {K::Written, K::NoReply, K::Repeat,  K::Written,   K::NoReply,
                                   K::Repeat,  K::Written, K::NoReply, K::LinkFailed};
    const std::vector<K> refused = {K::Written, K::Rejected, K::NoReply, K::Repeat,
                                    K::Written, K::Rejected, K::NoReply, K::Repeat,
                                    K::Written, K::Rejected, K::NoReply, K::LinkFailed};
    struct Case {
        const char* name;
        unit::UnitOptions options;
        uint8_t cmd;  // the frame that never gets through
        const std::vector<K>* expected;
    };
    std::vector<Case> cases(3);
    cases[0] = {"silent unit on the lookup", {}, 0x7F, &silent};
    cases[0].options.silent = true;
    cases[1] = {"every reply with a wrong sum", {}, 0x7F, &refused};
    cases[1].options.badSumEvery = 1;
    cases[2] = {"every acknowledgement refused", {}, 0x0B, &refused};
    cases[2].options.nackEvery = 1;
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        LinkHarness h(c.options);
        InstalledRing trace(h.handler);
        if (c.cmd == CmdLookup) h.handler.QueueCommand(CmdLookup, 0);
        ASSERT_TRUE(h.OpenAndStart());
        if (c.cmd == CmdSwitch) {
            // Status polls get data replies, which pass; the switch's acknowledgement is refused.
            ASSERT_TRUE(h.line.WaitForFrames(1, 5000));
            h.Edit([&] { h.m.current.EchoB.DirectSwitch = 1; });
        }
        ASSERT_TRUE(h.events.WaitFor("LinkFailed", 1, 15000));
        h.port.ClosePort();

        const auto records = trace.Records();
        size_t first = 0;
        while (first < records.size() &&
               !(records[first].kind == K::Written && records[first].bytes.size() > 4 &&
                 records[first].bytes[4] == c.cmd))
            ++first;
        ASSERT_LE(first + c.expected->size(), records.size());
        const auto kinds = Kinds(records);
        EXPECT_EQ(std::vector<K>(kinds.begin() + first, kinds.begin() + first + c.expected->size()),
                  *c.expected);
        int attempt = 0, repeat = 0;
        for (size_t i = first; i < first + c.expected->size(); ++i) {
            const TraceRecord& r = records[i];
            switch (r.kind) {
                case K::Written:
                    EXPECT_EQ(r.bytes, records[first].bytes) << "the same frame again";
                    continue;
                case K::NoReply:
                    EXPECT_EQ(r.value, ++attempt);
                    break;
                case K::Repeat:
                    EXPECT_EQ(r.value, ++repeat);
                    break;
                case K::LinkFailed:
                    EXPECT_EQ(r.value, c.cmd == CmdLookup ? 1 : 0);
                    break;
                default:
                    break;
            }
            EXPECT_EQ(r.sentCmd, c.cmd);
        }
        EXPECT_EQ(attempt, 3);
    }
}

}  // namespace
}  // namespace pavo::linktest
