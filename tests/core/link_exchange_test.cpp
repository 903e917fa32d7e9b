// The engine against the virtual unit over a real pseudo-terminal: the exchange cycle, queued
// batches before edits, the full read, and edits that reach the unit.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "link_harness.h"

namespace pavo::linktest {
namespace {

TEST(LinkExchange, IdleEnginePollsStatusAlternatingAfterEachReply) {
    LinkHarness h;
    ASSERT_TRUE(h.OpenAndStart());
    ASSERT_TRUE(h.line.WaitForFrames(8, 5000));
    h.port.ClosePort();
    EXPECT_FALSE(h.port.IsAlive());

    const auto frames = h.line.Received();
    ASSERT_GE(frames.size(), 8u);
    for (size_t i = 0; i < frames.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(frames[i].frame.cmd, i % 2 == 0 ? CmdStatusA : CmdStatusB);
        ASSERT_EQ(frames[i].frame.payload.size(), 1u);
        EXPECT_EQ(frames[i].frame.payload[0], 1);  // the active scene
    }
    // One exchange at a time, paced by the cycle pause: never two requests within the 20 ms.
    for (size_t i = 1; i < frames.size(); ++i) EXPECT_GE(frames[i].atMs - frames[i - 1].atMs, 19.0);
    EXPECT_TRUE(h.events.Of("LinkFailed").empty());
    // The replies' meter values were stored and the polls alternated from the unit's point of view too.
    EXPECT_EQ(h.line.ReceivedCount(), frames.size());
}

TEST(LinkExchange, QueuedBatchGoesOutWholeAndInOrderBeforeAPendingEdit) {
    LinkHarness h;
    ASSERT_TRUE(h.OpenAndStart());
    ASSERT_TRUE(h.line.WaitForFrames(3, 5000));
    {
        // The UI queues a batch and edits a field while the engine is busy polling.
        SendLockGuard guard(h.handler.SendLock());
        h.handler.QueueCommand(CmdReadNames, 0);
        h.handler.QueueCommand(CmdReadSystem, 0);
        h.Edit([&] { h.m.current.EchoB.DirectSwitch = 1; });
    }
    ASSERT_TRUE(Eventually(
        [&] {
            const auto c = h.Commands();
            return std::find(c.begin(), c.end(), CmdSwitch) != c.end();
        },
        5000));
    const auto frames = h.line.Received();
    size_t first = 0;
    while (frames[first].frame.cmd != CmdReadNames) ++first;
    ASSERT_GE(frames.size(), first + 24);
    for (int n = 0; n < 22; ++n) {
        EXPECT_EQ(frames[first + n].frame.cmd, CmdReadNames) << n;
        EXPECT_EQ(frames[first + n].frame.payload, std::vector<uint8_t>{static_cast<uint8_t>(n)});
    }
    EXPECT_EQ(frames[first + 22].frame.cmd, CmdReadSystem);
    EXPECT_EQ(frames[first + 23].frame.cmd, CmdSwitch);
    EXPECT_EQ(frames[first + 23].frame.payload, (std::vector<uint8_t>{5, 1}));
    for (size_t i = 0; i < first; ++i)
        EXPECT_TRUE(frames[i].frame.cmd == CmdStatusA || frames[i].frame.cmd == CmdStatusB);
}

// The connection code's lookup and full read, against units that answer cleanly, through noise and
// in small pieces, or late.
TEST(LinkExchange, LookupAndFullReadStoreTheUnitsDataInTheModel) {
    struct Case {
        const char* name;
        unit::UnitOptions options;
    };
    std::vector<Case> cases(3);
    cases[0].name = "clean";
    cases[1].name = "noise and small pieces";
    cases[1].options.noise = {0x00, 0x12, 0xA7, 0x3C};
    cases[1].options.chunkSize = 64;
    cases[1].options.chunkDelayMs = 1;
    cases[2].name = "late replies";
    cases[2].options.replyDelayMs = 60;
    cases[2].options.storeAuthority = 0;

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LinkHarness h(c.options);
        h.handler.QueueCommand(CmdLookup, 0);
        ASSERT_TRUE(h.OpenAndStart());
        ASSERT_TRUE(h.events.WaitFor("DeviceFound", 1, 5000));
        EXPECT_EQ(h.m.flags.storeAuthority.load(), c.options.storeAuthority);

        h.QueueNumbered({{CmdReadNames, 0}, {CmdReadSystem, 0}, {CmdReadPrograms, 0}});
        ASSERT_TRUE(h.events.WaitFor("ProgramReceived", 1, 15000));
        h.port.ClosePort();

        // Every queued item's position was reported once, in order.
        std::vector<int> expected;
        for (int i = 1; i <= 24; ++i) expected.push_back(i);
        EXPECT_EQ(h.events.Positions(), expected);
        EXPECT_EQ(h.events.Of("SystemReceived").size(), 1u);
        EXPECT_TRUE(h.events.Of("LinkFailed").empty());

        const ProgramImage unitImage = h.line.Unit().CurrentImage();
        const SystemRecord unitSystem = h.line.Unit().System();
        h.Edit([&] {
            const Model& m = h.m;
            EXPECT_TRUE(SameRecord(m.current, unitImage));
            EXPECT_TRUE(SameRecord(m.lastSent, unitImage));
            EXPECT_TRUE(SameRecord(m.system, unitSystem));
            for (int n = 1; n <= kProgramCount; ++n) {
                const ProgramImage stored = h.line.Unit().StoredProgram(n);
                EXPECT_EQ(0, std::memcmp(m.bank.Programs[n - 1].ProgramName, stored.ProgramName,
                                         kProgramNameLength))
                    << n;
            }
        });
    }
}

// The unit answers the program-image request later than the reply window: the engine repeats it, takes
// the first answer as the reply to the repeat and goes on with the user's edit. The second answer then
// arrives while the edit is in flight; it must neither undo the edit nor stand in for its reply.
TEST(LinkExchange, ALateProgramImageNeitherUndoesAnEditNorStandsInForItsReply) {
    unit::UnitOptions options;
    options.slowCommand = CmdReadPrograms;
    options.slowCommandMs = 1300;
    LinkHarness h(options);
    h.handler.QueueCommand(CmdReadPrograms, 0);
    ASSERT_TRUE(h.OpenAndStart());
    ASSERT_TRUE(h.events.WaitFor("ProgramReceived", 1, 5000));
    const uint8_t edited = static_cast<uint8_t>(h.line.Unit().CurrentImage().Mic12.Eq[3].GainCode + 17);
    h.Edit([&] {
        h.m.current.Mic12.Eq[3].GainCode = edited;
        h.m.system.MicMaster = 33;
    });
    ASSERT_TRUE(Eventually([&] { return h.handler.LateReplyCount() == 1; }, 5000));
    ASSERT_TRUE(Eventually(
        [&] {
            return h.line.Unit().CurrentImage().Mic12.Eq[3].GainCode == edited &&
                   h.line.Unit().System().MicMaster == 33 && h.Edit([&] {
                       const Model& m = h.m;
                       return SameRecord(m.current, m.lastSent) && SameRecord(m.system, m.lastSentSystem);
                   });
        },
        5000));
    h.port.ClosePort();

    EXPECT_EQ(h.events.Of("ProgramReceived").size(), 1u);
    EXPECT_TRUE(h.events.Of("LinkFailed").empty());
    const ProgramImage unitImage = h.line.Unit().CurrentImage();
    h.Edit([&] {
        EXPECT_EQ(h.m.current.Mic12.Eq[3].GainCode, edited);
        EXPECT_TRUE(SameRecord(h.m.current, unitImage));
    });
    const auto frames = h.line.Received();
    ASSERT_GE(frames.size(), 2u);
    EXPECT_EQ(frames[0].frame.cmd, CmdReadPrograms);
    EXPECT_EQ(frames[1].frame.cmd, CmdReadPrograms);  // repeated once the window had passed
}

// A random edit of one field the change scanner sends, in the edited scene.
using Edit = std::function<void(Model&, std::mt19937&)>;

template <class T>
void Randomize(T& field, std::mt19937& rng) {
    auto* bytes = reinterpret_cast<uint8_t*>(&field);
    for (size_t i = 0; i < sizeof(T); ++i) bytes[i] = static_cast<uint8_t>(rng());
}
void RandomizeFilter(FilterSetting& f, std::mt19937& rng) {  // the Kind byte says which filter it is
    Randomize(f.FrequencyCode, rng);
    Randomize(f.SlopeCode, rng);
}
void RandomizeExciter(ExciterSetting& e, std::mt19937& rng) {
    Randomize(e, rng);
}

std::vector<Edit> SentFields() {
    std::vector<Edit> e;
    auto pick = [](std::mt19937& rng, int n) { return static_cast<int>(rng() % n); };
    // System record.
    e.push_back([](Model& m, std::mt19937& r) { Randomize(m.system.EffectMaster, r); });
    e.push_back([](Model& m, std::mt19937& r) { Randomize(m.system.MicMaster, r); });
    e.push_back([](Model& m, std::mt19937& r) { Randomize(m.system.MusicMaster, r); });
    e.push_back([](Model& m, std::mt19937& r) { Randomize(m.system.EffectMax, r); });
    e.push_back([](Model& m, std::mt19937& r) { Randomize(m.system.MicMax, r); });
    e.push_back([](Model& m, std::mt19937& r) { Randomize(m.system.MusicMax, r); });
    e.push_back([](Model& m, std::mt19937& r) { Randomize(m.system.Phantom, r); });
    e.push_back([](Model& m, std::mt19937& r) { Randomize(m.system.InputSelect, r); });
    e.push_back([](Model& m, std::mt19937& r) { SetKeyShift(m.system, static_cast<int>(r() % 16)); });
    e.push_back(
        [](Model& m, std::mt19937& r) { SetAnalogSensitivity(m.system, static_cast<int>(r() % 16)); });
    e.push_back([](Model& m, std::mt19937& r) { Randomize(m.system.VodInputGain, r); });
    e.push_back([](Model& m, std::mt19937& r) { Randomize(m.system.OptiInputGain, r); });
    e.push_back([](Model& m, std::mt19937& r) { Randomize(m.system.IrRemote, r); });
    // Effects.
    for (EchoBlock ProgramImage::*echo : {&ProgramImage::EchoA, &ProgramImage::EchoB}) {
        e.push_back([=](Model& m, std::mt19937& r) { Randomize((m.current.*echo).Eq[pick(r, 7)], r); });
        e.push_back([=](Model& m, std::mt19937& r) {
            EchoBlock& b = m.current.*echo;
            uint8_t* fields[] = {&b.Repeat,      &b.EffectLevel,  &b.EffectSwitch,
                                 &b.DirectLevel, &b.DirectSwitch, &b.EqBypass};
            Randomize(*fields[pick(r, 6)], r);
        });
        e.push_back([=](Model& m, std::mt19937& r) {
            EchoBlock& b = m.current.*echo;
            Le16* times[] = {&b.PreDelay, &b.RightPreDelay, &b.Delay, &b.RightDelay};
            Randomize(*times[pick(r, 4)], r);
        });
        e.push_back([=](Model& m, std::mt19937& r) {
            EchoBlock& b = m.current.*echo;
            RandomizeFilter(pick(r, 2) ? b.HighPass : b.LowPass, r);
        });
    }
    e.push_back([=](Model& m, std::mt19937& r) {
        ReverbBlock& b = m.current.Reverb;
        Randomize(b.Eq[pick(r, 7)], r);
        uint8_t* fields[] = {&b.EffectLevel, &b.EffectSwitch, &b.DirectLevel, &b.DirectSwitch, &b.EqBypass};
        Randomize(*fields[pick(r, 5)], r);
        Randomize(pick(r, 2) ? b.PreDelay : b.ReverbTime, r);
        RandomizeFilter(pick(r, 2) ? b.HighPass : b.LowPass, r);
    });
    // Microphones.
    for (MicBlock ProgramImage::*mic : {&ProgramImage::Mic12, &ProgramImage::Mic34}) {
        e.push_back([=](Model& m, std::mt19937& r) { Randomize((m.current.*mic).Eq[pick(r, 20)], r); });
        e.push_back([=](Model& m, std::mt19937& r) { Randomize((m.current.*mic).AuxBands[pick(r, 5)], r); });
        e.push_back([=](Model& m, std::mt19937& r) {
            MicBlock& b = m.current.*mic;
            uint8_t* fields[] = {&b.MicLevel, &b.FeedbackSuppress, &b.EqBypass, &b.AuxBypass};
            Randomize(*fields[pick(r, 4)], r);
            Randomize(b.Compressor, r);
            Randomize(b.Gate, r);
        });
        e.push_back([=](Model& m, std::mt19937& r) {
            MicBlock& b = m.current.*mic;
            RandomizeFilter(pick(r, 2) ? b.HighPass : b.LowPass, r);
            RandomizeExciter(pick(r, 2) ? b.HighExciter : b.LowExciter, r);
        });
    }
    // Music (MusicRight's compressor and gate are never sent).
    for (MusicBlock ProgramImage::*music : {&ProgramImage::MusicLeft, &ProgramImage::MusicRight}) {
        const bool left = music == &ProgramImage::MusicLeft;
        e.push_back([=](Model& m, std::mt19937& r) { Randomize((m.current.*music).Eq[pick(r, 15)], r); });
        e.push_back(
            [=](Model& m, std::mt19937& r) { Randomize((m.current.*music).AuxBands[pick(r, 5)], r); });
        e.push_back([=](Model& m, std::mt19937& r) { Randomize((m.current.*music).DynEq[pick(r, 3)], r); });
        e.push_back([=](Model& m, std::mt19937& r) {
            MusicBlock& b = m.current.*music;
            Randomize(pick(r, 2) ? b.EqBypass : b.AuxBypass, r);
            RandomizeFilter(pick(r, 3) == 0 ? b.MainHighPass : pick(r, 2) ? b.HighPass : b.LowPass, r);
            RandomizeExciter(pick(r, 2) ? b.HighExciter : b.LowExciter, r);
            if (left) {
                Randomize(b.Compressor, r);
                Randomize(b.Gate, r);
            }
        });
    }
    // Outputs of the edited scene (limiters of channels 1, 5 and 7 are never sent).
    e.push_back([=](Model& m, std::mt19937& r) {
        OutputChannel& c = m.EditedScene().Channel[pick(r, 8)];
        Randomize(*(BytesOf(c) + pick(r, 11)), r);  // mute, levels and switches
        Randomize(c.Eq[pick(r, 10)], r);
    });
    e.push_back([=](Model& m, std::mt19937& r) {
        const int ch = pick(r, 8);
        OutputChannel& c = m.EditedScene().Channel[ch];
        Randomize(c.EqBypass, r);
        Randomize(c.Delay, r);
        RandomizeFilter(pick(r, 2) ? c.HighPass : c.LowPass, r);
        if (ch != 1 && ch != 5 && ch != 7) Randomize(c.Limiter, r);
    });
    e.push_back([=](Model& m, std::mt19937& r) {
        uint8_t* links[] = {&m.current.MicLink,   &m.current.MusicLink, &m.current.Out34Link,
                            &m.current.SpareLink, &m.current.Out12Link, &m.current.SurroundLink};
        *links[pick(r, 6)] = static_cast<uint8_t>(r() % 2);
    });
    return e;
}

TEST(LinkExchange, RandomEditsLeaveTheUnitWithTheProgramsImage) {
    LinkHarness h;
    h.handler.QueueCommand(CmdLookup, 0);
    ASSERT_TRUE(h.OpenAndStart());
    ASSERT_TRUE(h.events.WaitFor("DeviceFound", 1, 5000));
    h.QueueNumbered({{CmdReadNames, 0}, {CmdReadSystem, 0}, {CmdReadPrograms, 0}});
    ASSERT_TRUE(h.events.WaitFor("ProgramReceived", 1, 10000));

    const std::vector<Edit> fields = SentFields();
    std::mt19937 rng(20261210);
    for (int batch = 0; batch < 6; ++batch) {
        for (int i = 0; i < 25; ++i) h.Edit([&] { fields[rng() % fields.size()](h.m, rng); });
        std::this_thread::sleep_for(std::chrono::milliseconds(150));  // edits land mid-exchange too
    }
    // Drained: nothing left to send, and the unit has answered two more frames since.
    ASSERT_TRUE(Eventually(
        [&] {
            return h.Edit([&] {
                const Model& m = h.m;
                return SameRecord(m.current, m.lastSent) && SameRecord(m.system, m.lastSentSystem);
            });
        },
        30000));
    const size_t seen = h.line.ReceivedCount();
    ASSERT_TRUE(h.line.WaitForFrames(seen + 2, 5000));
    h.port.ClosePort();

    const ProgramImage unitImage = h.line.Unit().CurrentImage();
    const SystemRecord unitSystem = h.line.Unit().System();
    h.Edit([&] {
        const Model& m = h.m;
        const uint8_t* a = BytesOf(m.current);
        const uint8_t* b = BytesOf(unitImage);
        for (size_t i = 0; i < sizeof(ProgramImage); ++i) ASSERT_EQ(a[i], b[i]) << "image byte " << i;
        const uint8_t* s = BytesOf(m.system);
        const uint8_t* u = BytesOf(unitSystem);
        for (size_t i = 0; i < sizeof(SystemRecord); ++i) ASSERT_EQ(s[i], u[i]) << "system byte " << i;
    });
    EXPECT_TRUE(h.events.Of("LinkFailed").empty());
}

}  // namespace
}  // namespace pavo::linktest
