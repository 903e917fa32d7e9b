// The timing of the exchange: how long the engine waits for the reply to each kind of frame, and the
// pauses after bulk and long-pause frames. Bounds leave room for a busy machine but tell the windows
// (1 s for an ordinary frame, 2.5 s for a bulk one) and the pauses (1 s, 3 s) apart.
#include <gtest/gtest.h>

#include "link_harness.h"

namespace pavo::linktest {
namespace {

struct Gap {
    const char* name;
    unsigned command, argument;  // queued before the engine starts
    bool silent;                 // the unit never answers: the gap is one reply window (and pause)
    double lowMs, highMs;        // between the first two frames of the queued command... or the next
};

// Milliseconds between the first frame with `cmd` and the frame after it.
double GapAfterFirst(const std::vector<unit::ReceivedFrame>& frames, uint8_t cmd) {
    for (size_t i = 0; i + 1 < frames.size(); ++i)
        if (frames[i].frame.cmd == cmd) return frames[i + 1].atMs - frames[i].atMs;
    return -1;
}

void CheckGaps(const std::vector<Gap>& cases) {
    for (const Gap& c : cases) {
        SCOPED_TRACE(c.name);
        unit::UnitOptions options;
        options.silent = c.silent;
        LinkHarness h(options);
        {
            SendLockGuard guard(h.handler.SendLock());
            h.handler.QueueCommand(c.command, c.argument);
        }
        ASSERT_TRUE(h.OpenAndStart());
        ASSERT_TRUE(h.line.WaitForFrames(2, static_cast<int>(c.highMs) + 2000));
        h.port.ClosePort();
        const double gap = GapAfterFirst(h.line.Received(), static_cast<uint8_t>(c.command));
        EXPECT_GT(gap, c.lowMs);
        EXPECT_LT(gap, c.highMs);
        EXPECT_TRUE(h.events.Of("LinkFailed").empty());
        h.m.flags.transferPending = 0;
    }
}

TEST(LinkTiming, AnUnansweredFrameIsRepeatedAfterItsReplyWindow) {
    CheckGaps({
        // 500 ms wait + 500 ms of empty polls.
        {"ordinary frame", 0x7F, 0, true, 950, 1800},
        // 1000 ms pause + 2000 ms wait + 500 ms of empty polls.
        {"bulk frame", 0x82, 1, true, 3450, 4400},
        // 3000 ms pause + 500 ms wait + 500 ms of empty polls.
        {"long-pause frame", 0x84, 0, true, 3950, 4900},
    });
}

TEST(LinkTiming, AnsweredBulkAndLongPauseFramesHoldTheNextFrameBack) {
    CheckGaps({
        {"bulk frame: 1000 ms", 0x82, 1, false, 990, 1700},
        {"long-pause frame: 3000 ms", 0x84, 0, false, 2990, 3800},
        {"ordinary frame: the 20 ms cycle pause only", 0x81, 0, false, 19, 600},
    });
}

}  // namespace
}  // namespace pavo::linktest
