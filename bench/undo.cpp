// The undo history's work on the UI thread: the commit that runs after every click, key and wheel
// notch (most of them change nothing), the commit of an EQ drag, and undo plus redo of a drag and of
// a whole recalled program (restore, then re-bind every band set). frame_share_pct gives the share
// of one 60 Hz frame (16.7 ms) in percent, printed with SI prefixes ("2.5m" is 0.0025 %); the goal is
// well under 10 %, so an undo never shows as a hitch. step_bytes is what one step keeps.
#include <benchmark/benchmark.h>

#include <cstring>
#include <functional>

#include "model/Model.h"
#include "model/UndoHistory.h"

namespace {

using namespace pavo;

constexpr double kFrameSeconds = 1.0 / 60;

benchmark::Counter FrameShare() {
    return benchmark::Counter(kFrameSeconds / 100.0,
                              benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

double StepBytes(const UndoHistory& h) {
    const UndoStep* s = h.NextUndo();
    return s ? double(s->before.size() + s->after.size() + s->runs.size() * sizeof(ChangedRun)) : 0;
}

void BM_CommitNothingChanged(benchmark::State& state) {
    ResetParameters();
    UndoHistory history;
    for (auto _ : state) benchmark::DoNotOptimize(history.Commit());
    state.counters["frame_share_pct"] = FrameShare();
}
BENCHMARK(BM_CommitNothingChanged);

void BM_CommitEqDrag(benchmark::State& state) {
    ResetParameters();
    UndoHistory history;
    uint8_t gain = 120;
    for (auto _ : state) {
        EditModel([&] { TheModel().current.MusicLeft.Eq[3].GainCode = ++gain; });
        benchmark::DoNotOptimize(history.Commit());
    }
    state.counters["frame_share_pct"] = FrameShare();
    state.counters["step_bytes"] = StepBytes(history);
}
BENCHMARK(BM_CommitEqDrag);

// One undo and one redo per iteration.
void UndoRedo(benchmark::State& state, const std::function<void(Model&)>& edit) {
    ResetParameters();
    UndoHistory history;
    EditModel([&] { edit(TheModel()); });
    history.Commit();
    const double bytes = StepBytes(history);
    for (auto _ : state) {
        history.Undo();
        history.Redo();
    }
    state.counters["frame_share_pct"] =
        benchmark::Counter(kFrameSeconds / 100.0 * 2,
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["step_bytes"] = bytes;
}

void BM_UndoRedoEqDrag(benchmark::State& state) {
    UndoRedo(state, [](Model& m) { m.current.MusicLeft.Eq[3].GainCode = 150; });
}
BENCHMARK(BM_UndoRedoEqDrag);

void BM_UndoRedoRecalledProgram(benchmark::State& state) {
    UndoRedo(state, [](Model& m) {
        uint8_t* bytes = BytesOf(m.current);
        for (size_t i = 0; i < sizeof(ProgramImage); ++i)
            bytes[i] = static_cast<uint8_t>(bytes[i] + 1 + i % 7);
    });
}
BENCHMARK(BM_UndoRedoRecalledProgram);

}  // namespace

BENCHMARK_MAIN();
