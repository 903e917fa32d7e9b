#include "autoeq/Fit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>

#include "autoeq/BlockRecords.h"
#include "autoeq/CodeSearch.h"
#include "eq/BlockResponse.h"
#include "model/Model.h"

namespace pavo {
namespace {

std::string Hz(double f) {
    char text[32];
    std::snprintf(text, sizeof text, "%g Hz", f);
    return text;
}

// Curves built in code (not read by the parser) get the same checks.
std::optional<MeasurementError> CheckCurve(const Measurement& m) {
    if (m.frequency.empty() || m.frequency.size() != m.level.size())
        return MeasurementError{m.name, 0, "no data"};
    for (std::size_t i = 0; i < m.frequency.size(); ++i) {
        if (!std::isfinite(m.frequency[i]) || !std::isfinite(m.level[i]))
            return MeasurementError{m.name, 0, "non-finite value at point " + std::to_string(i + 1)};
        if (m.frequency[i] <= 0 || (i > 0 && m.frequency[i] <= m.frequency[i - 1]))
            return MeasurementError{m.name, 0,
                                    "frequencies do not increase at point " + std::to_string(i + 1)};
    }
    return std::nullopt;
}

}  // namespace

double LevelFreeRms(const GridLevels& target, const GridLevels& measured, const GridLevels& response,
                    GridSpan span) {
    const int n = span.Count();
    if (n <= 0) return 0;
    double s1 = 0, s2 = 0;
    for (int k = span.first; k <= span.last; ++k) {
        const double e = target[k] - measured[k] - response[k];
        s1 += e;
        s2 += e * e;
    }
    const double mean = s1 / n;
    return std::sqrt(std::max(0.0, s2 / n - mean * mean));
}

std::variant<FitProblem, MeasurementError> PrepareFit(const ProgramImage& image, const Measurement& measured,
                                                      const Measurement* target, const FitOptions& options) {
    auto refuse = [](std::string reason) { return MeasurementError{"", 0, std::move(reason)}; };
    const auto bands = BandsOf(image, options.block, options.scene);
    if (bands.empty()) {
        if (options.block == BlockMusicLeftDyn || options.block == BlockMusicRightDyn)
            return refuse("the dynamic EQ blocks are not fitted");
        return refuse("no EQ block " + std::to_string(options.block) + " in scene " +
                      std::to_string(options.scene));
    }
    const int bandCount = static_cast<int>(bands.size());

    FitProblem p;
    p.image = image;
    p.block = options.block;
    p.scene = options.scene;
    p.fitted.assign(bandCount, options.bands.empty());
    for (int n : options.bands) {
        if (n < 1 || n > bandCount)
            return refuse("band " + std::to_string(n) + " is not one of the block's bands 1.." +
                          std::to_string(bandCount));
        p.fitted[n - 1] = true;
    }
    if (!(options.maxBoostDb >= 0) || !(options.maxCutDb >= 0) || !std::isfinite(options.maxBoostDb) ||
        !std::isfinite(options.maxCutDb))
        return refuse("the boost and cut limits must be 0 dB or more");
    if (!std::isfinite(options.smoothing) || options.smoothing < 0)
        return refuse("the smoothing must be 0 or a fraction of an octave");
    if (!std::isfinite(options.tiltDbPerOctave)) return refuse("the tilt must be a number of dB per octave");
    const auto& table = FrequencyTable();
    const double lo = std::clamp(options.loHz, table.front(), table.back());
    const double hi = std::clamp(options.hiHz, table.front(), table.back());
    if (!(lo < hi)) return refuse("the fit range is empty");

    if (auto e = CheckCurve(measured)) return *e;
    if (target)
        if (auto e = CheckCurve(*target)) return *e;
    if (PointsWithin(measured, lo, hi) < 10)
        return MeasurementError{measured.name, 0, "fewer than 10 points from " + Hz(lo) + " to " + Hz(hi)};
    const GridSpan range = GridSpanOf(lo, hi);
    const GridSpan covered = MeasuredSpan(measured);
    p.span = {std::max(range.first, covered.first), std::min(range.last, covered.last)};
    if (p.span.Count() < 10)
        return MeasurementError{
            measured.name, 0,
            "covers fewer than 10 points of the response grid from " + Hz(lo) + " to " + Hz(hi)};

    p.measured = SmoothOctaves(ResampleToGrid(measured), options.smoothing, covered);
    p.target = target ? ResampleToGrid(*target) : TiltTarget(options.tiltDbPerOctave);
    const double shift = MeanOver(p.measured, p.span) - MeanOver(p.target, p.span);
    for (double& t : p.target) t += shift;

    p.maxBoostDb = std::min(options.maxBoostDb, 24.0);
    p.maxCutDb = std::min(options.maxCutDb, 24.0);
    p.combinedLimits = options.combinedLimits;
    constexpr double kSlack = 1e-6;  // 6 dB is exactly 30 steps; keep rounding from losing one
    p.gainCodeMin = std::max(0, static_cast<int>(std::ceil(kGainCodeFlat - options.maxCutDb * 5 - kSlack)));
    p.gainCodeMax =
        std::min(kGainCodeMax, static_cast<int>(std::floor(kGainCodeFlat + options.maxBoostDb * 5 + kSlack)));
    p.frequencyCodeMin = std::clamp(p.span.first - kFrequencyGridOffset, 0, kFrequencyCodeMax);
    p.frequencyCodeMax = std::clamp(p.span.last - kFrequencyGridOffset, 0, kFrequencyCodeMax);
    p.shelves = options.shelves;
    return p;
}

FitResult RunFit(const FitProblem& problem, const FitControl& control) {
    FitResult result;
    const auto given = BandsOf(problem.image, problem.block, problem.scene);
    const GridLevels before =
        BlockResponse(problem.image, problem.block, problem.scene).value_or(GridLevels{});
    result.rmsBefore = LevelFreeRms(problem.target, problem.measured, before, problem.span);

    CodeSearch search(problem, control);
    search.Run();
    result.cancelled = search.Cancelled();
    const std::vector<EqBand> codes = search.Bands();
    for (std::size_t i = 0; i < given.size(); ++i) {
        FittedBand b;
        b.number = static_cast<int>(i) + 1;
        b.codes = codes[i];
        // Read as the response model reads them: codes past a table's end take its last entry.
        b.frequencyHz = FrequencyTable()[std::min<int>(b.codes.FrequencyCode, kFrequencyCodeMax)];
        b.gainDb = b.codes.GainCode * 0.2 - 24;
        b.q = QTable()[std::min<int>(b.codes.QCode, kQCodeMax)];
        b.fitted = i < problem.fitted.size() && problem.fitted[i];
        b.used = b.codes.BandType != BandBypass && b.codes.BandType <= BandHighShelf &&
                 b.codes.GainCode != kGainCodeFlat;
        result.bands.push_back(b);
    }

    // The prediction is the block's response with these codes, computed as the graph computes it.
    ProgramImage after = problem.image;
    ApplyFit(result, after, problem.block, problem.scene);
    result.predicted = BlockResponse(after, problem.block, problem.scene).value_or(GridLevels{});
    result.rmsAfter = LevelFreeRms(problem.target, problem.measured, result.predicted, problem.span);
    return result;
}

bool ApplyFit(const FitResult& result, ProgramImage& image, int block, int scene) {
    const auto bands = BandsOf(image, block, scene);
    if (bands.empty() || bands.size() != result.bands.size()) return false;
    for (std::size_t i = 0; i < result.bands.size(); ++i)
        if (result.bands[i].fitted) bands[i] = result.bands[i].codes;
    return true;
}

}  // namespace pavo
