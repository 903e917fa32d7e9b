// The undo history's work on the UI thread: the commit that runs after every click, key and wheel
// notch (most of them change nothing), the commit of an EQ drag, and undo plus redo of a drag and of
// a whole recalled program (restore, then re-bind every band set). frame_share_pct gives the share
// of one 60 Hz frame (16.7 ms) in percent per operation ("6.7m" is 0.0067 %); the goal is well under 10 %, so
// an undo never shows as a hitch. step_bytes is what one step keeps.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <functional>

#include "model/Model.h"
#include "model/UndoHistory.h"
#include "unit/Unit.h"

namespace {

using namespace pavo;

constexpr double kFrameSeconds = 1.0 / 60;

// Runs the benchmark loop and gives the share of a frame that one of its operations takes.
double FrameShare(benchmark::State& state, int operationsPerIteration, const std::function<void()>& body) {
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) body();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double iterations = double(state.iterations() > 0 ? state.iterations() : 1);
    return seconds / (iterations * operationsPerIteration) / kFrameSeconds * 100.0;
}

double StepBytes(const UndoHistory& h) {
    const UndoStep* s = h.NextUndo();
    return s ? double(s->before.size() + s->after.size() + s->runs.size() * sizeof(ChangedRun)) : 0;
}

void BM_CommitNothingChanged(benchmark::State& state) {
    Unit unit(false);
    UndoHistory& history = unit.history();
    state.counters["frame_share_pct"] =
        FrameShare(state, 1, [&] { benchmark::DoNotOptimize(history.Commit()); });
}
BENCHMARK(BM_CommitNothingChanged);

void BM_CommitEqDrag(benchmark::State& state) {
    Unit unit(false);
    UndoHistory& history = unit.history();
    Model& m = unit.model();
    uint8_t gain = 120;
    state.counters["frame_share_pct"] = FrameShare(state, 1, [&] {
        m.Edit([&] { m.current.MusicLeft.Eq[3].GainCode = ++gain; });
        benchmark::DoNotOptimize(history.Commit());
    });
    state.counters["step_bytes"] = StepBytes(history);
}
BENCHMARK(BM_CommitEqDrag);

// One undo and one redo per iteration, each with the band sets re-reading what it restored (as the
// page that shows the records next does).
void UndoRedo(benchmark::State& state, const std::function<void(Model&)>& edit) {
    Unit unit(false);
    UndoHistory& history = unit.history();
    Model& m = unit.model();
    m.Edit([&] { edit(m); });
    history.Commit();
    const double bytes = StepBytes(history);
    state.counters["frame_share_pct"] = FrameShare(state, 2, [&] {
        history.Undo();
        unit.bands().Refresh();
        history.Redo();
        unit.bands().Refresh();
    });
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
