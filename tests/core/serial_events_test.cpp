// The worker's events: precedence, and waits that end at once on shutdown or a hang-up.
#include <gtest/gtest.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "serial/EngineEvents.h"

namespace pavo {
namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

TEST(EngineEvents, WaitReportsTheFirstEventInPrecedenceOrder) {
    int master, slave;
    ASSERT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    termios raw{};
    ::tcgetattr(slave, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(slave, TCSANOW, &raw);
    EngineEvents events;
    ASSERT_EQ(::write(master, "x", 1), 1);  // the port has a byte waiting: I/O
    EXPECT_EQ(events.Wait(slave, 1000), EngineEvent::Io);
    events.Signal(EngineEvent::AddData);
    EXPECT_EQ(events.Wait(slave, 1000), EngineEvent::AddData);
    events.Signal(EngineEvent::Write);
    EXPECT_EQ(events.Wait(slave, 1000), EngineEvent::Write);
    events.Signal(EngineEvent::Shutdown);
    EXPECT_EQ(events.Wait(slave, 1000), EngineEvent::Shutdown);
    events.ResetAll();
    char c;
    ASSERT_EQ(::read(slave, &c, 1), 1);
    const auto start = Clock::now();
    EXPECT_EQ(events.Wait(slave, 50), EngineEvent::Timeout);
    EXPECT_GE(MsSince(start), 49.0);

    ::close(master);  // the other side went away
    EXPECT_EQ(events.Wait(slave, 1000), EngineEvent::DeviceGone);
    EXPECT_EQ(events.WaitForData(slave, 1000), EngineEvent::DeviceGone);
    ::close(slave);
}

TEST(EngineEvents, ShutdownEndsPausesAndWaitsAtOnceButOtherEventsDoNot) {
    EngineEvents events;
    std::thread signaller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        events.Signal(EngineEvent::AddData);  // does not end a pause
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        events.Signal(EngineEvent::Shutdown);
    });
    const auto start = Clock::now();
    EXPECT_FALSE(events.Pause(3000));
    const double ms = MsSince(start);
    signaller.join();
    EXPECT_GE(ms, 95.0);
    EXPECT_LT(ms, 1500.0);
    EXPECT_TRUE(events.IsSet(EngineEvent::AddData));
    EXPECT_EQ(events.WaitForData(-1, 3000), EngineEvent::Shutdown);
    events.ResetAll();
    EXPECT_TRUE(events.Pause(10));
}

}  // namespace
}  // namespace pavo
