// The two protocol steps every exchange cycle runs: a change scan that finds nothing (it builds the
// status poll) and the assembly of the largest reply, a program image. The engine's cycle is 20 ms;
// the cycle_share_pct counters give the share of one 20 ms cycle in percent (printed with SI prefixes:
// "2.5m" is 0.0025 %; the goal is well under 1 %).
#include <benchmark/benchmark.h>

#include <vector>

#include "model/Model.h"
#include "protocol/Command.h"
#include "protocol/FrameRecord.h"
#include "protocol/CommandCodes.h"
#include "protocol/ProtocolHandler.h"
#include "unit/Unit.h"

namespace {

using namespace pavo;

constexpr double kCycleSeconds = 0.020;

void BM_ScanForChangeNothingDiffers(benchmark::State& state) {
    Unit unit(false);
    AcceptProgram(unit.model(), true);
    ProtocolHandler& handler = unit.handler();
    for (auto _ : state) {
        handler.ScanForChange();
        benchmark::DoNotOptimize(handler.Outgoing().data());
    }
    state.counters["cycle_share_pct"] = benchmark::Counter(
        kCycleSeconds / 100.0, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ScanForChangeNothingDiffers);

void BM_FeedBytesProgramImageReply(benchmark::State& state) {
    Unit unit(false);
    AcceptProgram(unit.model(), true);
    ProtocolHandler& handler = unit.handler();
    std::vector<uint8_t> reply = {0xFF, 0x55, 0x9B, 0x0A, 0x82, 0x00};  // LEN 2715, program 0
    for (size_t i = 0; i < sizeof(ProgramImage); ++i) reply.push_back(static_cast<uint8_t>(i * 13));
    unsigned sum = 0;
    for (size_t i = 2; i < reply.size(); ++i) sum += reply[i];
    reply.push_back(static_cast<uint8_t>(sum));
    handler.QueueCommand(CmdReadPrograms, 0);
    FrameRecord request;
    handler.PopInto(request);
    for (auto _ : state) {
        handler.Outgoing() = request;  // the request the reply answers
        if (handler.FeedBytes(1, reply.data(), reply.size()) != 1) state.SkipWithError("reply not accepted");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * reply.size()));
    state.counters["cycle_share_pct"] = benchmark::Counter(
        kCycleSeconds / 100.0, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_FeedBytesProgramImageReply);

}  // namespace

BENCHMARK_MAIN();
