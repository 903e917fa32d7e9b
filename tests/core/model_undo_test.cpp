// The undo history: exact bytes back and forth, the scanner sending what an undo restored, the bound,
// the clearing rules, merged steps and the records that are never recorded.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

#include "model/UndoHistory.h"
#include "protocol/CommandCodes.h"
#include "protocol_fixture.h"

namespace pavo::testing {
namespace {

class UndoTest : public ProtocolTest {
protected:
    // Scans until the status poll; the frames before it.
    std::vector<Bytes> Drain() {
        std::vector<Bytes> frames;
        for (int i = 0; i < 500; ++i) {
            Bytes f = Scan();
            if (f[4] == CmdStatusA || f[4] == CmdStatusB) return frames;
            frames.push_back(std::move(f));
        }
        ADD_FAILURE() << "the scanner never ran out of changes";
        return frames;
    }
    static bool SameRecords(const EditedRecords& a, const EditedRecords& b) {
        return SameRecord(a.image, b.image) && SameRecord(a.system, b.system);
    }
    bool ModelIs(const EditedRecords& r) { return SameRecords(CopyEditedRecords(m), r); }
};

// A gesture as the pages perform it: model writes only, links under the send lock.
struct GestureCase {
    const char* name;
    std::function<void(Model&)> before;  // the state the gesture starts from (already sent)
    std::function<void(Model&)> gesture;
};

const GestureCase kGestures[] = {
    {"EQ drag", nullptr, [](Model& m) { m.current.MusicLeft.Eq[3].GainCode = 150; }},
    {"master slider and mute", nullptr, [](Model& m) { m.system.MusicMaster = 0x80 | 40; }},
    {"EQ reset", [](Model& m) { m.current.Mic12.Eq[7].GainCode = 10; },
     [](Model& m) { ResetEqBands(m, BlockMic12); }},
    {"key shift keeps the sensitivity nibble", [](Model& m) { SetAnalogSensitivity(m.system, 1); },
     [](Model& m) { SetKeyShift(m.system, 3); }},
    {"music SYNC off",
     [](Model& m) {
         m.current.MusicLink = 1;
         m.current.MusicRight.Eq[0].GainCode = 90;  // stale while linked
         m.current.MusicLeft.Eq[0].GainCode = 160;
     },
     [](Model& m) {
         m.current.MusicLink = 0;
         LinkMusic(m);
     }},
    {"output SYNC off in all three scenes",
     [](Model& m) {
         m.current.Out12Link = 1;
         m.current.Scenes[1].Channel[OutOut2].MusicLevel = 33;
         m.current.Scenes[1].Channel[OutOut1].Delay = 700;
     },
     [](Model& m) {
         m.current.Out12Link = 0;
         LinkOutputPair(m, 13);
     }},
    {"program recalled from the bank",
     [](Model& m) {
         m.bank.Programs[4].MusicLeft.EqBypass = 1;
         m.bank.Programs[4].ProgramName[0] = 'P';
     },
     [](Model& m) {
         CopyRecord(m.current, m.bank.Programs[4]);
         m.system.ProgramNumber = 5;
         AcceptProgram(m, false);
     }},
};

TEST_F(UndoTest, UndoRestoresTheExactBytesAndRedoReappliesThem) {
    for (const GestureCase& c : kGestures) {
        SCOPED_TRACE(c.name);
        SetUp();
        if (c.before) c.before(m);
        AcceptProgram(m, true);
        UndoHistory history(m);
        const EditedRecords start = CopyEditedRecords(m);
        c.gesture(m);
        ASSERT_TRUE(history.Commit());
        const EditedRecords end = CopyEditedRecords(m);
        const ProgramImage lastSent = m.lastSent;

        ASSERT_TRUE(history.Undo());
        EXPECT_TRUE(ModelIs(start));
        EXPECT_TRUE(SameRecord(m.lastSent, lastSent)) << "undo never writes what the unit was told";
        EXPECT_FALSE(history.CanUndo());
        ASSERT_TRUE(history.Redo());
        EXPECT_TRUE(ModelIs(end));
        EXPECT_FALSE(history.Redo());
        EXPECT_TRUE(history.Undo());
        EXPECT_TRUE(ModelIs(start));
    }
}

TEST_F(UndoTest, TheScannerSendsWhatAnUndoRestored) {
    UndoHistory history(m);
    const EqBand old = m.current.MusicLeft.Eq[3];
    m.current.MusicLeft.Eq[3].GainCode = 150;
    m.current.MusicLeft.Eq[3].QCode = 20;
    history.Commit();
    ASSERT_EQ(Drain().size(), 1u);

    ASSERT_TRUE(history.Undo());
    const auto frames = Drain();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], MakeFrame(CmdEqBand, {3, old.FrequencyCode.lo, old.FrequencyCode.hi, old.GainCode,
                                               old.QCode, old.BandType}));
    EXPECT_TRUE(SameRecord(m.current, m.lastSent));
}

// The link copy went into both images without a frame; its undo sends the restored channel and the
// link byte, so what the unit was told matches the program again.
TEST_F(UndoTest, UndoOfSyncOffSendsTheRestoredChannelAndTheLink) {
    m.current.MusicLink = 1;
    m.current.MusicLeft.Eq[2].GainCode = 170;
    m.current.MusicLeft.HighExciter.Harmonic = 4;
    Drain();
    const MusicBlock right = m.current.MusicRight;
    UndoHistory history(m);

    handler.WithSendLock([&] {
        m.Edit([&] { m.current.MusicLink = 0; });
        LinkMusic(m);
    });
    history.Commit();
    const auto off = Drain();
    ASSERT_EQ(off.size(), 1u) << "only the link byte goes out";
    EXPECT_EQ(off[0], MakeFrame(CmdLink, {1, 0}));

    handler.WithSendLock([&] { history.Undo(); });
    EXPECT_TRUE(SameRecord(m.current.MusicRight, right));
    EXPECT_EQ(m.current.MusicLink, 1);
    const auto back = Drain();
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(back[0][4], CmdEqBand);
    EXPECT_EQ(back[0][5], 22);  // MusicRight band 2
    EXPECT_EQ(back[1], MakeFrame(CmdLink, {1, 1}));
    EXPECT_EQ(back[2][4], CmdExciter);
    EXPECT_EQ(back[2][5], 1);  // MusicRight HighExciter
    EXPECT_TRUE(SameRecord(m.current, m.lastSent));
}

TEST_F(UndoTest, HistoryKeepsTheNewest500StepsAndANewEditClearsRedo) {
    UndoHistory history(m);
    EXPECT_EQ(history.Depth(), 500u);
    for (int i = 1; i <= 501; ++i) {
        m.system.Reserved[0] = static_cast<uint8_t>(i);
        ASSERT_TRUE(history.Commit());
    }
    EXPECT_EQ(history.UndoDepth(), 500u);
    while (history.Undo()) {
    }
    EXPECT_EQ(m.system.Reserved[0], 1) << "the oldest step was dropped";
    EXPECT_EQ(history.RedoDepth(), 500u);

    ASSERT_TRUE(history.Redo());
    EXPECT_FALSE(history.Commit()) << "nothing changed: no step, redo kept";
    EXPECT_EQ(history.RedoDepth(), 499u);
    m.current.EchoA.Repeat = 9;
    ASSERT_TRUE(history.Commit());
    EXPECT_FALSE(history.CanRedo());
}

TEST_F(UndoTest, RebaseAndClearKeepChangesOutOfTheHistory) {
    UndoHistory history(m);
    m.current.Reverb.ReverbTime = 300;
    history.Commit();
    m.current.Reverb.PreDelay = 40;  // say, a record received from the unit
    history.Rebase();
    EXPECT_FALSE(history.Commit());
    ASSERT_TRUE(history.Undo());
    EXPECT_EQ(m.current.Reverb.ReverbTime.get(), 0);
    EXPECT_EQ(m.current.Reverb.PreDelay.get(), 40);

    m.current.Reverb.PreDelay = 50;
    history.Clear();
    EXPECT_FALSE(history.CanUndo());
    EXPECT_FALSE(history.CanRedo());
    EXPECT_FALSE(history.Undo());
    EXPECT_EQ(m.current.Reverb.PreDelay.get(), 50);
}

TEST_F(UndoTest, UndoTakesBackUncommittedChangesFirst) {
    UndoHistory history(m);
    m.system.MicMaster = 20;
    history.Commit();
    m.system.MicMaster = 30;
    ASSERT_TRUE(history.Undo());
    EXPECT_EQ(m.system.MicMaster, 20);
    ASSERT_TRUE(history.Undo());
    EXPECT_EQ(m.system.MicMaster, 0);
}

TEST_F(UndoTest, PasswordsAreNeverRecorded) {
    UndoHistory history(m);
    m.system.MusicMax = 50;
    std::memcpy(m.system.SystemPassword, "123456", 6);
    std::memcpy(m.system.PanelPassword, "4321", 4);
    ASSERT_TRUE(history.Commit());
    ASSERT_EQ(history.NextUndo()->runs.size(), 1u);
    ASSERT_TRUE(history.Undo());
    EXPECT_EQ(m.system.MusicMax, 84);
    EXPECT_EQ(std::memcmp(m.system.SystemPassword, "123456", 6), 0);

    // A password change alone is no step and leaves nothing behind for the next one.
    std::memcpy(m.system.SystemPassword, "654321", 6);
    EXPECT_FALSE(history.Commit());
    ASSERT_TRUE(history.Redo());
    EXPECT_EQ(std::memcmp(m.system.SystemPassword, "654321", 6), 0);
}

TEST_F(UndoTest, MergedChangesUndoAsOneStep) {
    UndoHistory history(m);
    m.current.Mic34.MicLevel = 10;
    history.Commit();
    m.current.Mic34.Gate.Threshold = 5;  // notch 1
    history.Commit({}, false);
    m.current.Mic34.Gate.Threshold = 7;  // notch 2, joined
    history.Commit({}, true);
    m.current.Mic34.Gate.Threshold = 9;  // notch 3, joined
    history.Commit({}, true);
    EXPECT_EQ(history.UndoDepth(), 2u);
    ASSERT_TRUE(history.Undo());
    EXPECT_EQ(m.current.Mic34.Gate.Threshold, 0);
    EXPECT_EQ(m.current.Mic34.MicLevel, 10);

    // Back where it started: the joined step goes away.
    m.current.Mic34.MicLevel = 12;
    history.Commit();
    m.current.Mic34.MicLevel = 10;
    history.Commit({}, true);
    EXPECT_EQ(history.UndoDepth(), 1u);

    // After an undo nothing joins the step that was undone to.
    history.Undo();
    m.current.Mic34.MicLevel = 3;
    history.Commit({}, true);
    EXPECT_EQ(history.UndoDepth(), 1u);
    history.Undo();
    EXPECT_EQ(m.current.Mic34.MicLevel, 0);
}

// The scanner runs on the engine's thread while the UI thread commits, undoes and redoes: every
// access is under the model lock, and once the scanner has caught up the unit was told everything.
TEST_F(UndoTest, ScansBesideUndoAndRedoSeeWholeRecords) {
    UndoHistory history(m);
    std::atomic<bool> stop{false};
    std::thread engine([&] {
        while (!stop) handler.ScanForChange();
    });
    for (int i = 0; i < 200; ++i) {
        m.Edit([&] {
            m.current.MusicLeft.Eq[i % 15].GainCode = static_cast<uint8_t>(100 + i % 40);
            m.current.Scenes[0].Channel[i % 8].Delay = static_cast<uint16_t>(i * 7);
        });
        history.Commit();
        if (i % 3 == 0) handler.WithSendLock([&] { history.Undo(); });
        if (i % 6 == 0) handler.WithSendLock([&] { history.Redo(); });
    }
    stop = true;
    engine.join();
    Drain();
    EXPECT_TRUE(m.Edit([&] { return SameRecord(m.current, m.lastSent); }));
}

}  // namespace
}  // namespace pavo::testing
