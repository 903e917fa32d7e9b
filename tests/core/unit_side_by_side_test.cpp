// Two units in one process, each with its own engine and virtual unit: what one is told, reads and
// reports never reaches the other.
#include <gtest/gtest.h>

#include <memory>

#include "link_harness.h"
#include "protocol/TraceRing.h"
#include "virtual_unit/VirtualUnit.h"

namespace pavo::linktest {
namespace {

using testing::Reports;

struct Side {
    explicit Side(unit::UnitOptions options = {}) : line(std::move(options)) {
        programUnit.AddListener(&events);
        programUnit.handler().InstallTraceSink(&trace);
        EXPECT_TRUE(line.Start());
    }
    ~Side() {
        port.ClosePort();
        line.Stop();
        programUnit.handler().RemoveTraceSink(&trace);
        programUnit.RemoveListener(&events);
    }
    // The connection's lookup and full read, as the program runs them.
    void Connect() {
        ProtocolHandler& h = programUnit.handler();
        {
            SendLockGuard guard(h.SendLock());
            h.QueueCommand(CmdLookup, 0);
            h.QueueCommand(CmdReadNames, 0);
            h.QueueCommand(CmdReadSystem, 0);
            h.QueueCommand(CmdReadPrograms, 0);
        }
        ASSERT_FALSE(port.OpenPort(line.DevicePath(), 115200, 'N', 8, 0, kEventRxChar | kEventCts, 115200));
        ASSERT_EQ(port.StartEngine(), 1);
    }
    bool UnitHoldsTheProgram() {
        const ProgramImage held = line.Unit().CurrentImage();
        const SystemRecord system = line.Unit().System();
        Model& m = programUnit.model();
        return m.Edit([&] { return SameRecord(held, m.current) && SameRecord(system, m.system); });
    }

    Unit programUnit{false};
    RecordingEvents events;
    TraceRing trace{8192};
    unit::UnitLine line;
    SerialPort port{programUnit.handler(), &programUnit.events()};
};

TEST(UnitsSideBySide, TwoUnitsReadEditAndReportEachOnTheirOwn) {
    unit::UnitOptions quiet;
    quiet.storeAuthority = 0;
    Side a, b(quiet);
    // Different programs on the two units, so a mix-up shows.
    b.line.Unit().SetCurrentImage(unit::FactoryProgram(5));
    a.Connect();
    b.Connect();
    ASSERT_TRUE(a.events.WaitFor("ProgramReceived", 1, 15000));
    ASSERT_TRUE(b.events.WaitFor("ProgramReceived", 1, 15000));
    EXPECT_EQ(a.programUnit.model().flags.storeAuthority.load(), 1);
    EXPECT_EQ(b.programUnit.model().flags.storeAuthority.load(), 0);
    EXPECT_TRUE(a.UnitHoldsTheProgram());
    EXPECT_TRUE(b.UnitHoldsTheProgram());
    EXPECT_FALSE(SameRecord(a.programUnit.model().current, b.programUnit.model().current));

    // Edits on both at once, of different fields: each unit gets its own and nothing of the other's.
    const size_t markA = a.line.ReceivedCount(), markB = b.line.ReceivedCount();
    a.programUnit.model().Edit([&] { a.programUnit.model().current.Mic12.MicLevel = 33; });
    b.programUnit.model().Edit([&] { b.programUnit.model().system.MusicMaster = 21; });
    ASSERT_TRUE(Eventually([&] { return a.line.Unit().CurrentImage().Mic12.MicLevel == 33; }, 5000));
    ASSERT_TRUE(Eventually([&] { return b.line.Unit().System().MusicMaster == 21; }, 5000));
    ASSERT_TRUE(Eventually([&] { return a.UnitHoldsTheProgram() && b.UnitHoldsTheProgram(); }, 5000));
    auto editsSince = [](unit::UnitLine& line, size_t mark) {
        std::vector<uint8_t> cmds;
        const auto frames = line.Received();
        for (size_t i = mark; i < frames.size(); ++i)
            if (frames[i].frame.cmd != CmdStatusA && frames[i].frame.cmd != CmdStatusB)
                cmds.push_back(frames[i].frame.cmd);
        return cmds;
    };
    EXPECT_EQ(editsSince(a.line, markA), std::vector<uint8_t>{CmdInputSetting});
    EXPECT_EQ(editsSince(b.line, markB), std::vector<uint8_t>{CmdMasterLevel});

    // One link fails; the other unit neither hears of it nor stops.
    b.line.Unplug();
    ASSERT_TRUE(b.events.WaitFor("LinkFailed", 1, 5000));
    const size_t polls = a.line.ReceivedCount();
    ASSERT_TRUE(a.line.WaitForFrames(polls + 5, 5000));
    EXPECT_TRUE(a.events.Of("LinkFailed").empty());
    EXPECT_EQ(a.events.Count("DeviceFound"), 1u);
    EXPECT_EQ(b.events.Count("DeviceFound"), 1u);

    // Each trace holds its own unit's frames only: as many writes as that unit received.
    a.port.ClosePort();
    std::vector<TraceRecord> traceA, traceB;
    a.trace.TakeAll(traceA);
    b.trace.TakeAll(traceB);
    auto written = [](const std::vector<TraceRecord>& records) {
        size_t n = 0;
        for (const TraceRecord& r : records) n += r.kind == TraceKind::Written;
        return n;
    };
    EXPECT_TRUE(Eventually([&] { return a.line.ReceivedCount() == written(traceA); }, 2000))
        << written(traceA) << " written, " << a.line.ReceivedCount() << " received";
    // The unplugged unit may have missed the frame it was unplugged on and its repeats.
    EXPECT_GE(written(traceB), b.line.ReceivedCount());
    EXPECT_LE(written(traceB), b.line.ReceivedCount() + 3);
}

}  // namespace
}  // namespace pavo::linktest
