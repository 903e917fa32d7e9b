// The termios layer: names, line-setting mappings and the configured pseudo-terminal.
#include <gtest/gtest.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "serial/LowLatency.h"
#include "serial/SerialLine.h"

namespace pavo {
namespace {

TEST(SerialLine, NamesAndSettingCodesMap) {
    EXPECT_EQ(DevicePathFor("ttyUSB0"), "/dev/ttyUSB0");
    EXPECT_EQ(DevicePathFor("\\\\.\\ttyS1"), "/dev/ttyS1");
    EXPECT_EQ(DevicePathFor("/dev/pts/7"), "/dev/pts/7");
    EXPECT_EQ(PortNumberOf("ttyUSB12"), 12);
    EXPECT_EQ(PortNumberOf("/dev/pts/3"), 3);
    EXPECT_EQ(PortNumberOf("ttyS"), 0);

    struct {
        char letter;
        Parity parity;
    } parities[] = {{'E', Parity::Even}, {'e', Parity::Even},  {'O', Parity::Odd},  {'o', Parity::Odd},
                    {'M', Parity::Mark}, {'s', Parity::Space}, {'N', Parity::None}, {'x', Parity::None}};
    for (auto c : parities) EXPECT_EQ(ParityFromLetter(c.letter), c.parity) << c.letter;
    EXPECT_EQ(StopBitsFromCode(0), StopBits::One);
    EXPECT_EQ(StopBitsFromCode(1), StopBits::OneAndHalf);
    EXPECT_EQ(StopBitsFromCode(2), StopBits::Two);
    EXPECT_EQ(StopBitsFromCode(7), StopBits::One);
}

class PtyLine : public ::testing::Test {
protected:
    void SetUp() override {
        char name[256];
        ASSERT_EQ(::openpty(&master_, &slave_, name, nullptr, nullptr), 0);
        path_ = name;
    }
    void TearDown() override {
        ::close(master_);
        ::close(slave_);
    }
    termios Current() {
        termios t{};
        ::tcgetattr(slave_, &t);
        return t;
    }
    int master_ = -1, slave_ = -1;
    std::string path_;
};

TEST(SerialLine, ParityAndStopBitsMapToControlFlags) {
    struct Case {
        Parity parity;
        StopBits stop;
        tcflag_t expectSet;
        tcflag_t expectClear;
    };
    const Case cases[] = {
        {Parity::None, StopBits::One, 0, PARENB | PARODD | CMSPAR | CSTOPB},
        {Parity::Even, StopBits::Two, PARENB | CSTOPB, PARODD | CMSPAR},
        {Parity::Odd, StopBits::OneAndHalf, PARENB | PARODD | CSTOPB, CMSPAR},
        {Parity::Mark, StopBits::One, PARENB | PARODD | CMSPAR, CSTOPB},
        {Parity::Space, StopBits::One, PARENB | CMSPAR, PARODD | CSTOPB},
    };
    for (const Case& c : cases) {
        termios t{};
        t.c_cflag = PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | CS5;  // whatever the port had before
        t.c_lflag = ICANON | ECHO | ISIG;
        LineError error;
        ASSERT_TRUE(ApplyLineSettings(t, {115200, c.parity, 8, c.stop}, error));
        EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
        EXPECT_EQ(t.c_cflag & c.expectSet, c.expectSet);
        EXPECT_EQ(t.c_cflag & (c.expectClear | CRTSCTS), 0u);
        EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
    }
    termios t{};
    LineError error;
    EXPECT_FALSE(ApplyLineSettings(t, {123456, Parity::None, 8, StopBits::One}, error));
    EXPECT_EQ(error.operation, "cfsetspeed()");
    EXPECT_FALSE(ApplyLineSettings(t, {115200, Parity::None, 9, StopBits::One}, error));
    EXPECT_EQ(error.operation, "tcsetattr()");
}

// Pseudo-terminals force 8 bits without parity, so the device check covers the rest of the settings.
TEST_F(PtyLine, ConfiguresARaw115200Line) {
    SerialLine line;
    ASSERT_TRUE(line.Open(path_));
    LineError error;
    ASSERT_TRUE(line.Configure({115200, Parity::Even, 8, StopBits::One}, error)) << error.operation;
    const termios t = Current();
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(t.c_iflag & (IXON | ICRNL), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B115200));
    EXPECT_EQ(cfgetispeed(&t), static_cast<speed_t>(B115200));
}

TEST_F(PtyLine, RefusesASecondOpenAndBadSettings) {
    SerialLine first, second;
    ASSERT_TRUE(first.Open(path_));
    EXPECT_FALSE(second.Open(path_));
    LineError error;
    EXPECT_FALSE(first.Configure({123456, Parity::None, 8, StopBits::One}, error));
    EXPECT_EQ(error.operation, "cfsetspeed()");
    first.Close();
    EXPECT_TRUE(second.Open(path_));
    SerialLine missing;
    EXPECT_FALSE(missing.Open("/dev/pavo-no-such-port"));
}

TEST_F(PtyLine, MovesBytesBothWaysAndPurgesInput) {
    SerialLine line;
    ASSERT_TRUE(line.Open(path_));
    LineError error;
    ASSERT_TRUE(line.Configure({}, error));
    const uint8_t out[] = {0xFF, 0x55, 0x03, 0x00, 0x0C, 0x01, 0x10};
    ASSERT_EQ(line.WriteSome(out, sizeof out), static_cast<long>(sizeof out));
    EXPECT_TRUE(line.Drain());
    uint8_t got[16] = {};
    ASSERT_EQ(::read(master_, got, sizeof got), static_cast<long>(sizeof out));
    EXPECT_EQ(0, std::memcmp(got, out, sizeof out));

    ASSERT_EQ(::write(master_, "\x11\x22\x33", 3), 3);
    for (int i = 0; i < 100 && line.BytesWaiting() < 3; ++i) ::usleep(1000);
    EXPECT_EQ(line.BytesWaiting(), 3);
    line.PurgeInput();
    EXPECT_EQ(line.BytesWaiting(), 0);
    ASSERT_EQ(::write(master_, "\x44", 1), 1);
    for (int i = 0; i < 100 && line.BytesWaiting() < 1; ++i) ::usleep(1000);
    EXPECT_EQ(line.ReadSome(got, sizeof got), 1);
    EXPECT_EQ(got[0], 0x44);
}

// Low latency is asked of an adapter's latency timer where there is one, and nowhere else. A fake
// sysfs tree stands in for the adapter: the pseudo-terminal's device numbers lead to its timer file.
TEST_F(PtyLine, LowLatencySetsAnAdaptersTimerAndLeavesOtherPortsAlone) {
    const std::filesystem::path root =
        std::filesystem::path(::testing::TempDir()) / ("pavo-sysfs-" + std::to_string(::getpid()));
    const std::string timer = LatencyTimerPath(slave_, root.string());
    ASSERT_FALSE(timer.empty());
    ASSERT_EQ(timer.rfind(root.string() + "/dev/char/", 0), 0u);
    std::filesystem::create_directories(std::filesystem::path(timer).parent_path());

    // A pseudo-terminal has neither the driver flag nor a timer: nothing set, nothing created.
    LowLatencyResult none = RequestLowLatency(slave_, root.string());
    EXPECT_FALSE(none.driverFlag);
    EXPECT_FALSE(none.latencyTimer);
    EXPECT_FALSE(std::filesystem::exists(timer));
    EXPECT_FALSE(RequestLowLatency(slave_).latencyTimer);  // the real /sys: no timer for a pty

    std::ofstream(timer) << "16\n";
    EXPECT_TRUE(RequestLowLatency(slave_, root.string()).latencyTimer);
    std::ifstream in(timer);
    int ms = 0;
    in >> ms;
    EXPECT_EQ(ms, 1);

    // Opening and configuring a port without either works as before.
    SerialLine line;
    ASSERT_TRUE(line.Open(path_));
    LineError error;
    EXPECT_TRUE(line.Configure({}, error));
    std::filesystem::remove_all(root);
}

}  // namespace
}  // namespace pavo
