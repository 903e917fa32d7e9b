// The traffic trace in memory and as text: the bounded ring the engine fills, and the lines people
// read in the traffic log, its saved text and trace files.
#include <gtest/gtest.h>

#include <regex>

#include "protocol/TraceRing.h"
#include "protocol/TrafficText.h"
#include "protocol_fixture.h"

namespace pavo {
namespace {

using testing::Bytes;
using testing::MakeFrame;

TraceEvent Event(TraceKind kind, int value, const Bytes* bytes = nullptr) {
    return {kind, 0x0C, value, bytes ? bytes->data() : nullptr, bytes ? bytes->size() : 0};
}

std::vector<int> Values(const std::vector<TraceRecord>& records) {
    std::vector<int> out;
    for (const TraceRecord& r : records) out.push_back(r.value);
    return out;
}

TEST(TraceRing, KeepsTheNewestRecordsInOrderAndCountsWhatWasPushedOut) {
    TraceRing ring(3);
    const Bytes frame = MakeFrame(0x0C, {1});
    for (int i = 1; i <= 5; ++i) ring.OnTrace(Event(TraceKind::Written, i, &frame));
    EXPECT_EQ(ring.Lost(), 2u);
    std::vector<TraceRecord> taken;
    EXPECT_EQ(ring.TakeAll(taken), 3u);
    EXPECT_EQ(Values(taken), (std::vector<int>{3, 4, 5}));
    EXPECT_EQ(taken[0].bytes, frame);
    EXPECT_LE(taken[0].at, taken[2].at);
    EXPECT_EQ(ring.Size(), 0u);

    // Taken records are gone; new ones follow.
    ring.OnTrace(Event(TraceKind::NoReply, 6));
    taken.clear();
    ring.TakeAll(taken);
    EXPECT_EQ(Values(taken), std::vector<int>{6});
    EXPECT_TRUE(taken[0].bytes.empty());

    // Shrinking keeps the newest; growing keeps everything.
    for (int i = 7; i <= 9; ++i) ring.OnTrace(Event(TraceKind::Written, i, &frame));
    ring.SetCapacity(2);
    EXPECT_EQ(ring.Lost(), 3u);
    ring.SetCapacity(100);
    ring.OnTrace(Event(TraceKind::Written, 10, &frame));
    taken.clear();
    ring.TakeAll(taken);
    EXPECT_EQ(Values(taken), (std::vector<int>{8, 9, 10}));
    EXPECT_EQ(ring.Lost(), 3u);
}

TEST(TraceRing, AnObserverThatGoesAwayLeavesALaterOneInstalled) {
    Model m;
    ProtocolHandler handler(m), otherUnit(m);
    TraceRing first(4), second(4), other(4);
    handler.InstallTraceSink(&first);
    handler.InstallTraceSink(&second);  // a second window replaced the first
    handler.RemoveTraceSink(&first);    // the first closes afterwards
    otherUnit.InstallTraceSink(&other);
    handler.Trace(TraceKind::NoReply, CmdLookup, 1);
    EXPECT_EQ(first.Size(), 0u);
    EXPECT_EQ(second.Size(), 1u);
    EXPECT_EQ(other.Size(), 0u);  // each handler has its own observer
    handler.RemoveTraceSink(&second);
    handler.Trace(TraceKind::NoReply, CmdLookup, 2);
    EXPECT_EQ(second.Size(), 1u);
}

struct Step {
    TraceKind kind;
    Bytes bytes;
    uint8_t sentCmd;
    int value;
    const char* direction;
    const char* text;
    bool poll;
};

TEST(TrafficText, EachRecordReadsAsWhatHappenedOnTheLine) {
    using K = TraceKind;
    Bytes badSum = MakeFrame(0x0B, {0});
    badSum.back() ^= 0x5A;
    Bytes name(20, ' ');
    std::copy_n("Hall", 4, name.begin());
    Bytes sendProgram{3};
    sendProgram.insert(sendProgram.end(), name.begin(), name.end());
    sendProgram.resize(1 + sizeof(ProgramImage), 0);
    Bytes programReply = sendProgram;
    programReply[0] = 5;
    Bytes storeName{18};
    storeName.insert(storeName.end(), name.begin(), name.end());
    Bytes gbkName{17, 'S', 0xC4, 0xE3};
    gbkName.resize(21, ' ');
    // One conversation, decoded in order: later lines depend on what earlier frames asked for.
    const Step steps[] = {
        {K::Written, MakeFrame(0x0C, {1}), 0, 0, "TX", "Status poll A, scene 1", true},
        {K::Accepted, MakeFrame(0x0C, Bytes(12, 200)), 0x0C, 0, "RX",
         "Status A: 200 200 200 200 200 200 200 200 200 200 200 200", true},
        {K::Written, MakeFrame(0x7F, {0}), 0, 0, "TX", "Device lookup", false},
        {K::Accepted, MakeFrame(0x7F, {0, 1}), 0x7F, 0, "RX", "Device found, store authority yes", false},
        {K::Accepted, MakeFrame(0x0B, {0}), 0x0B, 0, "RX", "ack Switch", false},
        {K::Rejected, MakeFrame(0x0B, {2}), 0x0B, 0, "RX", "NACK 2 Switch", false},
        {K::Rejected, badSum, 0x0B, 0, "RX", "checksum error: SUM 54, expected 0E: reply to Switch refused",
         false},
        {K::Rejected,
         {0xFF, 0x55, 0x00, 0x20},
         0x0B,
         0,
         "RX",
         "invalid frame (LEN 8192, 4 bytes): reply to Switch refused",
         false},
        {K::LateReply, MakeFrame(0x81, Bytes(67, 0)), 0x03, 0, "RX",
         "late Read system record reply dropped (EQ band in flight)", false},
        {K::NoReply, {}, 0x7F, 2, "--", "time-out: no reply to Device lookup (attempt 2 of 3)", false},
        {K::Repeat, {}, 0x7F, 2, "--", "retry 2: Device lookup written again", false},
        {K::LinkFailed, {}, 0x7F, 1, "--", "link failure: no unit answered the device lookup", false},
        {K::LinkFailed, {}, 0x0B, 0, "--", "link failure on Switch", false},
        // Parameters by field, in engineering units; output channels in the scene the polls carry.
        {K::Written, MakeFrame(0x0B, {5, 1}), 0, 0, "TX", "Switch 5 EchoB.DirectSwitch = ON", false},
        {K::Written, MakeFrame(0x18, {2}), 0, 0, "TX", "Status poll B, scene 2", true},
        {K::Written, MakeFrame(0x08, {5, 1, 0}), 0, 0, "TX", "Mute 5 Scene2.Out1.Mute = ON", false},
        {K::Written, MakeFrame(0x8E, {0}), 0, 0, "TX", "Scene ActiveScene = Auto", false},
        {K::Written, MakeFrame(0x08, {5, 0, 0}), 0, 0, "TX", "Mute 5 Scene1.Out1.Mute = OFF", false},
        {K::Written, MakeFrame(0x84, sendProgram), 0, 0, "TX", "Send program 3 \"Hall\"", false},
        {K::Written, MakeFrame(0x82, {4}), 0, 0, "TX", "Read program 4", false},
        {K::Accepted, MakeFrame(0x82, programReply), 0x82, 0, "RX",
         "Image of program 5 \"Hall\" (program 4 was asked for)", false},
        {K::Written, MakeFrame(0x86, storeName), 0, 0, "TX", "Store as program F2 \"Hall\"", false},
        // Characters the log cannot show as they are (a GBK name) are written as escapes.
        {K::Accepted, MakeFrame(0x80, gbkName), 0x80, 0, "RX", "Name of program F1: \"S\\xC4\\xE3\"", false},
    };
    TrafficDecoder decoder;
    for (const Step& s : steps) {
        SCOPED_TRACE(s.text);
        TraceRecord r;
        r.kind = s.kind;
        r.bytes = s.bytes;
        r.sentCmd = s.sentCmd;
        r.value = s.value;
        const TrafficLine line = decoder.Describe(r);
        EXPECT_EQ(line.direction, s.direction);
        EXPECT_EQ(line.text, s.text);
        EXPECT_EQ(line.statusPoll, s.poll);
        EXPECT_EQ(line.hex.size(), s.bytes.empty() ? 0 : s.bytes.size() * 3 - 1);
    }
}

// A link failure carries the port's error in its own words, through the ring into the line.
TEST(TrafficText, ALinkFailureSaysWhyInThePortsWords) {
    TraceRing ring(4);
    ring.OnTrace({TraceKind::LinkFailed, CmdSwitch, 0, nullptr, 0, "no answer"});
    ring.OnTrace({TraceKind::LinkFailed, CmdLookup, 1, nullptr, 0, "unplugged (Input/output error)"});
    ring.OnTrace({TraceKind::NoReply, CmdSwitch, 1});
    std::vector<TraceRecord> taken;
    ring.TakeAll(taken);
    ASSERT_EQ(taken.size(), 3u);
    TrafficDecoder decoder;
    EXPECT_EQ(decoder.Describe(taken[0]).text, "link failure on Switch (no answer)");
    EXPECT_EQ(decoder.Describe(taken[1]).text,
              "link failure: no unit answered the device lookup (unplugged (Input/output error))");
    EXPECT_TRUE(taken[2].note.empty());  // a slot reused for another kind keeps no old note
}

TEST(TrafficText, LinesCarryTimeDirectionHexAndTextSeparatedByTabs) {
    TraceRecord r;
    r.at = std::chrono::system_clock::time_point(std::chrono::milliseconds(1'700'000'000'123));
    r.bytes = MakeFrame(0x0B, {5, 1});
    r.kind = TraceKind::Written;
    TrafficDecoder decoder;
    const std::string text = FormatTrafficLine(decoder.Describe(r));
    EXPECT_TRUE(std::regex_match(text, std::regex(R"(\d\d:\d\d:\d\d\.123\tTX\tFF 55 04 00 0B 05 01 15\t.+)")))
        << text;
}

}  // namespace
}  // namespace pavo
