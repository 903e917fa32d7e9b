// Speed of the filter model against a reference written the straightforward way (sine, cosine and
// logarithm per grid point per section, as the formulas read): recalculating a peaking band and a
// 36 dB cascade, and one drag step (DragBand and SumResponse of a 22-member set). After the Google
// Benchmark table, a summary line gives the ratios from a manual timing in the same run and the
// largest level difference from the reference.
#include <benchmark/benchmark.h>

#include "bench_support.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <mutex>
#include <numbers>

#include "eq/KTVEQ.h"
#include "model/Blocks.h"
#include "model/DataConver.h"

namespace pavo {
namespace {

using bench::BestNanos;

// ---- Reference path ----

// One section evaluated at every grid point with its own trigonometry; levels added to levelDb.
void ReferenceSection(const Biquad& s, GridLevels& levelDb, GridResponse* response) {
    const auto& grid = ResponseGrid();
    for (int k = 0; k < kGridPoints; ++k) {
        const int n = static_cast<int>(10 * grid[k]);
        const double w = n * std::numbers::pi / 960000;
        const double reN = s.b0 + s.b1 * std::cos(w) + s.b2 * std::cos(2 * w);
        const double imN = -(s.b1 * std::sin(w) + s.b2 * std::sin(2 * w));
        const double reD = 1 + s.a1 * std::cos(w) + s.a2 * std::cos(2 * w);
        const double imD = -(s.a1 * std::sin(w) + s.a2 * std::sin(2 * w));
        const double d2 = reD * reD + imD * imD;
        const double re = (reN * reD + imN * imD) / d2;
        const double im = (imN * reD - reN * imD) / d2;
        if (response) (*response)[k] = {re, im};
        levelDb[k] += 20 * std::log10(std::sqrt(re * re + im * im));
    }
}

void ReferenceBand(const EqBand& b, GridLevels& levelDb, GridResponse& response) {
    levelDb.fill(0);
    const Biquad s =
        DesignEqBand(b.BandType, FrequencyTable()[b.FrequencyCode], QTable()[b.QCode], b.GainCode * 0.2 - 24);
    ReferenceSection(s, levelDb, &response);
}

void ReferenceCascade(const FilterSetting& f, GridLevels& levelDb) {
    levelDb.fill(0);
    const SlopeInfo slope = SlopeOf(f.SlopeCode);
    const bool hp = f.Kind == FilterKindHighPass;
    const double fc = CrossoverTable()[f.FrequencyCode];
    for (int s = 0; s < slope.order / 2; ++s)
        ReferenceSection(DesignCrossoverSection(hp, fc, SectionQ(slope.family, slope.order, s)), levelDb,
                         nullptr);
    if (slope.order == 1 || slope.order == 3) ReferenceSection(DesignFirstOrder(hp, fc), levelDb, nullptr);
}

// A drag step the reference way: the same record update as DragBand, then the band's levels and
// outline from the reference evaluation, then the sum point by point over the members.
struct ReferenceDrag {
    std::mutex* lock;  // the record's model lock, taken as the real drag takes it
    EqBand* band;
    const CKTVEQ* set;
    int dragged;  // index of the band in the set
    int width, height;
    GridLevels levelDb{};
    GridResponse response{};
    std::array<int, kGridPoints> outlineY{};
    std::array<PlotPointF, kGridPoints> sumCurve{};

    void Step(int x, int y) {
        const double frequency = std::clamp(XToFrequency(std::clamp(x, 0, width), width), 19.7, 20600.0);
        const double gain = std::clamp(YToLevel(std::clamp(y, 0, height), height), -24.0, 12.0);
        const int code = NearestFrequencyCode(frequency);
        EqBand snap;
        {
            std::lock_guard<std::mutex> guard(*lock);
            band->FrequencyCode = static_cast<uint16_t>(code);
            band->GainCode = static_cast<uint8_t>((gain + 24) / 0.2 + 0.5);
            snap = *band;
        }
        ReferenceBand(snap, levelDb, response);
        for (int k = 0; k < kGridPoints; ++k)
            outlineY[k] = static_cast<int>(LevelToY(levelDb[k], height)) + 10;
        for (int k = 0; k < kGridPoints; ++k) {
            double sum = 0;
            for (int m = 0; m < set->GetSize(); ++m)
                sum += m == dragged ? levelDb[k] : (*set)[m].LevelDb()[k];
            sumCurve[k].y = static_cast<float>(LevelToY(sum, height) + 10);
        }
    }
};

// ---- Fixtures ----

const PlotRect kPlot{35, 10, 735, 190};

struct PeakFixture {
    EqBand band{};
    CFilter filter;
    PeakFixture() {
        SetBand(band, 204, 165, 16, BandPeak);
        filter.SetPlotSize(kPlot);
        filter.AttachBand(band);
    }
};

struct CascadeFixture {
    FilterSetting setting{};
    CFilter filter;
    CascadeFixture() {
        SetFilter(setting, FilterKindHighPass, 120, 11);  // "36dB Butuerworth"
        filter.SetType(FilterType::HighPass);
        filter.SetPlotSize(kPlot);
        filter.AttachFilterSetting(setting);
    }
};

// A microphone block: 20 bands of every type and both filters in use.
struct SetFixture {
    MicBlock mic{};
    std::mutex lock;  // stands for the model lock the records are guarded by
    CKTVEQ set;
    static constexpr int kDragged = 7;
    PlotPoint start;
    PlotPoint grab;
    SetFixture() {
        for (int i = 0; i < 20; ++i)
            SetBand(mic.Eq[i], static_cast<uint16_t>(15 + 17 * i), static_cast<uint8_t>(90 + 7 * i),
                    static_cast<uint8_t>(5 * i), static_cast<uint8_t>(i % 4));
        SetFilter(mic.HighPass, FilterKindHighPass, 60, 9);
        SetFilter(mic.LowPass, FilterKindLowPass, 330, 12);
        set.CreateBands(20, mic.Eq, &mic.HighPass, &mic.LowPass, &lock);
        set.SetPlotRect(kPlot);
        set.SumResponse();
        start = set[kDragged].HandleRect().Centre();
        grab = set[kDragged].GrabOffset(start);
    }
    // Alternate between two points so that every step changes the band.
    PlotPoint Mouse(int i) const { return i % 2 ? PlotPoint{start.x + 40, start.y - 25} : start; }
};

// ---- Google Benchmark cases ----

void BM_RecalculatePeak(benchmark::State& state) {
    PeakFixture f;
    for (auto _ : state) {
        f.filter.Recalculate();
        benchmark::DoNotOptimize(f.filter.LevelDb().data());
    }
}
void BM_RecalculatePeakReference(benchmark::State& state) {
    PeakFixture f;
    GridLevels levels;
    GridResponse response;
    for (auto _ : state) {
        ReferenceBand(f.band, levels, response);
        benchmark::DoNotOptimize(levels.data());
    }
}
void BM_Recalculate36dB(benchmark::State& state) {
    CascadeFixture f;
    for (auto _ : state) {
        f.filter.Recalculate();
        benchmark::DoNotOptimize(f.filter.LevelDb().data());
    }
}
void BM_Recalculate36dBReference(benchmark::State& state) {
    CascadeFixture f;
    GridLevels levels;
    for (auto _ : state) {
        ReferenceCascade(f.setting, levels);
        benchmark::DoNotOptimize(levels.data());
    }
}
void BM_DragStep(benchmark::State& state) {
    SetFixture f;
    int i = 0;
    for (auto _ : state) {
        f.set[SetFixture::kDragged].DragBand(f.Mouse(++i), f.grab);
        f.set.SumResponse();
        benchmark::DoNotOptimize(f.set.SumCurve().data());
    }
}
void BM_DragStepReference(benchmark::State& state) {
    SetFixture f;
    ReferenceDrag ref{&f.lock, &f.mic.Eq[SetFixture::kDragged], &f.set, SetFixture::kDragged, 700, 180};
    int i = 0;
    for (auto _ : state) {
        const PlotPoint p = f.Mouse(++i);
        ref.Step(p.x - 35, p.y - 10);
        benchmark::DoNotOptimize(ref.sumCurve.data());
    }
}
BENCHMARK(BM_RecalculatePeak);
BENCHMARK(BM_RecalculatePeakReference);
BENCHMARK(BM_Recalculate36dB);
BENCHMARK(BM_Recalculate36dBReference);
BENCHMARK(BM_DragStep);
BENCHMARK(BM_DragStepReference);

// ---- Summary: manual timing and level agreement ----

double MaxDifference(const GridLevels& a, const GridLevels& b) {
    double d = 0;
    for (int k = 0; k < kGridPoints; ++k) d = std::max(d, std::abs(a[k] - b[k]));
    return d;
}

void PrintSummary() {
    PeakFixture peak;
    CascadeFixture cascade;
    SetFixture fast, slow;
    ReferenceDrag ref{&slow.lock, &slow.mic.Eq[SetFixture::kDragged], &slow.set, SetFixture::kDragged, 700,
                      180};
    GridLevels levels;
    GridResponse response;

    const double peakFast = BestNanos([&](int) { peak.filter.Recalculate(); });
    const double peakRef = BestNanos([&](int) { ReferenceBand(peak.band, levels, response); });
    double diff = MaxDifference(peak.filter.LevelDb(), levels);

    const double cascadeFast = BestNanos([&](int) { cascade.filter.Recalculate(); });
    const double cascadeRef = BestNanos([&](int) { ReferenceCascade(cascade.setting, levels); });
    diff = std::max(diff, MaxDifference(cascade.filter.LevelDb(), levels));

    // Drag steps on two equal sets, checked against each other at every 97th step.
    double sumDiff = 0;
    const double dragFast = BestNanos([&](int i) {
        fast.set[SetFixture::kDragged].DragBand(fast.Mouse(i + 1), fast.grab);
        fast.set.SumResponse();
    });
    const double dragRef = BestNanos([&](int i) {
        const PlotPoint p = slow.Mouse(i + 1);
        ref.Step(p.x - 35, p.y - 10);
    });
    for (int i = 1; i <= 40; ++i) {
        fast.set[SetFixture::kDragged].DragBand(fast.Mouse(i), fast.grab);
        fast.set.SumResponse();
        const PlotPoint p = slow.Mouse(i);
        ref.Step(p.x - 35, p.y - 10);
        diff = std::max(diff, MaxDifference(fast.set[SetFixture::kDragged].LevelDb(), ref.levelDb));
        for (int k = 0; k < kGridPoints; ++k)
            sumDiff = std::max(sumDiff, double(std::abs(fast.set.SumCurve()[k].y - ref.sumCurve[k].y)));
    }

    std::printf(
        "\nSUMMARY (reference / optimised, best of 60 runs of 200): peak recalculate %.2fx (%.0f ns vs %.0f "
        "ns), "
        "36 dB cascade %.2fx (%.0f ns vs %.0f ns), drag step %.2fx (%.0f ns vs %.0f ns) [goal >= 4x]; "
        "max level difference %.3g dB [goal <= 1e-9], max sum-curve difference %.3g px\n",
        peakRef / peakFast, peakFast, peakRef, cascadeRef / cascadeFast, cascadeFast, cascadeRef,
        dragRef / dragFast, dragFast, dragRef, diff, sumDiff);
}

}  // namespace
}  // namespace pavo

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    pavo::PrintSummary();
    return 0;
}
