// The frame assembler: replies collected across reads, checked, acknowledged or stored in the model.
#include <gtest/gtest.h>

#include <cstring>

#include "protocol/TraceRing.h"
#include "protocol_fixture.h"

namespace pavo::testing {
namespace {

class Assembler : public ProtocolTest {
protected:
    // The engine has popped the only item of this command into the outgoing record and written it.
    void Sent(unsigned cmd, unsigned argument = 0) {
        handler.Clear();
        ASSERT_EQ(handler.QueueCommand(cmd, argument), 1);
        handler.PopInto(handler.Outgoing());
        handler.Clear();
        handler.Outgoing()[outgoing::kReplyAwaited] = 1;
    }
    bool IncomingClear() {
        for (uint8_t b : handler.Incoming().bytes)
            if (b) return false;
        return true;
    }
    Bytes ImageReply(uint8_t cmd, uint8_t n, uint8_t fill) {
        Bytes p(1 + sizeof(ProgramImage), fill);
        p[0] = n;
        return MakeFrame(cmd, p);
    }
};

TEST_F(Assembler, AcknowledgementsAndNegativeAcknowledgements) {
    struct Case {
        uint8_t status;
        int accepted;
    };
    const Case kCases[] = {{0, 1}, {1, 0}, {2, 0}, {3, 0}, {4, 1}, {0xFF, 1}};
    for (const Case& c : kCases) {
        SCOPED_TRACE(int(c.status));
        handler.ClearFrames(1, true);
        m.current.Mic34.HighPass.SlopeCode ^= 1;
        handler.ScanForChange();  // a filter frame, CMD 0x04
        ASSERT_EQ(handler.Outgoing().Cmd(), CmdFilter);
        const Bytes reply = MakeFrame(CmdFilter, {c.status});
        EXPECT_EQ(Feed(reply), c.accepted);
        EXPECT_EQ(handler.Incoming()[incoming::kRejected], c.accepted ? 0 : 1);
        EXPECT_EQ(IncomingClear(), c.accepted == 1);
        EXPECT_EQ(handler.Outgoing()[outgoing::kSumCopy] == 0, c.accepted == 1);  // cleared from byte 4 on
    }
    EXPECT_TRUE(events.Reported().empty());
}

TEST_F(Assembler, TheUnitsOwnExamples) {
    m.current.Mic34.HighPass.SlopeCode = 1;
    handler.ScanForChange();
    EXPECT_EQ(Feed({0xFF, 0x55, 0x03, 0x00, 0x04, 0x02, 0x09}), 0);  // negative acknowledgement
    // The rejected frame stays until the engine clears the record; nothing more is taken till then.
    EXPECT_EQ(Feed({0xFF, 0x55, 0x03, 0x00, 0x04, 0x00, 0x07}), 0);
    handler.ClearFrames(1, false);
    EXPECT_EQ(Feed({0xFF, 0x55, 0x03, 0x00, 0x04, 0x00, 0x07}), 1);
}

TEST_F(Assembler, FramesAreCollectedAcrossReadsOfAnySize) {
    Bytes payload(66);
    for (size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<uint8_t>(i * 7);
    const Bytes reply = MakeFrame(CmdReadSystem, payload);
    for (size_t chunk : {1u, 2u, 3u, 5u, 64u, 70u}) {
        SCOPED_TRACE(chunk);
        Sent(CmdReadSystem);
        events.Clear();
        int accepted = 0;
        for (size_t at = 0; at < reply.size(); at += chunk) {
            ASSERT_EQ(accepted, 0);
            accepted = handler.FeedBytes(1, reply.data() + at, std::min(chunk, reply.size() - at));
        }
        EXPECT_EQ(accepted, 1);
        EXPECT_EQ(std::memcmp(BytesOf(m.system), payload.data(), 66), 0);
        EXPECT_EQ(events.Reported(), Reports{"SystemReceived"});
    }
}

TEST_F(Assembler, StartBytesNoiseAndOversizeFrames) {
    const Bytes ack = MakeFrame(CmdFilter, {0});
    Bytes ccAck = ack;  // the unit may open a frame with 03 CC as well
    ccAck[0] = 0x03;
    ccAck[1] = 0xCC;
    Bytes noisy = {0x00, 0x12, 0x54, 0xFE, 0x56};  // none of them a start byte
    noisy.insert(noisy.end(), ack.begin(), ack.end());
    Bytes shifted = {0xFF};  // a stray start byte shifts the frame in the record
    shifted.insert(shifted.end(), ack.begin(), ack.end());
    Bytes trailing = ack;  // what follows the end of a frame in the same read is dropped
    trailing.insert(trailing.end(), ack.begin(), ack.end());
    Bytes oversize = {0xFF, 0x55, 0x6B, 0x10, 0x04};  // LEN 4203: one byte more than the record holds
    const Bytes startRun(5000, 0xFF);
    Bytes shortLen = {0xFF, 0x55, 0x00, 0x00};  // LEN 0 has no room for CMD and SUM, though its "sum" checks

    struct Case {
        const char* name;
        Bytes bytes;
        int accepted;
        bool rejected;
    };
    const Case kCases[] = {
        {"FF 55 start", ack, 1, false},
        {"03 CC start", ccAck, 1, false},
        {"noise", noisy, 1, false},
        {"stray start byte", shifted, 0, false},
        {"trailing bytes", trailing, 1, false},
        {"oversize LEN", oversize, 0, true},
        {"run of start bytes", startRun, 0, true},
        {"LEN 0", shortLen, 0, true},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        handler.ClearFrames(1, true);
        m.current.EchoA.HighPass.SlopeCode ^= 1;
        handler.ScanForChange();
        EXPECT_EQ(Feed(c.bytes), c.accepted);
        EXPECT_EQ(handler.Incoming()[incoming::kRejected] == 1, c.rejected);
        const FrameRecord& in = handler.Incoming();
        EXPECT_LE(in[incoming::kWritePosition] | (in[incoming::kWritePosition + 1] << 8),
                  int(kFrameAreaSize));
        if (c.accepted) {
            EXPECT_TRUE(IncomingClear());
        }
    }
}

TEST_F(Assembler, TheLargestFrameFitsTheRecord) {
    Sent(0x42, 1);  // a code the unit answers with data
    Bytes payload(kLargestLen - 2, 0x11);
    const Bytes reply = MakeFrame(0x42, payload);
    ASSERT_EQ(reply.size(), kFrameAreaSize);
    EXPECT_EQ(Feed(reply), 1);
}

struct DispatchCase {
    const char* name;
    unsigned sentCmd, sentArg;  // what the engine sent
    Bytes reply;
    Reports reported;
    std::function<void(Model&)> check;
};

Bytes Payload(uint8_t first, size_t size, uint8_t fill) {
    Bytes p(size + 1, fill);
    p[0] = first;
    return p;
}

TEST_F(Assembler, EveryDispatchRow) {
    const Bytes system = Payload(9, 65, 0x31);  // 66 bytes from frame byte 5; byte 5 is ProgramNumber
    const DispatchCase kCases[] = {
        {"lookup",
         CmdLookup,
         0,
         MakeFrame(CmdLookup, {0, 1}),
         {"DeviceFound"},
         [](Model& m) { EXPECT_EQ(m.flags.storeAuthority, 1); }},
        {"current name",
         CmdReadNames,
         0,
         MakeFrame(CmdReadNames, Payload(0, 20, 'A')),
         {},
         [](Model& m) { EXPECT_EQ(m.current.ProgramName[19], 'A'); }},
        {"stored name",
         CmdReadNames,
         0,
         MakeFrame(CmdReadNames, Payload(21, 20, 'B')),
         {},
         [](Model& m) {
             EXPECT_EQ(m.bank.Programs[20].ProgramName[0], 'B');
             EXPECT_EQ(m.current.ProgramName[0], 0);
         }},
        {"name of no program",
         CmdReadNames,
         0,
         MakeFrame(CmdReadNames, Payload(22, 20, 'C')),
         {},
         [](Model& m) { EXPECT_EQ(m.bank.System.ProgramNumber, 0); }},
        {"system record",
         CmdReadSystem,
         0,
         MakeFrame(CmdReadSystem, system),
         {"SystemReceived"},
         [](Model& m) {
             EXPECT_EQ(m.system.ProgramNumber, 9);
             EXPECT_EQ(m.system.Reserved[40], 0x31);
             EXPECT_TRUE(SameRecord(m.system, m.lastSentSystem));
             EXPECT_EQ(m.passwordEntry[8], 0x31);
             EXPECT_EQ(m.passwordEntry[11], 0x31);
             EXPECT_EQ(m.passwordEntry[14], ' ');
             EXPECT_EQ(m.passwordEntry[20], 0);
         }},
        {"current program",
         CmdReadPrograms,
         0,
         MakeFrame(CmdReadPrograms, Payload(0, 2712, 0x07)),
         {"ProgramReceived"},
         [](Model& m) {
             EXPECT_EQ(m.current.CheckByte, 7);
             EXPECT_TRUE(SameRecord(m.current, m.lastSent));
         }},
        {"stored program 21",
         CmdReadPrograms,
         1,
         MakeFrame(CmdReadPrograms, Payload(1, 2712, 0x08)),
         {"StoredProgramReceived(1)"},
         [](Model& m) { EXPECT_EQ(m.bank.Programs[0].CheckByte, 8); }},
        {"wrong program number",
         CmdReadPrograms,
         1,
         MakeFrame(CmdReadPrograms, Payload(3, 2712, 0x09)),
         {"WrongProgramNumber(3, 1)", "StoredProgramReceived(1)"},
         [](Model& m) {
             EXPECT_EQ(m.bank.Programs[0].CheckByte, 9);  // filed under the number asked for
             EXPECT_EQ(m.bank.Programs[2].CheckByte, 0);
         }},
        {"recalled program",
         CmdRecall,
         4,
         MakeFrame(CmdRecall, Payload(4, 2712, 0x0A)),
         {"ProgramReceived(recall)"},
         [](Model& m) {
             EXPECT_EQ(m.current.MusicLeft.EqBypass, 0x0A);
             EXPECT_TRUE(SameRecord(m.current, m.lastSent));
         }},
        {"other code with data",
         CmdReadSystem,
         0,
         MakeFrame(0x42, Payload(1, 30, 0x55)),
         {},
         [](Model& m) { EXPECT_EQ(m.system.ProgramNumber, 0); }},
        {"acknowledgement of another command",
         CmdReadSystem,
         0,
         MakeFrame(CmdInputSelect, {2}),
         {},
         [](Model&) {}},
        // Replies too short for their row are accepted but store nothing.
        {"short program",
         CmdReadPrograms,
         0,
         MakeFrame(CmdReadPrograms, Payload(0, 100, 0x0B)),
         {},
         [](Model& m) { EXPECT_EQ(m.current.CheckByte, 0); }},
        {"short system record",
         CmdReadSystem,
         0,
         MakeFrame(CmdReadSystem, {9, 9, 9}),
         {},
         [](Model& m) { EXPECT_EQ(m.system.ProgramNumber, 0); }},
        {"short lookup",
         CmdLookup,
         0,
         MakeFrame(0x42, {}),
         {},
         [](Model& m) { EXPECT_EQ(m.flags.storeAuthority, 0); }},
    };
    for (const DispatchCase& c : kCases) {
        SCOPED_TRACE(c.name);
        SetUp();
        events.Clear();
        Sent(c.sentCmd, c.sentArg);
        if (c.sentCmd == CmdReadPrograms && c.sentArg) handler.Clear();
        EXPECT_EQ(Feed(c.reply), 1);
        EXPECT_EQ(events.Reported(), c.reported);
        c.check(m);
    }
}

// A data reply to an earlier command (a late answer to a frame that was repeated or given up) must
// not land in the model, nor count as the reply to the frame in flight: here the edit of an EQ band is
// in flight, and its acknowledgement follows the late reply, in the same read or the next.
TEST_F(Assembler, LateDataRepliesAreDroppedAndTheReplyInFlightIsStillTaken) {
    const struct {
        const char* name;
        Bytes late;
    } kLate[] = {
        {"current program image", MakeFrame(CmdReadPrograms, Payload(0, 2712, 0x07))},
        {"stored program image", MakeFrame(CmdReadPrograms, Payload(5, 2712, 0x07))},
        {"recalled program image", MakeFrame(CmdRecall, Payload(5, 2712, 0x07))},
        {"system record", MakeFrame(CmdReadSystem, Payload(9, 65, 0x31))},
        {"program name", MakeFrame(CmdReadNames, Payload(0, 20, 'Z'))},
        {"stored program name", MakeFrame(CmdReadNames, Payload(3, 20, 'Z'))},
        {"lookup", MakeFrame(CmdLookup, {0, 1})},
    };
    const Bytes ack = MakeFrame(CmdEqBand, {0});
    TraceRing trace(64);
    struct Installed {
        Installed(ProtocolHandler& h, TraceSink* s) : handler(h), sink(s) { handler.InstallTraceSink(s); }
        ~Installed() { handler.RemoveTraceSink(sink); }
        ProtocolHandler& handler;
        TraceSink* sink;
    } installed(handler, &trace);
    for (bool sameRead : {true, false}) {
        for (const auto& c : kLate) {
            SCOPED_TRACE(std::string(c.name) + (sameRead ? ", reply in the same read" : ", reply later"));
            SetUp();
            events.Clear();
            m.current.Mic12.Eq[3].GainCode = 200;  // the user's edit...
            handler.ScanForChange();               // ...goes out
            ASSERT_EQ(handler.Outgoing().Cmd(), CmdEqBand);
            handler.Outgoing()[outgoing::kReplyAwaited] = 1;
            handler.Incoming()[incoming::kRetryCounter] = 1;  // the engine's own count survives the drop
            const ProgramImage current = m.current, lastSent = m.lastSent;
            const SystemRecord system = m.system;
            const ProgramBank bank = m.bank;
            const uint64_t dropped = handler.LateReplyCount();

            if (sameRead) {
                Bytes both = c.late;
                both.insert(both.end(), ack.begin(), ack.end());
                EXPECT_EQ(Feed(both), 1);
            } else {
                EXPECT_EQ(Feed(c.late), 0);
                EXPECT_EQ(handler.Incoming()[incoming::kRejected], 0);
                EXPECT_EQ(handler.Incoming()[incoming::kRetryCounter], 1);
                EXPECT_EQ(Feed(ack), 1);
            }
            EXPECT_EQ(handler.LateReplyCount(), dropped + 1);
            std::vector<TraceRecord> traced;
            trace.TakeAll(traced);
            ASSERT_FALSE(traced.empty());
            EXPECT_EQ(traced.front().kind, TraceKind::LateReply);  // the log shows what was dropped
            EXPECT_EQ(traced.front().bytes, c.late);
            EXPECT_EQ(traced.back().kind, TraceKind::Accepted);
            EXPECT_TRUE(SameRecord(m.current, current));
            EXPECT_TRUE(SameRecord(m.lastSent, lastSent));
            EXPECT_TRUE(SameRecord(m.system, system));
            EXPECT_TRUE(SameRecord(m.bank, bank));
            EXPECT_EQ(m.current.Mic12.Eq[3].GainCode, 200);
            EXPECT_EQ(m.flags.storeAuthority, 0);
            EXPECT_TRUE(events.Reported().empty());
        }
    }
    // Replies that are not data of another command stay the reply to whatever is in flight.
    const struct {
        const char* name;
        unsigned sent;
        Bytes reply;
    } kTaken[] = {
        {"status reply to the other poll", CmdStatusA, MakeFrame(CmdStatusB, Bytes(12, 50))},
        {"acknowledgement of another command", CmdReadSystem, MakeFrame(CmdInputSelect, {0})},
        {"code without data of its own", CmdReadSystem, MakeFrame(0x42, Payload(1, 30, 0x55))},
        {"stored program for another number", CmdReadPrograms,
         MakeFrame(CmdReadPrograms, Payload(2, 2712, 0x07))},
    };
    for (const auto& c : kTaken) {
        SCOPED_TRACE(c.name);
        SetUp();
        const uint64_t dropped = handler.LateReplyCount();
        Sent(c.sent, c.sent == CmdReadPrograms ? 1 : 0);
        EXPECT_EQ(Feed(c.reply), 1);
        EXPECT_EQ(handler.LateReplyCount(), dropped);
    }
}

TEST_F(Assembler, LastStoredProgramEndsTheFullRead) {
    handler.QueueCommand(CmdReadPrograms, 1);
    Reports expected;
    for (int n = 1; n <= 21; ++n) {
        handler.PopInto(handler.Outgoing());
        ASSERT_EQ(Feed(ImageReply(CmdReadPrograms, static_cast<uint8_t>(n), static_cast<uint8_t>(n))), 1);
        EXPECT_EQ(m.bank.Programs[n - 1].CheckByte, n);
        expected.push_back("StoredProgramReceived(" + std::to_string(n) + ")");
    }
    expected.push_back("AllProgramsReceived");
    EXPECT_EQ(events.Reported(), expected);
}

// A program read alone lands in the bank and nowhere else; even program 21 ends no bank read.
TEST_F(Assembler, ProgramReadAloneEndsNoBankRead) {
    EXPECT_EQ(handler.QueueProgramRead(0), 0);
    EXPECT_EQ(handler.QueueProgramRead(22), 0);
    EXPECT_EQ(handler.Count(), 0);
    m.current.Mic12.Eq[3].GainCode = 7;  // an edit not sent yet
    const ProgramImage current = m.current;
    const ProgramImage lastSent = m.lastSent;
    const SystemRecord system = m.system;
    for (int n : {21, 4}) {
        events.Clear();
        ASSERT_EQ(handler.QueueProgramRead(n), 1);
        ASSERT_EQ(handler.Count(), 1);
        handler.PopInto(handler.Outgoing());
        EXPECT_EQ(handler.Outgoing().Cmd(), CmdReadPrograms);
        EXPECT_EQ(handler.Outgoing()[5], n);
        EXPECT_EQ(handler.Outgoing()[outgoing::kBulk], 1);  // paced as the bank read's requests
        ASSERT_EQ(Feed(ImageReply(CmdReadPrograms, static_cast<uint8_t>(n), 0x40)), 1);
        EXPECT_EQ(m.bank.Programs[n - 1].CheckByte, 0x40);
        EXPECT_EQ(events.Reported(), Reports{"StoredProgramReceived(" + std::to_string(n) + ")"});
    }
    EXPECT_EQ(m.bank.Valid, 0);
    EXPECT_TRUE(SameRecord(m.current, current));
    EXPECT_TRUE(SameRecord(m.lastSent, lastSent));
    EXPECT_TRUE(SameRecord(m.system, system));
}

TEST_F(Assembler, ProgramReplyLeavesNothingToScan) {
    m.current.Mic12.Eq[3].GainCode = 7;  // an edit the reply overwrites
    Sent(CmdReadPrograms, 0);
    ASSERT_EQ(Feed(ImageReply(CmdReadPrograms, 0, 0x03)), 1);
    handler.ScanForChange();
    EXPECT_EQ(handler.Outgoing().Cmd(), CmdStatusA);
}

TEST_F(Assembler, StatusMessageRule) {
    Bytes levels(12);
    for (int i = 0; i < 12; ++i) levels[i] = static_cast<uint8_t>(i + 1);
    const Bytes statusA = MakeFrame(CmdStatusA, levels);
    const Bytes statusB = MakeFrame(CmdStatusB, levels);
    EXPECT_EQ(m.status.areaA[0], 200);
    EXPECT_EQ(m.status.areaB[11], 100);

    m.pages.CurrentPage = 0;  // the music page: the areas change, nothing is posted
    handler.ScanForChange();
    ASSERT_EQ(Feed(statusA), 1);
    EXPECT_EQ(m.status.areaA[11], 12);
    EXPECT_TRUE(events.Reported().empty());

    m.pages.CurrentPage =
        kSystemPageIndex;  // the system page: one message until the main window has handled it
    handler.ScanForChange();
    ASSERT_EQ(Feed(statusB), 1);
    handler.ScanForChange();
    ASSERT_EQ(Feed(statusA), 1);
    EXPECT_EQ(m.status.areaB[0], 1);
    EXPECT_EQ(events.Reported(), Reports{"StatusReceived(indicators)"});
    m.status.messageFlag = 1;
    handler.ScanForChange();
    ASSERT_EQ(Feed(statusA), 1);
    EXPECT_EQ(events.Reported().back(), "StatusReceived(levels)");
    EXPECT_EQ(m.status.messageFlag, 0);
}

}  // namespace
}  // namespace pavo::testing
