// Why the engine gave up or could not open: the reason the off-line status shows.
#include <gtest/gtest.h>

#include <cerrno>

#include "link_harness.h"

namespace pavo::linktest {
namespace {

TEST(LinkFaultReason, EachWayOfLosingTheLinkNamesItsCause) {
    struct Case {
        const char* name;
        unit::UnitOptions options;
        bool pullCable;
        LinkFault expected;
    };
    unit::UnitOptions silentAfterTwo;
    silentAfterTwo.silentAfter = 2;
    const Case cases[] = {
        {"unit falls silent", silentAfterTwo, false, LinkFault::NoAnswer},
        {"cable pulled", {}, true, LinkFault::Unplugged},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LinkHarness h(c.options);
        ASSERT_TRUE(h.OpenAndStart());
        EXPECT_EQ(h.port.Fault(), LinkFault::None);
        ASSERT_TRUE(h.line.WaitForFrames(2, 5000));
        if (c.pullCable) h.line.Unplug();
        ASSERT_TRUE(h.events.WaitFor("LinkFailed", 1, 10000));
        EXPECT_EQ(h.port.Fault(), c.expected);
    }
}

TEST(LinkFaultReason, APortThatWillNotOpenSaysWhy) {
    LinkHarness h;
    ASSERT_TRUE(h.Open());
    SerialPort second(h.handler);
    const PortError busy = second.OpenPort(h.line.DevicePath(), 115200, 'N', 8, 0, 9, 115200);
    EXPECT_EQ(busy.fault, LinkFault::PortBusy);
    EXPECT_EQ(second.Fault(), LinkFault::PortBusy);
    EXPECT_EQ(busy.operation, "open()");
    EXPECT_NE(busy.err, 0);
    EXPECT_EQ(busy.Text().rfind("port busy (", 0), 0u) << busy.Text();
    EXPECT_EQ(second.OpenPort("/dev/pavo-no-such-port", 115200, 'N', 8, 0, 9, 115200).fault,
              LinkFault::Unplugged);
    EXPECT_EQ(second.LastError().err, ENOENT);
    // A good open forgets the last reason.
    h.port.ClosePort();
    EXPECT_FALSE(second.OpenPort(h.line.DevicePath(), 115200, 'N', 8, 0, 9, 115200));
    EXPECT_EQ(second.Fault(), LinkFault::None);
}

}  // namespace
}  // namespace pavo::linktest
