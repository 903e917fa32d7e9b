// The command builder, the send queue and the send lock.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "protocol_fixture.h"

namespace pavo::testing {
namespace {

using CommandTest = ProtocolTest;

struct Item {
    uint16_t len;
    uint8_t cmd;
    uint8_t first;  // payload byte 5
    bool ackTransfer, longPause, lookup, bulk;
};

Item Describe(const FrameRecord& r) {
    return {r.Len(),
            r.Cmd(),
            r[5],
            r[outgoing::kAckTransfer] == 1,
            r[outgoing::kLongPause] == 1,
            r[outgoing::kLookup] == 1,
            r[outgoing::kBulk] == 1};
}

struct CommandCase {
    unsigned command, argument;
    int count;
    Item first;         // the first item
    uint8_t lastFirst;  // payload byte 5 of the last item
    int transferPending;
};

TEST_F(CommandTest, EveryRowOfTheCommandTable) {
    const CommandCase kCases[] = {
        {0x7F, 9, 1, {3, 0x7F, 0, false, false, true, false}, 0, 0},
        {0x80, 5, 22, {3, 0x80, 0, false, false, false, false}, 21, 0},
        {0x81, 0, 1, {3, 0x81, 0, false, false, false, false}, 0, 0},
        {0x82, 0, 1, {3, 0x82, 0, false, false, false, false}, 0, 0},
        {0x82, 4, 21, {3, 0x82, 1, false, false, false, true}, 21, 0},
        {0x83, 6, 1, {69, 0x83, 6, false, true, false, false}, 6, 0},
        {0x84, 0, 1, {2715, 0x84, 0, true, true, false, false}, 0, 1},
        {0x84, 1, 21, {2715, 0x84, 1, false, false, false, true}, 21, 0},
        {0x85, 0, 1, {3, 0x85, 0, false, false, false, false}, 0, 0},
        {0x85, 7, 1, {3, 0x85, 7, true, true, false, false}, 7, 1},
        {0x86, 3, 1, {23, 0x86, 3, true, false, false, false}, 3, 1},
        {0x86, 0, 1, {23, 0x86, 0, false, false, false, false}, 0, 0},
        {0x8C, 0, 1, {14, 0x8C, '0', false, false, false, false}, '0', 0},
        {0x8D, 0, 1, {10, 0x8D, '0', false, false, false, false}, '0', 0},
        {0x87, 2, 1, {3, 0x87, 2, false, false, false, false}, 2, 0},
        {0x8B, 1, 1, {3, 0x8B, 1, false, false, false, false}, 1, 0},
        {0x0C, 0, 1, {3, 0x0C, 0, false, false, false, false}, 0, 0},
        {0x185, 0, 1, {3, 0x85, 0, false, false, false, false}, 0, 0},  // only the low byte counts
    };
    for (const CommandCase& c : kCases) {
        SCOPED_TRACE(::testing::Message()
                     << "command " << std::hex << c.command << " argument " << c.argument);
        handler.Clear();
        m.flags.transferPending = 0;
        ASSERT_EQ(handler.QueueCommand(c.command, c.argument), 1);
        ASSERT_EQ(handler.Count(), c.count);
        const Item first = Describe(handler.Queue().At(0)->Record());
        EXPECT_EQ(first.len, c.first.len);
        EXPECT_EQ(first.cmd, c.first.cmd);
        EXPECT_EQ(first.first, c.first.first);
        EXPECT_EQ(first.ackTransfer, c.first.ackTransfer);
        EXPECT_EQ(first.longPause, c.first.longPause);
        EXPECT_EQ(first.lookup, c.first.lookup);
        EXPECT_EQ(first.bulk, c.first.bulk);
        EXPECT_EQ(handler.Queue().At(c.count - 1)->Record()[5], c.lastFirst);
        EXPECT_EQ(m.flags.transferPending, c.transferPending);
        // Every item is a well-formed frame: its sum checks and nothing follows it but control bytes.
        for (int i = 0; i < c.count; ++i) {
            const FrameRecord& r = handler.Queue().At(i)->Record();
            EXPECT_EQ(FrameSum(r, r.Len() + 1u), r[r.Len() + 3u]);
            EXPECT_EQ(r[outgoing::kSumCopy], r[r.Len() + 3u]);
            EXPECT_EQ(r[0], 0xFF);
            EXPECT_EQ(r[1], 0x55);
        }
    }
}

TEST_F(CommandTest, NameRequestsAreNumberedWhateverTheArgument) {
    for (unsigned argument : {0u, 1u, 200u}) {
        handler.Clear();
        handler.QueueCommand(CmdReadNames, argument);
        ASSERT_EQ(handler.Count(), 22);
        for (int n = 0; n < 22; ++n)
            EXPECT_EQ(FrameBytes(handler.Queue().At(n)->Record()),
                      MakeFrame(CmdReadNames, {static_cast<uint8_t>(n)}));
    }
}

TEST_F(CommandTest, ProgramImagesCarryTheirRecords) {
    for (int n = 0; n < kProgramCount; ++n)
        std::memset(BytesOf(m.bank.Programs[n]), 0x10 + n, sizeof(ProgramImage));
    handler.QueueCommand(CmdSendPrograms, 1);
    ASSERT_EQ(handler.Count(), 21);
    for (int n = 1; n <= 21; ++n) {
        const FrameRecord& r = handler.Queue().At(n - 1)->Record();
        ASSERT_EQ(r.FrameLength(), 2719u);
        EXPECT_EQ(r[5], n);
        EXPECT_EQ(std::memcmp(r.data() + 6, BytesOf(m.bank.Programs[n - 1]), sizeof(ProgramImage)), 0);
    }
    handler.Clear();
    m.current.ProgramName[0] = 'Q';
    handler.QueueCommand(CmdSendPrograms, 0);
    EXPECT_EQ(
        std::memcmp(handler.Queue().At(0)->Record().data() + 6, BytesOf(m.current), sizeof(ProgramImage)), 0);

    handler.Clear();
    std::memset(BytesOf(m.bank.System), 0x33, sizeof(SystemRecord));
    handler.QueueCommand(CmdSendSystem, 2);
    const FrameRecord& sys = handler.Queue().At(0)->Record();
    EXPECT_EQ(sys[5], 2);
    EXPECT_EQ(std::memcmp(sys.data() + 6, BytesOf(m.bank.System), sizeof(SystemRecord)), 0);
}

TEST_F(CommandTest, StoreSendsTheStoredProgramsNameAndNeverReadsOutsideTheBank) {
    std::memcpy(m.bank.Programs[20].ProgramName, "Program twenty-one  ", 20);
    handler.QueueCommand(CmdStore, 21);
    Bytes name(20);
    std::memcpy(name.data(), "Program twenty-one  ", 20);
    Bytes payload = {21};
    payload.insert(payload.end(), name.begin(), name.end());
    EXPECT_EQ(FrameBytes(handler.Queue().At(0)->Record()), MakeFrame(CmdStore, payload));
    for (unsigned number : {0u, 22u, 255u}) {  // no such stored program: an empty name
        handler.Clear();
        handler.QueueCommand(CmdStore, number);
        Bytes empty = {static_cast<uint8_t>(number)};
        empty.resize(21, 0);
        EXPECT_EQ(FrameBytes(handler.Queue().At(0)->Record()), MakeFrame(CmdStore, empty));
    }
}

TEST_F(CommandTest, PasswordChangesSendOldAndNewAndTakeTheNewAtOnce) {
    std::memcpy(m.system.SystemPassword, "123456", 6);
    std::memcpy(m.system.PanelPassword, "4321", 4);
    std::memcpy(m.passwordEntry.data() + 14, "654321", 6);
    std::memcpy(m.passwordEntry.data() + 4, "9876", 4);
    handler.QueueCommand(CmdSystemPassword, 0);
    handler.QueueCommand(CmdPanelPassword, 0);
    EXPECT_EQ(FrameBytes(handler.Queue().At(0)->Record()),
              MakeFrame(CmdSystemPassword, {'1', '2', '3', '4', '5', '6', '6', '5', '4', '3', '2', '1'}));
    EXPECT_EQ(FrameBytes(handler.Queue().At(1)->Record()),
              MakeFrame(CmdPanelPassword, {'4', '3', '2', '1', '9', '8', '7', '6'}));
    EXPECT_EQ(std::memcmp(m.system.SystemPassword, "654321", 6), 0);
    EXPECT_EQ(std::memcmp(m.system.PanelPassword, "9876", 4), 0);
}

TEST_F(CommandTest, EachUnitQueuesOntoItsOwnQueueFromItsOwnModel) {
    Unit other(false);
    other.model().bank.System.MicMax = 17;
    m.bank.System.MicMax = 42;
    EXPECT_EQ(other.handler().QueueCommand(CmdSendSystem, 0), 1);
    EXPECT_EQ(handler.Count(), 0);
    ASSERT_EQ(other.handler().Count(), 1);
    const Bytes frame = FrameBytes(other.handler().Queue().At(0)->Record());
    EXPECT_EQ(frame[4], CmdSendSystem);
    EXPECT_EQ(frame[6 + offsetof(SystemRecord, MicMax)], 17);  // after CMD and the argument
    // A queue of its own, as a tool may keep, takes a batch too.
    SendLockMutex lock;
    SendDataQueue queue(lock);
    EXPECT_EQ(QueueCommand(m, queue, CmdReadSystem, 0), 1);
    EXPECT_EQ(queue.Count(), 1);
    EXPECT_EQ(handler.Count(), 0);
}

TEST_F(CommandTest, PopIntoOnAnEmptyQueueLeavesTheDestination) {
    FrameRecord dest;
    dest.bytes.fill(0x5A);
    EXPECT_EQ(handler.HasItems(), 0);
    EXPECT_EQ(handler.PopInto(dest), 0);
    for (uint8_t b : dest.bytes) ASSERT_EQ(b, 0x5A);
}

TEST_F(CommandTest, ClearDestroysTheBatch) {
    handler.QueueCommand(CmdReadPrograms, 1);
    EXPECT_EQ(handler.Count(), 21);
    handler.Clear();
    EXPECT_EQ(handler.HasItems(), 0);
    EXPECT_EQ(handler.Queue().At(0), nullptr);
}

// The engine's add-data step and an acknowledgement from the unit for whatever it was sent.
class EngineCycle : public ProtocolTest {
protected:
    Bytes Next() {
        if (handler.HasItems())
            handler.PopInto(handler.Outgoing());
        else
            handler.ScanForChange();
        return FrameBytes(handler.Outgoing());
    }
    void Acknowledge() { ASSERT_EQ(Feed(MakeFrame(handler.Outgoing().Cmd(), {0})), 1); }
};

TEST_F(EngineCycle, QueuedBatchesGoBeforeAnyChangeAndPollsResume) {
    SetUp();
    m.current.Mic12.MicLevel = 3;
    handler.QueueCommand(CmdReadNames, 0);
    handler.QueueCommand(CmdReadSystem, 0);
    for (int n = 0; n < 22; ++n) {
        EXPECT_EQ(Next(), MakeFrame(CmdReadNames, {static_cast<uint8_t>(n)}));
        Acknowledge();
    }
    EXPECT_EQ(Next(), MakeFrame(CmdReadSystem, {0}));
    Acknowledge();
    EXPECT_EQ(Next(), MakeFrame(CmdInputSetting, {1, 3}));
    Acknowledge();
    EXPECT_EQ(Next()[4], 0x0C);
}

TEST_F(EngineCycle, ControlBytesTravelWithTheItemAndEndWithItsReply) {
    handler.QueueCommand(CmdSendPrograms, 0);
    ASSERT_EQ(m.flags.transferPending, 1);
    Next();
    const FrameRecord& out = handler.Outgoing();
    EXPECT_EQ(out[outgoing::kLongPause], 1);
    EXPECT_EQ(out[outgoing::kAckTransfer], 1);
    EXPECT_EQ(out.FrameLength(), 2719u);
    handler.Outgoing()[outgoing::kReplyAwaited] = 1;  // the engine wrote it
    Acknowledge();
    EXPECT_EQ(m.flags.transferPending, 0);
    for (size_t i = 4; i < kFrameRecordSize; ++i) ASSERT_EQ(out[i], 0) << i;
    EXPECT_EQ(out[0], 0xFF);
    EXPECT_EQ(out[1], 0x55);
    EXPECT_EQ(Next()[4], 0x0C);
    EXPECT_EQ(out[outgoing::kLongPause], 0);
}

TEST_F(CommandTest, SendLockIsReEnteredByItsHolderAndExcludesOthers) {
    std::unique_lock<std::recursive_mutex> outer(handler.SendLock());  // the full read holds it ...
    std::atomic<bool> otherGotIt{false};
    std::thread other([&] {
        SendLockGuard g(handler.SendLock());  // ... so the engine waits
        otherGotIt = true;
    });
    EXPECT_EQ(handler.QueueCommand(CmdReadSystem, 0), 1);  // and queues through code that takes it again
    EXPECT_EQ(handler.QueueCommand(CmdReadPrograms, 1), 1);
    EXPECT_EQ(handler.Count(), 22);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(otherGotIt);
    // Numbering the batch, as the connection code does, also under the same lock.
    for (int i = 0; i < handler.Count(); ++i) handler.Queue().At(i)->Record()[outgoing::kSequence] = i + 1;
    outer.unlock();
    other.join();
    EXPECT_TRUE(otherGotIt);
    EXPECT_EQ(handler.Queue().At(21)->Record()[outgoing::kSequence], 22);
}

TEST_F(CommandTest, LinkFlipUnderTheSendLockSendsTheLinkButNotTheCopy) {
    m.current.MusicLeft.Eq[1].GainCode = 99;
    handler.WithSendLock([&] {
        m.Edit([&] { m.current.MusicLink = 1; });
        LinkMusic(m);
    });
    handler.ScanForChange();
    EXPECT_EQ(handler.Outgoing()[5], 1);  // MusicLeft band 1; MusicRight's copy is not sent
    EXPECT_EQ(FrameBytes(handler.Outgoing()).size(), 12u);
    handler.ScanForChange();
    EXPECT_EQ(FrameBytes(handler.Outgoing()), MakeFrame(CmdLink, {1, 1}));
    handler.ScanForChange();
    EXPECT_EQ(handler.Outgoing().Cmd(), CmdStatusA);
}

}  // namespace
}  // namespace pavo::testing
