// The engine against a misbehaving unit: silence, wrong sums, refusals, a pulled cable, closing in
// the middle of a pause, and ports that cannot be opened or configured.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "link_harness.h"
#include "read_faults.h"

namespace pavo::linktest {
namespace {

using testing::Reports;

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

bool SameFrame(const unit::ReceivedFrame& a, const unit::ReceivedFrame& b) {
    return a.frame.cmd == b.frame.cmd && a.frame.payload == b.frame.payload;
}

TEST(LinkFaults, SilentUnitGetsTheSameFrameThreeTimesThenOneLinkFailure) {
    struct Case {
        const char* name;
        bool lookup;           // the unanswered frame is the device lookup
        int answered;          // frames answered before the unit falls silent
        const char* reported;  // the link failure report
    };
    const Case cases[] = {{"lookup unanswered", true, 0, "LinkFailed(no answer, lookup)"},
                          {"silent after two polls", false, 2, "LinkFailed(no answer)"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        unit::UnitOptions options;
        options.silent = c.answered == 0;
        options.silentAfter = c.answered;
        LinkHarness h(options);
        if (c.lookup) h.handler.QueueCommand(CmdLookup, 0);
        ASSERT_TRUE(h.OpenAndStart());
        ASSERT_TRUE(h.events.WaitFor("LinkFailed", 1, 10000));
        EXPECT_TRUE(Eventually([&] { return !h.port.IsAlive(); }, 2000));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));  // nothing more happens after it

        const auto frames = h.line.Received();
        ASSERT_EQ(frames.size(), static_cast<size_t>(c.answered + 3));
        const auto& first = frames[c.answered];
        EXPECT_EQ(first.frame.cmd, c.lookup ? CmdLookup : (c.answered % 2 ? CmdStatusB : CmdStatusA));
        EXPECT_TRUE(SameFrame(frames[c.answered + 1], first));
        EXPECT_TRUE(SameFrame(frames[c.answered + 2], first));
        // Each attempt waits half a second and then polls five times for 100 ms.
        for (int i = 1; i < 3; ++i) {
            const double gap = frames[c.answered + i].atMs - frames[c.answered + i - 1].atMs;
            EXPECT_GT(gap, 950.0);
            EXPECT_LT(gap, 1800.0);
        }
        EXPECT_EQ(h.events.Of("LinkFailed"), Reports{c.reported});
        EXPECT_EQ(h.port.Fault(), LinkFault::NoAnswer);

        if (c.lookup) {
            // As the connection code does next: close, open the next candidate, look up again there.
            h.port.ClosePort();
            unit::UnitLine next;
            ASSERT_TRUE(next.Start());
            ASSERT_FALSE(h.port.OpenPort(next.DevicePath(), 115200, 'N', 8, 0, 9, 115200));
            h.handler.QueueCommand(CmdLookup, 0);
            ASSERT_EQ(h.port.StartEngine(), 1);
            EXPECT_TRUE(h.events.WaitFor("DeviceFound", 1, 5000));
            h.port.ClosePort();
            EXPECT_EQ(next.Received().front().frame.cmd, CmdLookup);
            EXPECT_EQ(h.events.Of("LinkFailed").size(), 1u);
        }
    }
}

// Another device talking on the line (a modem, a GPS, a console) while nothing answers the lookup:
// bytes keep coming, but none of them is a reply, so the port is given up as if it were silent.
TEST(LinkFaults, ChatterThatNeverFormsAReplyIsGivenUpLikeSilence) {
    std::vector<uint8_t> plain, opensFrames;
    for (int i = 0; i < 64; ++i) {
        uint8_t b = static_cast<uint8_t>(i * 37 + 11);
        if (b == 0xFF || b == 0x55 || b == 0x03 || b == 0xCC) b = 0x20;
        plain.push_back(b);
    }
    opensFrames = plain;
    // A frame start with a length that the rest of the chatter fills up, then fails its sum.
    const uint8_t start[] = {0xFF, 0x55, 0x30, 0x00, 0x82};
    std::copy(std::begin(start), std::end(start), opensFrames.begin() + 10);
    const struct {
        const char* name;
        std::vector<uint8_t> chatter;
    } cases[] = {{"plain bytes", plain}, {"bytes that open frames", opensFrames}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        unit::UnitOptions options;
        options.silent = true;
        options.chatter = c.chatter;
        options.chatterEveryMs = 5;
        LinkHarness h(options);
        h.handler.QueueCommand(CmdLookup, 0);
        ASSERT_TRUE(h.OpenAndStart());
        ASSERT_TRUE(h.events.WaitFor("LinkFailed", 1, 10000));
        EXPECT_TRUE(Eventually([&] { return !h.port.IsAlive(); }, 2000));
        const auto frames = h.line.Received();
        ASSERT_EQ(frames.size(), 3u);
        for (const auto& f : frames) EXPECT_EQ(f.frame.cmd, CmdLookup);
        for (int i = 1; i < 3; ++i) {
            const double gap = frames[i].atMs - frames[i - 1].atMs;
            EXPECT_GT(gap, 950.0);
            EXPECT_LT(gap, 1800.0);
        }
        EXPECT_EQ(h.events.Of("LinkFailed"), Reports{"LinkFailed(no answer, lookup)"});
    }
}

TEST(LinkFaults, WrongSumOrRefusalMakesTheEngineWriteTheFrameAgain) {
    // Every third reply with a wrong sum, while polling.
    {
        unit::UnitOptions options;
        options.badSumEvery = 3;
        LinkHarness h(options);
        ASSERT_TRUE(h.OpenAndStart());
        ASSERT_TRUE(h.line.WaitForFrames(8, 10000));
        h.port.ClosePort();
        const auto f = h.line.Received();
        // Replies 3 and 6 were bad: frames 4 and 7 repeat frames 3 and 6; all others alternate.
        EXPECT_TRUE(SameFrame(f[3], f[2]));
        EXPECT_TRUE(SameFrame(f[6], f[5]));
        EXPECT_FALSE(SameFrame(f[1], f[0]));
        EXPECT_FALSE(SameFrame(f[4], f[3]));
        EXPECT_FALSE(SameFrame(f[7], f[6]));
        EXPECT_TRUE(h.events.Of("LinkFailed").empty());
    }
    // Every second acknowledgement refuses: each refused edit goes out again and lands.
    {
        unit::UnitOptions options;
        options.nackEvery = 2;
        LinkHarness h(options);
        h.Edit([&] {
            Model& m = h.m;
            m.current.EchoB.DirectSwitch = 1;
            m.current.Mic12.MicLevel = 33;
            m.system.Phantom = 1;
        });
        ASSERT_TRUE(h.OpenAndStart());
        ASSERT_TRUE(Eventually(
            [&] {
                const auto c = h.Commands();
                return std::count(c.begin(), c.end(), CmdPhantom) >= 1 && c.back() != CmdPhantom && c.size() > 5;
            },
            10000));
        h.port.ClosePort();
        std::vector<uint8_t> edits;
        for (uint8_t c : h.Commands())
            if (c != 0x0C && c != 0x18) edits.push_back(c);
        // 0x0B accepted (ack 1), 0x13 refused (ack 2) and repeated (ack 3), 0x8A refused (ack 4) and
        // repeated.
        EXPECT_EQ(edits, (std::vector<uint8_t>{0x0B, 0x13, 0x13, 0x8A, 0x8A}));
        EXPECT_EQ(h.line.Unit().CurrentImage().EchoB.DirectSwitch, 1);
        EXPECT_EQ(h.line.Unit().CurrentImage().Mic12.MicLevel, 33);
        EXPECT_EQ(h.line.Unit().System().Phantom, 1);
        EXPECT_TRUE(h.events.Of("LinkFailed").empty());
    }
}

// A read that fails is not the end of the link at once: the frame in flight is written again, and
// only a second failure is a link failure.
TEST(LinkFaults, AFailedReadRepeatsTheFrameOnceASecondIsALinkFailure) {
    const struct {
        const char* name;
        int failures;
        bool linkFails;
    } cases[] = {{"one failed read", 1, false}, {"two failed reads", 2, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LinkHarness h;
        ASSERT_TRUE(h.OpenAndStart());
        ASSERT_TRUE(h.line.WaitForFrames(4, 5000));
        const size_t before = h.line.ReceivedCount();
        FailReadsOf(h.line.DevicePath(), c.failures, EIO);
        if (c.linkFails) {
            ASSERT_TRUE(h.events.WaitFor("LinkFailed", 1, 5000));
            EXPECT_TRUE(Eventually([&] { return !h.port.IsAlive(); }, 2000));
        } else {
            ASSERT_TRUE(h.line.WaitForFrames(before + 6, 5000));
        }
        h.port.ClosePort();
        FailReadsOf("", 0, 0);

        // Polls alternate; the frame whose read failed is the one written twice in a row.
        const auto frames = h.line.Received();
        int repeats = 0;
        for (size_t i = before; i < frames.size(); ++i) repeats += SameFrame(frames[i], frames[i - 1]);
        EXPECT_EQ(repeats, 1);
        if (c.linkFails) {
            EXPECT_TRUE(SameFrame(frames.back(), frames[frames.size() - 2]));
        }
        EXPECT_EQ(h.events.Of("LinkFailed"), c.linkFails ? Reports{"LinkFailed(unplugged)"} : Reports{});
    }
}

// A port that reports bytes it then cannot hand over (as a file does at its end) is a silent port:
// the engine sleeps out its polls instead of spinning on the report, and gives the frame up in time.
TEST(LinkFaults, BytesThatCannotBeReadCountAsSilence) {
    LinkHarness h;
    h.handler.QueueCommand(CmdLookup, 0);
    FailReadsOf(h.line.DevicePath(), 1 << 30, EAGAIN);
    ASSERT_TRUE(h.OpenAndStart());
    ASSERT_TRUE(h.events.WaitFor("LinkFailed", 1, 10000));
    EXPECT_TRUE(Eventually([&] { return !h.port.IsAlive(); }, 2000));
    const int reads = FailedReads();
    FailReadsOf("", 0, 0);
    const auto frames = h.line.Received();
    ASSERT_EQ(frames.size(), 3u);  // the lookup, written three times
    EXPECT_EQ(h.events.Of("LinkFailed"), Reports{"LinkFailed(no answer, lookup)"});
    // About one read per 100 ms poll over three seconds; a spin makes it thousands.
    EXPECT_GT(reads, 3);
    EXPECT_LT(reads, 200);
}

TEST(LinkFaults, PulledCableGivesOneLinkFailureAndEndsTheThread) {
    struct Case {
        const char* name;
        int unplugAfter;   // the unit closes its side on receiving this frame, before answering
        bool duringPause;  // or the test pulls it while the engine sits in a bulk pause
    };
    const Case cases[] = {{"while awaiting a reply", 4, false}, {"during a bulk pause", 0, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        unit::UnitOptions options;
        options.unplugAfter = c.unplugAfter;
        LinkHarness h(options);
        ASSERT_TRUE(h.OpenAndStart());
        if (c.duringPause) {
            {
                SendLockGuard guard(h.handler.SendLock());
                h.handler.QueueCommand(CmdReadPrograms, 1);  // 21 requests, each followed by a 1000 ms pause
            }
            ASSERT_TRUE(Eventually(
                [&] {
                    const auto cmds = h.Commands();
                    return std::find(cmds.begin(), cmds.end(), CmdReadPrograms) != cmds.end();
                },
                5000));
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            h.line.Unplug();
        }
        ASSERT_TRUE(h.events.WaitFor("LinkFailed", 1, 5000));
        EXPECT_TRUE(Eventually([&] { return !h.port.IsAlive(); }, 2000));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        EXPECT_EQ(h.events.Of("LinkFailed"), Reports{"LinkFailed(unplugged)"});
        const auto start = Clock::now();
        h.port.ClosePort();
        EXPECT_LT(MsSince(start), 500.0);
    }
}

TEST(LinkFaults, ClosePortEndsTheWorkerPromptlyWhateverItWaitsFor) {
    struct Case {
        const char* name;
        unsigned command, argument;  // queued; 0 for none
        bool silent;
    };
    const Case cases[] = {
        {"long pause after a program image", 0x84, 0, false},
        {"bulk pause after a program request", 0x82, 1, false},
        {"waiting for a silent unit", 0, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        unit::UnitOptions options;
        options.silent = c.silent;
        LinkHarness h(options);
        if (c.command) {
            SendLockGuard guard(h.handler.SendLock());
            h.handler.QueueCommand(c.command, c.argument);
        }
        ASSERT_TRUE(h.OpenAndStart());
        ASSERT_TRUE(h.line.WaitForFrames(1, 5000));
        std::this_thread::sleep_for(std::chrono::milliseconds(250));  // well inside the pause or wait
        ASSERT_TRUE(h.port.IsAlive());
        const auto start = Clock::now();
        EXPECT_EQ(h.port.ClosePort(), 1);
        EXPECT_LT(MsSince(start), 500.0);
        EXPECT_FALSE(h.port.IsAlive());
        EXPECT_FALSE(h.port.IsOpen());
        EXPECT_TRUE(h.events.Of("LinkFailed").empty());
        h.m.flags.transferPending = 0;
    }
}

// `--port` may name anything; only a terminal device is a port. A file must not be written over, and
// /dev/null or a pipe, always readable and never answering, must not hold the lookup up.
TEST(LinkFaults, AnythingButATerminalIsRefusedBeforeAByteIsWritten) {
    const std::string dir = ::testing::TempDir() + "pavo-not-a-port-" + std::to_string(::getpid());
    std::filesystem::create_directories(dir);
    const std::string file = dir + "/preset.dia", fifo = dir + "/fifo";
    const std::string content = "not a serial port, keep me";
    std::ofstream(file, std::ios::binary) << content;
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    Unit programUnit(false);
    RecordingEvents events;
    programUnit.AddListener(&events);
    const std::pair<std::string, LinkFault> cases[] = {{file, LinkFault::NotATerminal},
                                                       {"/dev/null", LinkFault::NotATerminal},
                                                       {fifo, LinkFault::NotATerminal},
                                                       {dir, LinkFault::Other},
                                                       {"", LinkFault::NoPort}};
    for (const auto& [path, fault] : cases) {
        SCOPED_TRACE(path);
        SerialPort port(programUnit.handler(), &programUnit.events());
        programUnit.handler().QueueCommand(CmdLookup, 0);
        const PortError error = port.OpenPort(path, 115200, 'N', 8, 0, 9, 115200);
        EXPECT_EQ(error.fault, fault) << error.Text();
        EXPECT_EQ(port.Fault(), fault);
        EXPECT_FALSE(port.IsOpen());
        EXPECT_EQ(port.StartEngine(), 0);
        programUnit.handler().Clear();
    }
    EXPECT_TRUE(events.Reported().empty());
    programUnit.RemoveListener(&events);
    std::ifstream in(file, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), content);
    std::filesystem::remove_all(dir);
}

TEST(LinkFaults, PortsThatCannotBeOpenedOrConfigured) {
    LinkHarness h;
    // A setting the line refuses: a warning for the UI's error box, and the port stays open.
    struct Warning : RecordingEvents {
        void PortWarning(const PortError& error, int port) override {
            text = error.ApplicationErrorText(port);
            RecordingEvents::PortWarning(error, port);
        }
        std::string text;
    } warning;
    h.programUnit.AddListener(&warning);
    EXPECT_FALSE(h.port.OpenPort(h.line.DevicePath(), 123456, 'N', 8, 0, 9, 115200));
    EXPECT_TRUE(h.port.IsOpen());
    EXPECT_EQ(warning.Reported(), Reports{"PortWarning(port settings refused)"});
    const std::string path = h.line.DevicePath();
    const std::string number = path.substr(path.find_last_of('/') + 1);
    EXPECT_EQ(warning.text,
              "WARNING:  cfsetspeed() Failed with the following error: \nInvalid argument\nPort: " + number + "\n");

    // The port is taken: a second engine cannot open it; a missing device does not open; no warning.
    SerialPort second(h.handler);
    EXPECT_EQ(second.OpenPort(h.line.DevicePath(), 115200, 'N', 8, 0, 9, 115200).fault, LinkFault::PortBusy);
    EXPECT_EQ(second.OpenPort("/dev/pavo-no-such-port", 115200, 'N', 8, 0, 9, 115200).fault,
              LinkFault::Unplugged);
    EXPECT_EQ(second.StartEngine(), 0);
    EXPECT_EQ(warning.Reported().size(), 1u);
    h.port.ClosePort();
    EXPECT_FALSE(second.OpenPort(h.line.DevicePath(), 115200, 'N', 8, 0, 9, 115200));
    h.programUnit.RemoveListener(&warning);
}

}  // namespace
}  // namespace pavo::linktest
