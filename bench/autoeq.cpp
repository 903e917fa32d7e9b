// The EQ fitter on ten bands of an output block against room-like measurements (room modes, dips,
// broad bumps, fine ripple and noise, 1/48-octave points): the time of one fit, and its remaining
// RMS error beside (a) the usual method, a continuous least-squares fit of frequency, gain and Q
// rounded to the nearest codes afterwards, and (b) that continuous fit before rounding. All three
// solve the same problem (the same prepared curves, each band within the limits) and are scored by
// the program's own response model; the fit as set by default, which also keeps the bands together
// within the limits, is shown beside them, and a twenty-band fit for its time. After the Google
// Benchmark table, one line per room and a summary line give the figures and ratios.
#include <benchmark/benchmark.h>

#include "bench_support.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <memory>
#include <numbers>
#include <random>
#include <vector>

#include "autoeq/BlockRecords.h"
#include "autoeq/Fit.h"
#include "eq/BlockResponse.h"
#include "model/DataConver.h"
#include "model/Model.h"

namespace pavo {
namespace {

constexpr int kBlock = BlockOutputFirst + int{OutOut1};
constexpr int kScene = 1;
constexpr int kRooms = 10;

// ---- Room-like measurements ----

double BiquadLevelAt(const Biquad& s, double f) {
    const double w = 2 * std::numbers::pi * f / SAMPLE_RATE;
    const std::complex<double> z1 = std::polar(1.0, -w), z2 = z1 * z1;
    return 20 * std::log10(std::abs((s.b0 + s.b1 * z1 + s.b2 * z2) / (1.0 + s.a1 * z1 + s.a2 * z2)));
}

Measurement RoomMeasurement(unsigned seed) {
    std::mt19937 rng(seed);
    auto uniform = [&rng](double a, double b) { return std::uniform_real_distribution<double>(a, b)(rng); };
    auto logUniform = [&](double a, double b) { return std::exp(uniform(std::log(a), std::log(b))); };
    struct Resonance {
        double f, q, gain;
    };
    std::vector<Resonance> r;
    for (int i = 0; i < 4; ++i)
        r.push_back({logUniform(35, 220), logUniform(3, 10), uniform(4, 10)});  // modes
    for (int i = 0; i < 2; ++i)
        r.push_back({logUniform(70, 450), logUniform(3, 8), uniform(-12, -5)});  // nulls
    for (int i = 0; i < 4; ++i) r.push_back({logUniform(300, 6000), logUniform(0.8, 3), uniform(-4, 4)});
    r.push_back({logUniform(7000, 13000), logUniform(1, 3), uniform(1, 4)});  // tweeter
    for (int i = 0; i < 20; ++i) r.push_back({logUniform(100, 16000), logUniform(8, 30), uniform(-1, 1)});
    const double tilt = uniform(-1.0, 0.0);  // dB per octave
    const Biquad speakerLow = DesignCrossoverSection(true, logUniform(35, 55), 0.7071);
    const Biquad speakerHigh = DesignCrossoverSection(false, logUniform(16000, 19000), 0.7071);

    Measurement m;
    m.name = "room" + std::to_string(seed);
    for (double f = 15; f <= 22000; f *= std::exp2(1.0 / 48)) {
        double level =
            85 + tilt * std::log2(f / 1000) + BiquadLevelAt(speakerLow, f) + BiquadLevelAt(speakerHigh, f);
        for (const Resonance& x : r) level += BiquadLevelAt(DesignEqBand(BandPeak, x.f, x.q, x.gain), f);
        m.frequency.push_back(f);
        m.level.push_back(level + uniform(-0.5, 0.5));
    }
    return m;
}

std::unique_ptr<ProgramImage> OutputImage() {
    auto image = std::make_unique<ProgramImage>();
    OutputChannel& out = image->Scenes[kScene - 1].Channel[OutOut1];
    for (EqBand& b : out.Eq) SetBand(b, 204, kGainCodeFlat, 10, BandPeak);
    SetFilter(out.HighPass, FilterKindHighPass, NearestCrossoverCode(30), 9);  // "24dBLink-Riley"
    SetFilter(out.LowPass, FilterKindLowPass, kFrequencyCodeMax, 0);
    return image;
}

// combinedLimits false: each band limited on its own, the problem the continuous fit solves.
FitProblem Problem(const Measurement& room, bool combinedLimits) {
    const auto image = OutputImage();
    FitOptions options;
    options.block = kBlock;
    options.scene = kScene;
    options.combinedLimits = combinedLimits;
    return std::get<FitProblem>(PrepareFit(*image, room, nullptr, options));
}

// All twenty bands of a microphone block, with its limits also on the bands together.
FitProblem MicrophoneProblem(const Measurement& room) {
    auto image = std::make_unique<ProgramImage>();
    for (EqBand& b : image->Mic12.Eq) SetBand(b, 204, kGainCodeFlat, 10, BandPeak);
    SetFilter(image->Mic12.HighPass, FilterKindHighPass, NearestCrossoverCode(30), 9);
    SetFilter(image->Mic12.LowPass, FilterKindLowPass, kFrequencyCodeMax, 0);
    FitOptions options;
    options.block = BlockMic12;
    return std::get<FitProblem>(PrepareFit(*image, room, nullptr, options));
}

// ---- The usual method: continuous least squares ----

// Peaking bands with continuous parameters: x = log2 f, gain dB, log2 Q for each band. The response
// of each band on the fit range is kept, so a change of one parameter costs one band's evaluation.
class ContinuousFit {
public:
    explicit ContinuousFit(const FitProblem& p) : p_(p), n_(p.span.Count()) {
        ProgramImage flat = p.image;
        for (EqBand& b : BandsOf(flat, p.block, p.scene)) b.GainCode = kGainCodeFlat;
        const GridLevels fixed = *BlockResponse(flat, p.block, p.scene);
        base_.resize(n_);
        for (int j = 0; j < n_; ++j) {
            const int k = p.span.first + j;
            base_[j] = p.target[k] - p.measured[k] - fixed[k];
        }
        loF_ = std::log2(FrequencyTable()[p.frequencyCodeMin]);
        hiF_ = std::log2(FrequencyTable()[p.frequencyCodeMax]);
        loG_ = p.gainCodeMin * 0.2 - 24;
        hiG_ = p.gainCodeMax * 0.2 - 24;
    }

    // Greedy: each band at the largest deviation left, with the best of a few Q values and the best
    // gain there; then all bands placed so far refined together.
    void Run(int bands) {
        x_.clear();
        levels_.clear();
        for (int b = 0; b < bands; ++b) {
            const std::vector<double> r = Residual(Sum());
            int at = -1;
            for (int j = 0; j < n_; ++j)
                if (InFrequencyRange(j) && (at < 0 || std::abs(r[j]) > std::abs(r[at]))) at = j;
            const double f = std::log2(ResponseGrid()[p_.span.first + at]);
            std::array<double, 3> best{f, 0, 0};
            double bestCost = Cost(r);
            std::vector<double> level(n_);
            for (double q = 0.5; q <= 16; q *= std::sqrt(2.0))
                for (double g = loG_; g <= hiG_; g += 0.5) {
                    const std::array<double, 3> x{f, g, std::log2(q)};
                    Levels(x.data(), level);
                    std::vector<double> e(n_);
                    for (int j = 0; j < n_; ++j) e[j] = r[j] - level[j];
                    const double c = Cost(Residual(e, false));
                    if (c < bestCost) {
                        bestCost = c;
                        best = x;
                    }
                }
            x_.insert(x_.end(), best.begin(), best.end());
            levels_.emplace_back(n_);
            Levels(best.data(), levels_.back());
            LevenbergMarquardt();
        }
    }

    const std::vector<double>& Parameters() const { return x_; }
    double Rms() const { return std::sqrt(Cost(Residual(Sum())) / n_); }

    // The parameters rounded to the nearest codes, written into a copy of the image.
    std::unique_ptr<ProgramImage> Rounded() const {
        auto image = std::make_unique<ProgramImage>(p_.image);
        const auto bands = BandsOf(*image, p_.block, p_.scene);
        for (std::size_t b = 0; b * 3 < x_.size(); ++b) {
            const int f = std::clamp(NearestFrequencyCode(std::exp2(x_[3 * b])), p_.frequencyCodeMin,
                                     p_.frequencyCodeMax);
            const int g = std::clamp(static_cast<int>(std::lround((x_[3 * b + 1] + 24) / 0.2)),
                                     p_.gainCodeMin, p_.gainCodeMax);
            SetBand(bands[b], static_cast<uint16_t>(f), static_cast<uint8_t>(g),
                    static_cast<uint8_t>(NearestQCode(std::exp2(x_[3 * b + 2]))), BandPeak);
        }
        return image;
    }

private:
    bool InFrequencyRange(int j) const {
        const int code = p_.span.first + j - kFrequencyGridOffset;
        return code >= p_.frequencyCodeMin && code <= p_.frequencyCodeMax;
    }

    void Clamp(double* x) const {
        x[0] = std::clamp(x[0], loF_, hiF_);
        x[1] = std::clamp(x[1], loG_, hiG_);
        x[2] = std::clamp(x[2], std::log2(QTable().front()), std::log2(QTable().back()));
    }

    void Levels(const double* x, std::vector<double>& level) const {
        GridResponse response;
        GridLevels l;
        EvaluateSection(DesignEqBand(BandPeak, std::exp2(x[0]), std::exp2(x[2]), x[1]), response, l);
        std::copy_n(l.begin() + p_.span.first, n_, level.begin());
    }

    std::vector<double> Sum() const {
        std::vector<double> sum(n_, 0.0);
        for (const auto& level : levels_)
            for (int j = 0; j < n_; ++j) sum[j] += level[j];
        return sum;
    }

    // target - measured - response (or e itself, when fromSum is false), about its mean.
    std::vector<double> Residual(const std::vector<double>& v, bool fromSum = true) const {
        std::vector<double> r(n_);
        double mean = 0;
        for (int j = 0; j < n_; ++j) mean += (r[j] = fromSum ? base_[j] - v[j] : v[j]) / n_;
        for (double& e : r) e -= mean;
        return r;
    }

    static double Cost(const std::vector<double>& r) {
        double c = 0;
        for (double e : r) c += e * e;
        return c;
    }

    // Bounded by clamping each step; forward-difference Jacobian, one band at a time.
    void LevenbergMarquardt() {
        const int m = static_cast<int>(x_.size());
        double lambda = 1e-3;
        std::vector<double> sum = Sum();
        std::vector<double> r = Residual(sum);
        double cost = Cost(r);
        std::vector<double> level(n_);
        for (int iteration = 0; iteration < 300; ++iteration) {
            std::vector<std::vector<double>> J(m, std::vector<double>(n_));
            for (int i = 0; i < m; ++i) {
                std::array<double, 3> x{x_[i / 3 * 3], x_[i / 3 * 3 + 1], x_[i / 3 * 3 + 2]};
                const double h = i % 3 == 1 ? 1e-4 : 1e-6;
                x[i % 3] += h;
                Levels(x.data(), level);
                const std::vector<double>& was = levels_[i / 3];
                double mean = 0;
                for (int j = 0; j < n_; ++j) mean += (J[i][j] = -(level[j] - was[j]) / h) / n_;
                for (double& v : J[i]) v -= mean;
            }
            std::vector<double> A(m * m), g(m);
            for (int a = 0; a < m; ++a) {
                for (int b = 0; b <= a; ++b) {
                    double s = 0;
                    for (int j = 0; j < n_; ++j) s += J[a][j] * J[b][j];
                    A[a * m + b] = A[b * m + a] = s;
                }
                double s = 0;
                for (int j = 0; j < n_; ++j) s += J[a][j] * r[j];
                g[a] = -s;
            }
            bool improved = false;
            while (lambda < 1e12) {
                std::vector<double> M = A, d = g;
                for (int a = 0; a < m; ++a) M[a * m + a] += lambda * (A[a * m + a] + 1e-12);
                if (!Solve(M, d, m)) {
                    lambda *= 10;
                    continue;
                }
                std::vector<double> x = x_;
                for (int a = 0; a < m; ++a) x[a] += d[a];
                std::vector<std::vector<double>> levels = levels_;
                for (int b = 0; b < m / 3; ++b) {
                    Clamp(&x[3 * b]);
                    Levels(&x[3 * b], levels[b]);
                }
                levels.swap(levels_);
                const std::vector<double> r2 = Residual(Sum());
                const double c = Cost(r2);
                if (c < cost) {
                    improved = cost - c > 1e-12 * cost;
                    x_ = x;
                    cost = c;
                    r = r2;
                    lambda = std::max(lambda / 10, 1e-9);
                    break;
                }
                levels.swap(levels_);
                lambda *= 10;
            }
            if (!improved) break;
        }
    }

    // Gaussian elimination with partial pivoting; the result replaces b.
    static bool Solve(std::vector<double>& A, std::vector<double>& b, int m) {
        for (int c = 0; c < m; ++c) {
            int pivot = c;
            for (int r = c + 1; r < m; ++r)
                if (std::abs(A[r * m + c]) > std::abs(A[pivot * m + c])) pivot = r;
            if (std::abs(A[pivot * m + c]) < 1e-300) return false;
            if (pivot != c) {
                for (int k = 0; k < m; ++k) std::swap(A[c * m + k], A[pivot * m + k]);
                std::swap(b[c], b[pivot]);
            }
            for (int r = c + 1; r < m; ++r) {
                const double f = A[r * m + c] / A[c * m + c];
                for (int k = c; k < m; ++k) A[r * m + k] -= f * A[c * m + k];
                b[r] -= f * b[c];
            }
        }
        for (int c = m - 1; c >= 0; --c) {
            double s = b[c];
            for (int k = c + 1; k < m; ++k) s -= A[c * m + k] * b[k];
            b[c] = s / A[c * m + c];
        }
        return true;
    }

    const FitProblem& p_;
    int n_;
    std::vector<double> base_;
    std::vector<double> x_;
    std::vector<std::vector<double>> levels_;  // each band's response on the fit range
    double loF_, hiF_, loG_, hiG_;
};

double RmsOf(const FitProblem& p, const ProgramImage& image) {
    return LevelFreeRms(p.target, p.measured, *BlockResponse(image, p.block, p.scene), p.span);
}

// The highest boost and deepest cut of the bands of a block together over the fit range.
std::pair<double, double> BandsRange(const FitProblem& p, const ProgramImage& image) {
    GridLevels sum{};
    for (const EqBand& b : BandsOf(image, p.block, p.scene)) {
        const GridLevels level = BandLevels(b);
        for (int k = 0; k < kGridPoints; ++k) sum[k] += level[k];
    }
    const auto [lo, hi] = std::minmax_element(sum.begin() + p.span.first, sum.begin() + p.span.last + 1);
    return {*lo, *hi};
}

// Best of three runs, wall clock and CPU time in ms.
std::pair<double, double> TimeFit(const FitProblem& p, FitResult& result) {
    double cpu = 1e300;
    const double wall = bench::BestNanos(
        [&](int) {
            const std::clock_t c0 = std::clock();
            result = RunFit(p);
            cpu = std::min(cpu, 1000.0 * (std::clock() - c0) / CLOCKS_PER_SEC);
        },
        1, 3);
    return {wall / 1e6, cpu};
}

// ---- Google Benchmark cases ----

void BM_CodeGridFit(benchmark::State& state) {
    const FitProblem p = Problem(RoomMeasurement(1), true);
    for (auto _ : state) benchmark::DoNotOptimize(RunFit(p).rmsAfter);
}
void BM_ContinuousFitReference(benchmark::State& state) {
    const FitProblem p = Problem(RoomMeasurement(1), false);
    for (auto _ : state) {
        ContinuousFit fit(p);
        fit.Run(10);
        benchmark::DoNotOptimize(fit.Rms());
    }
}
BENCHMARK(BM_CodeGridFit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ContinuousFitReference)->Unit(benchmark::kMillisecond);

// ---- Summary ----

void PrintSummary() {
    std::printf(
        "\nRMS error in dB over 40 Hz .. 16 kHz, each band limited to +6 / -12 dB: the code-grid\n"
        "fit, (a) the continuous fit rounded to codes, (b) the continuous fit. After the bar: the\n"
        "code-grid fit as set by default, with the limits on the bands together as well, and the\n"
        "lowest and highest level of (a)'s bands together.\n\n"
        "room  fit ms (cpu)  before  code-grid     (a)     (b)  grid/(a)  grid/(b)  used"
        " | together  (a) range\n");
    double slowest = 0, worstVsRounded = 0, worstVsContinuous = 0, roundingPenalty = 0;
    double sumVsRounded = 0, sumVsContinuous = 0;
    for (unsigned room = 1; room <= kRooms; ++room) {
        const Measurement measured = RoomMeasurement(room);
        const FitProblem each = Problem(measured, false), together = Problem(measured, true);
        FitResult result, byDefault;
        const auto [wall, cpu] = TimeFit(each, result);
        const auto [wallDefault, cpuDefault] = TimeFit(together, byDefault);
        ContinuousFit continuous(each);
        continuous.Run(10);
        const double rounded = RmsOf(each, *continuous.Rounded());
        const double exact = continuous.Rms();
        const auto [lowest, highest] = BandsRange(each, *continuous.Rounded());
        int used = 0;
        for (const FittedBand& b : result.bands) used += b.used;
        std::printf(
            "%4u  %4.0f (%4.0f)  %6.3f  %9.3f  %6.3f  %6.3f  %8.3f  %8.3f  %4d | %8.3f  %+5.1f %+5.1f\n",
            room, std::max(wall, wallDefault), std::max(cpu, cpuDefault), result.rmsBefore, result.rmsAfter,
            rounded, exact, result.rmsAfter / rounded, result.rmsAfter / exact, used, byDefault.rmsAfter,
            lowest, highest);
        slowest = std::max({slowest, wall, wallDefault});
        worstVsRounded = std::max(worstVsRounded, result.rmsAfter / rounded);
        worstVsContinuous = std::max(worstVsContinuous, result.rmsAfter / exact);
        sumVsRounded += result.rmsAfter / rounded;
        sumVsContinuous += result.rmsAfter / exact;
        roundingPenalty = std::max(roundingPenalty, rounded / exact);
    }
    FitResult mic;
    const auto [micWall, micCpu] = TimeFit(MicrophoneProblem(RoomMeasurement(1)), mic);
    std::printf(
        "\nTwenty bands on a microphone block, room 1: %.0f ms (%.0f ms CPU), %.3f dB -> %.3f dB, %d bands "
        "used\n",
        micWall, micCpu, mic.rmsBefore, mic.rmsAfter,
        static_cast<int>(
            std::count_if(mic.bands.begin(), mic.bands.end(), [](const auto& b) { return b.used; })));
    std::printf(
        "\nSUMMARY (%d room-like measurements, ten bands on an output block, best of 3 runs): slowest fit "
        "%.0f ms "
        "[goal <= 1000 ms]; code-grid / rounded continuous worst %.3f, mean %.3f [goal: never above 1]; "
        "code-grid / "
        "continuous worst %.3f, mean %.3f [goal <= 1.05]; rounding raised the continuous fit's error by up "
        "to "
        "%.1f %%\n",
        kRooms, slowest, worstVsRounded, sumVsRounded / kRooms, worstVsContinuous, sumVsContinuous / kRooms,
        100 * (roundingPenalty - 1));
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
