// An editor thread and the scanning engine thread at once: no edit is lost, and the two threads stay
// clean under ThreadSanitizer (edits and scans meet only under the model lock, queueing under the
// send lock).
#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <thread>
#include <vector>

#include "protocol_fixture.h"

namespace pavo::testing {
namespace {

using StressTest = ProtocolTest;

// Offsets of bytes the scanner compares, with ActiveScene fixed at 1 so Scene1 is the edited scene.
std::vector<size_t> ScannedImageOffsets() {
    auto range = [](size_t from, size_t size) { return std::pair{from, from + size}; };
    const std::pair<size_t, size_t> kSkipped[] = {
        range(offsetof(ProgramImage, ProgramName), kProgramNameLength),
        range(offsetof(ProgramImage, ReverbSpare), sizeof(ReverbBlock)),
        range(offsetof(ProgramImage, Mic12) + offsetof(MicBlock, Spare), 5),
        range(offsetof(ProgramImage, Mic34) + offsetof(MicBlock, Spare), 5),
        range(offsetof(ProgramImage, MusicLeft) + offsetof(MusicBlock, Spare), 5),
        range(offsetof(ProgramImage, MusicRight) + offsetof(MusicBlock, Spare), 5),
        range(offsetof(ProgramImage, MusicRight) + offsetof(MusicBlock, Compressor),
              sizeof(CompressorSetting)),
        range(offsetof(ProgramImage, MusicRight) + offsetof(MusicBlock, Gate), sizeof(GateSetting)),
        range(offsetof(ProgramImage, Scenes) + sizeof(OutputScene), 2 * sizeof(OutputScene)),
        range(offsetof(ProgramImage, ActiveScene), 1),
        range(offsetof(ProgramImage, CheckByte), 1),
    };
    std::vector<size_t> offsets;
    for (size_t i = 0; i < sizeof(ProgramImage); ++i) {
        bool skip = false;
        for (const auto& [from, to] : kSkipped) skip = skip || (i >= from && i < to);
        for (int c : {1, 5, 7}) {
            const size_t limiter =
                offsetof(ProgramImage, Scenes) + c * sizeof(OutputChannel) + offsetof(OutputChannel, Limiter);
            skip = skip || (i >= limiter && i < limiter + sizeof(CompressorSetting));
        }
        if (!skip) offsets.push_back(i);
    }
    return offsets;
}

TEST_F(StressTest, EditsDuringScansAreNeverLost) {
    const std::vector<size_t> image = ScannedImageOffsets();
    std::atomic<bool> editing{true};
    std::atomic<int> scans{0};

    std::thread engine([&] {
        while (editing) {
            SendLockGuard g(handler.SendLock());
            if (handler.HasItems())
                handler.PopInto(handler.Outgoing());
            else
                handler.ScanForChange();
            ++scans;
        }
    });

    std::mt19937 rng(12345);
    // Edit until both threads have had plenty of turns, whichever one the scheduler favours.
    for (int i = 0; i < 20000 || (scans < 2000 && i < 20000000); ++i) {
        const auto value = static_cast<uint8_t>(rng());
        if (rng() % 8 == 0) {
            const size_t offset = 1 + rng() % 14;  // system bytes 1..14 are scanned
            m.Edit([&] { BytesOf(m.system)[offset] = value; });
        } else {
            const size_t offset = image[rng() % image.size()];
            m.Edit([&] { BytesOf(m.current)[offset] = value; });
        }
        if (i % 5000 == 0) {  // the UI queues a batch now and then
            SendLockGuard g(handler.SendLock());
            handler.QueueCommand(CmdReadSystem, 0);
        }
    }
    editing = false;
    engine.join();
    EXPECT_GE(scans.load(), 2000);

    // Once the edits stop, a bounded number of scans sends everything.
    handler.Clear();
    int frames = 0;
    for (; frames < 2000; ++frames) {
        handler.ScanForChange();
        const uint8_t cmd = handler.Outgoing().Cmd();
        if (cmd == 0x0C || cmd == 0x18) break;
    }
    EXPECT_LT(frames, 2000);
    for (size_t offset : image) ASSERT_EQ(BytesOf(m.current)[offset], BytesOf(m.lastSent)[offset]) << offset;
    for (size_t offset = 1; offset <= 14; ++offset)
        ASSERT_EQ(BytesOf(m.system)[offset], BytesOf(m.lastSentSystem)[offset]) << offset;
}

}  // namespace
}  // namespace pavo::testing
