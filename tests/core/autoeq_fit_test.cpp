// The EQ fitter: measurements made from known band sets (the model's response, inverted, on a dense
// log grid, with and without noise and a high-pass in the block) are fitted back to within 0.5 dB
// where the set fits the constraints, and never beyond the limits; the fit's contract (flat unused
// bands, untouched fixed bands, a prediction equal to the model's, determinism, progress and
// cancelling); and the checks before a fit.
#include <gtest/gtest.h>

#include <complex>
#include <cstring>
#include <memory>
#include <numbers>
#include <random>

#include "autoeq/BlockRecords.h"
#include "autoeq/Fit.h"
#include "autoeq/ModelFit.h"
#include "eq/BlockResponse.h"
#include "model/DataConver.h"
#include "model/Model.h"

namespace pavo {
namespace {

// ---- Responses at any frequency, straight from the section designs ----

double SectionLevelAt(const Biquad& s, double f) {
    const std::complex<double> z1 = std::polar(1.0, -2 * std::numbers::pi * f / SAMPLE_RATE), z2 = z1 * z1;
    return 20 * std::log10(std::abs((s.b0 + s.b1 * z1 + s.b2 * z2) / (1.0 + s.a1 * z1 + s.a2 * z2)));
}

double BandLevelAt(const EqBand& b, double f) {
    if (b.BandType < BandPeak || b.BandType > BandHighShelf) return 0;
    return SectionLevelAt(
        DesignEqBand(b.BandType, FrequencyTable()[b.FrequencyCode], QTable()[b.QCode], b.GainCode * 0.2 - 24),
        f);
}

double FilterLevelAt(const FilterSetting& filter, double f) {
    const SlopeInfo slope = SlopeOf(filter.SlopeCode);
    const bool highPass = filter.Kind == FilterKindHighPass;
    const double fc = CrossoverTable()[filter.FrequencyCode];
    double level = 0;
    for (int s = 0; s < slope.order / 2; ++s)
        level +=
            SectionLevelAt(DesignCrossoverSection(highPass, fc, SectionQ(slope.family, slope.order, s)), f);
    if (slope.order == 1 || slope.order == 3) level += SectionLevelAt(DesignFirstOrder(highPass, fc), f);
    return level;
}

std::pair<FilterSetting*, FilterSetting*> FiltersOf(ProgramImage& image, int block, int scene) {
    if (block == BlockMic12) return {&image.Mic12.HighPass, &image.Mic12.LowPass};
    if (block == BlockMusicLeft) return {&image.MusicLeft.HighPass, &image.MusicLeft.LowPass};
    OutputChannel& c = image.Scenes[scene - 1].Channel[block - BlockOutputFirst];
    return {&c.HighPass, &c.LowPass};
}

// ---- Fixtures ----

EqBand Band(double hz, double db, double q, uint8_t type = BandPeak) {
    EqBand b{};
    SetBand(b, static_cast<uint16_t>(NearestFrequencyCode(hz)),
            static_cast<uint8_t>(std::lround(120 + 5 * db)), static_cast<uint8_t>(NearestQCode(q)), type);
    return b;
}

struct RecoveryCase {
    const char* what;
    int block = BlockOutputFirst + 5;
    std::vector<std::pair<int, EqBand>> set;  // band index from 0, codes
    std::vector<int> fixed = {};              // indices of bands the fit may not change
    uint8_t highPassSlope = 0;
    double highPassHz = 20;
    double noiseDb = 0;
    bool shelves = false;
    double maxBoostDb = 6, maxCutDb = 12;
    bool withinLimits = true;
};

constexpr int kScene = 2;

// The block holds the generating set and filters; the measurement is the inverse of its response
// (85 dB, 1/48 octave from 15 Hz to 22 kHz). Then the bands the fit may change are set flat again.
struct Recovery {
    std::unique_ptr<ProgramImage> image = std::make_unique<ProgramImage>();
    Measurement measured;
    FitOptions options;

    explicit Recovery(const RecoveryCase& c) {
        const auto bands = BandsOf(*image, c.block, kScene);
        for (std::size_t i = 0; i < bands.size(); ++i)
            SetBand(bands[i], static_cast<uint16_t>(60 + 14 * i), kGainCodeFlat, 10, BandPeak);
        for (const auto& [index, codes] : c.set) bands[index] = codes;
        const auto [highPass, lowPass] = FiltersOf(*image, c.block, kScene);
        SetFilter(*highPass, FilterKindHighPass, static_cast<uint16_t>(NearestCrossoverCode(c.highPassHz)),
                  c.highPassSlope);
        SetFilter(*lowPass, FilterKindLowPass, kFrequencyCodeMax, 0);

        std::mt19937 rng(7);
        std::uniform_real_distribution<double> noise(-c.noiseDb, c.noiseDb);
        measured.name = c.what;
        for (double f = 15; f <= 22000; f *= std::exp2(1.0 / 48)) {
            double level = 85 - FilterLevelAt(*highPass, f) - FilterLevelAt(*lowPass, f);
            for (const EqBand& b : bands) level -= BandLevelAt(b, f);
            measured.frequency.push_back(f);
            measured.level.push_back(level + (c.noiseDb > 0 ? noise(rng) : 0));
        }

        options.block = c.block;
        options.scene = kScene;
        options.shelves = c.shelves;
        options.maxBoostDb = c.maxBoostDb;
        options.maxCutDb = c.maxCutDb;
        for (std::size_t i = 0; i < bands.size(); ++i) {
            const bool fixed = std::find(c.fixed.begin(), c.fixed.end(), int(i)) != c.fixed.end();
            if (fixed) continue;
            bands[i].GainCode = kGainCodeFlat;
            if (!c.fixed.empty()) options.bands.push_back(static_cast<int>(i) + 1);
        }
    }

    FitProblem Problem() const {
        auto prepared = PrepareFit(*image, measured, nullptr, options);
        if (auto* e = std::get_if<MeasurementError>(&prepared)) ADD_FAILURE() << e->Text();
        return std::get<FitProblem>(std::move(prepared));
    }
};

// The summed response of the bands the fit could change, over the fit range: its lowest and highest.
std::pair<double, double> FittedRange(const FitProblem& p, const FitResult& r) {
    GridLevels sum{};
    for (const FittedBand& b : r.bands) {
        if (!b.fitted) continue;
        const GridLevels level = BandLevels(b.codes);
        for (int k = 0; k < kGridPoints; ++k) sum[k] += level[k];
    }
    const auto [lo, hi] = std::minmax_element(sum.begin() + p.span.first, sum.begin() + p.span.last + 1);
    return {*lo, *hi};
}

// What every fit must keep to, whatever its error.
void ExpectWithinTheRules(const FitProblem& p, const FitResult& r, const FitOptions& options,
                          const char* what) {
    const auto given = BandsOf(p.image, p.block, p.scene);
    ASSERT_EQ(r.bands.size(), given.size()) << what;
    // Each band, and the bands together: no stack of bands gets round the limits.
    const auto [lowest, highest] = FittedRange(p, r);
    EXPECT_GE(lowest, -options.maxCutDb - 1e-6) << what;
    EXPECT_LE(highest, options.maxBoostDb + 1e-6) << what;
    for (std::size_t i = 0; i < given.size(); ++i) {
        const FittedBand& b = r.bands[i];
        const EqBand& was = given[i];
        EXPECT_EQ(b.number, int(i) + 1);
        EXPECT_EQ(b.fitted, bool(p.fitted[i])) << what << " band " << i + 1;
        if (!b.fitted) {
            EXPECT_EQ(std::memcmp(&b.codes, &was, sizeof(EqBand)), 0)
                << what << " fixed band " << i + 1 << " changed";
            continue;
        }
        EXPECT_GE(b.gainDb, -options.maxCutDb - 1e-9) << what << " band " << i + 1;
        EXPECT_LE(b.gainDb, options.maxBoostDb + 1e-9) << what << " band " << i + 1;
        if (b.used) {
            EXPECT_TRUE(
                b.codes.BandType == BandPeak ||
                (options.shelves && (b.codes.BandType == BandLowShelf || b.codes.BandType == BandHighShelf)))
                << what << " band " << i + 1;
            EXPECT_GE(b.frequencyHz, options.loHz) << what;
            EXPECT_LE(b.frequencyHz, options.hiHz) << what;
        } else {
            // Left flat, everything else as it was.
            EXPECT_EQ(b.codes.GainCode, kGainCodeFlat) << what;
            EXPECT_EQ(b.codes.FrequencyCode, was.FrequencyCode) << what;
            EXPECT_EQ(b.codes.QCode, was.QCode) << what;
            EXPECT_EQ(b.codes.BandType, was.BandType) << what;
        }
        EXPECT_EQ(b.frequencyHz, FrequencyTable()[b.codes.FrequencyCode]);
        EXPECT_EQ(b.q, QTable()[b.codes.QCode]);
    }
    // The prediction is the model's response of the block with the fitted codes, bit for bit.
    ProgramImage applied = p.image;
    ASSERT_TRUE(ApplyFit(r, applied, p.block, p.scene));
    EXPECT_EQ(*BlockResponse(applied, p.block, p.scene), r.predicted) << what;
    EXPECT_EQ(LevelFreeRms(p.target, p.measured, r.predicted, p.span), r.rmsAfter);
}

// ---- The recovery table ----

const std::vector<RecoveryCase>& Cases() {
    static const std::vector<RecoveryCase> cases = [] {
        std::vector<RecoveryCase> c;
        const std::vector<std::pair<int, EqBand>> four = {
            {0, Band(80, -8, 4)}, {1, Band(250, 4, 2)}, {2, Band(1200, -5, 1.4)}, {3, Band(6000, 3, 3)}};
        std::vector<std::pair<int, EqBand>> six = four;
        six.push_back({4, Band(3000, -6, 6)});
        six.push_back({5, Band(12000, 5, 1)});
        c.push_back({.what = "four peaks, output block", .set = four});
        c.push_back({.what = "four peaks with noise", .set = four, .noiseDb = 0.3});
        c.push_back({.what = "six peaks and a 24 dB high-pass at 60 Hz",
                     .set = six,
                     .highPassSlope = 9,
                     .highPassHz = 60});
        c.push_back({.what = "six peaks, high-pass and noise",
                     .set = six,
                     .highPassSlope = 9,
                     .highPassHz = 60,
                     .noiseDb = 0.3});
        c.push_back({.what = "microphone block, five of twenty bands free, two fixed bands count",
                     .block = BlockMic12,
                     .set = {{0, Band(150, 3, 1)},
                             {1, Band(4000, -4, 2)},
                             {2, Band(90, -7, 3)},
                             {6, Band(400, 5, 2.5)},
                             {7, Band(700, -4, 1)},
                             {11, Band(2200, -9, 5)},
                             {14, Band(9000, 4, 2)}},
                     .fixed = {0, 1, 3, 4, 5, 8, 9, 10, 12, 13, 15, 16, 17, 18, 19},
                     .highPassSlope = 3,
                     .highPassHz = 80,
                     .noiseDb = 0.3});
        c.push_back({.what = "music block, shelves allowed",
                     .block = BlockMusicLeft,
                     .set = {{0, Band(100, 5, 0.71, BandLowShelf)},
                             {1, Band(8000, -6, 0.71, BandHighShelf)},
                             {2, Band(500, -4, 2)},
                             {3, Band(2500, 3, 3)}},
                     .shelves = true});
        c.push_back({.what = "narrower limits, a cut right at the limit",
                     .set = {{0, Band(200, -5, 2)}, {1, Band(900, 2.4, 1.5)}, {2, Band(5000, -6, 3)}},
                     .maxBoostDb = 3,
                     .maxCutDb = 6});
        c.push_back({.what = "a set beyond the limits",
                     .set = {{0, Band(100, -18, 2)}, {1, Band(3000, 10, 1.5)}},
                     .withinLimits = false});
        return c;
    }();
    return cases;
}

TEST(AutoEqFit, RecoversKnownBandSetsWithinTheLimits) {
    for (const RecoveryCase& c : Cases()) {
        const Recovery recovery(c);
        const FitProblem p = recovery.Problem();
        const FitResult r = RunFit(p);
        ExpectWithinTheRules(p, r, recovery.options, c.what);
        EXPECT_GT(r.rmsBefore, 1.5) << c.what;  // the case is not trivial
        EXPECT_FALSE(r.cancelled);
        if (c.withinLimits) {
            EXPECT_LT(r.rmsAfter, 0.5) << c.what << " (before: " << r.rmsBefore << " dB)";
        } else {
            // The limits bind: what is left is large, and the fit goes as far as they allow.
            EXPECT_GT(r.rmsAfter, 0.5) << c.what;
            EXPECT_LT(r.rmsAfter, 0.6 * r.rmsBefore) << c.what;
            const auto [lowest, highest] = FittedRange(p, r);
            EXPECT_LT(lowest, -recovery.options.maxCutDb + 0.2) << c.what;
            EXPECT_GT(highest, recovery.options.maxBoostDb - 0.2) << c.what;
        }
    }
}

TEST(AutoEqFit, SameProblemGivesTheSameCodes) {
    const Recovery recovery(Cases()[3]);
    const FitProblem p = recovery.Problem();
    const FitResult a = RunFit(p), b = RunFit(p);
    for (std::size_t i = 0; i < a.bands.size(); ++i)
        EXPECT_EQ(std::memcmp(&a.bands[i].codes, &b.bands[i].codes, sizeof(EqBand)), 0) << i;
    EXPECT_EQ(a.rmsAfter, b.rmsAfter);
}

TEST(AutoEqFit, NothingToCorrectLeavesEveryBandFlatAndUnused) {
    auto image = std::make_unique<ProgramImage>();
    const int block = BlockOutputFirst + 2;
    const auto bands = BandsOf(*image, block, 1);
    for (std::size_t i = 0; i < bands.size(); ++i)
        SetBand(bands[i], static_cast<uint16_t>(30 + 30 * i), 150, 20, i % 2 ? BandPeak : BandBypass);
    bands[3].GainCode = 90;
    Measurement flat{"flat", {}, {}};
    for (double f = 20; f < 20000; f *= 1.1) {
        flat.frequency.push_back(f);
        flat.level.push_back(80);
    }
    FitOptions options;
    options.block = block;
    const FitProblem p = std::get<FitProblem>(PrepareFit(*image, flat, nullptr, options));
    const FitResult r = RunFit(p);
    ExpectWithinTheRules(p, r, options, "flat");
    for (const FittedBand& b : r.bands) EXPECT_FALSE(b.used) << b.number;
    EXPECT_GT(r.rmsBefore, 1);  // the bands as given were not flat
    EXPECT_NEAR(r.rmsAfter, 0, 1e-9);
}

TEST(AutoEqFit, ProgressRisesToTheEndAndCancellingStopsEarly) {
    const Recovery recovery(Cases()[0]);
    const FitProblem p = recovery.Problem();
    std::vector<double> seen;
    FitControl control;
    control.progress = [&](double f) { seen.push_back(f); };
    const FitResult full = RunFit(p, control);
    ASSERT_GE(seen.size(), 3u);
    EXPECT_EQ(seen.front(), 0);
    EXPECT_EQ(seen.back(), 1);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_FALSE(full.cancelled);

    std::atomic<bool> cancel{false};
    std::size_t calls = 0;
    control.cancel = &cancel;
    control.progress = [&](double f) {
        ++calls;
        if (f > 0) cancel = true;  // as soon as the first band is in
    };
    const FitResult stopped = RunFit(p, control);
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_LT(calls, seen.size());
    ExpectWithinTheRules(p, stopped, recovery.options, "cancelled");
}

// ---- Checks before a fit ----

TEST(AutoEqFit, TargetFollowsTheMeasuredLevelOverTheRange) {
    const Recovery recovery(Cases()[0]);
    FitOptions options = recovery.options;
    options.tiltDbPerOctave = -1;
    const auto tilted =
        std::get<FitProblem>(PrepareFit(*recovery.image, recovery.measured, nullptr, options));
    EXPECT_NEAR(MeanOver(tilted.target, tilted.span), MeanOver(tilted.measured, tilted.span), 1e-9);
    const double shift = tilted.target[239];  // 1 kHz: the tilt itself is 0 there
    EXPECT_NEAR(tilted.target[239 + 36] - shift, -1, 1e-12);

    const Measurement file{"target.txt", {10, 100, 30000}, {6, 0, 0}};
    const auto shaped = std::get<FitProblem>(PrepareFit(*recovery.image, recovery.measured, &file, options));
    EXPECT_NEAR(MeanOver(shaped.target, shaped.span), MeanOver(shaped.measured, shaped.span), 1e-9);
    EXPECT_NEAR(shaped.target[35 + 150] - shaped.target[35 + 300], 0, 1e-9);  // flat above 100 Hz
    EXPECT_NEAR(shaped.target[NearestFrequencyCode(40) + 35] - shaped.target[35 + 300],
                6 * std::log10(100 / 40.0), 0.05);
}

TEST(AutoEqFit, RefusesWhatCannotBeFitted) {
    const Recovery recovery(Cases()[0]);
    const Measurement& good = recovery.measured;
    Measurement sparse{"sparse.txt", {}, {}};
    for (double f = 50; f < 15000; f *= 2) {
        sparse.frequency.push_back(f);
        sparse.level.push_back(0);
    }
    Measurement narrow{"narrow.txt", {}, {}};
    for (int i = 0; i < 12; ++i) {
        narrow.frequency.push_back(1000 + i);
        narrow.level.push_back(0);
    }
    Measurement broken = good;
    broken.level[40] = std::nan("");
    Measurement backwards = good;
    std::swap(backwards.frequency[3], backwards.frequency[4]);

    struct Case {
        const char* what;
        FitOptions options;
        const Measurement* measured;
        const Measurement* target;
        std::string file, reason;
    };
    auto with = [&](auto change) {
        FitOptions o = recovery.options;
        change(o);
        return o;
    };
    const Case cases[] = {
        {"dynamic EQ", with([](FitOptions& o) { o.block = BlockMusicLeftDyn; }), &good, nullptr, "",
         "dynamic EQ blocks are not fitted"},
        {"no such block", with([](FitOptions& o) { o.block = 18; }), &good, nullptr, "", "no EQ block 18"},
        {"no such scene", with([](FitOptions& o) { o.scene = 4; }), &good, nullptr, "", "in scene 4"},
        {"no band 11", with([](FitOptions& o) {
             o.bands = {1, 11};
         }),
         &good, nullptr, "", "band 11 is not one of the block's bands 1..10"},
        {"negative boost", with([](FitOptions& o) { o.maxBoostDb = -1; }), &good, nullptr, "", "limits"},
        {"empty range", with([](FitOptions& o) { o.loHz = 25000; }), &good, nullptr, "",
         "fit range is empty"},
        {"bad smoothing", with([](FitOptions& o) { o.smoothing = -0.5; }), &good, nullptr, "", "smoothing"},
        {"few points", recovery.options, &sparse, nullptr, "sparse.txt",
         "fewer than 10 points from 40 Hz to 16000 Hz"},
        {"little grid", recovery.options, &narrow, nullptr, "narrow.txt",
         "fewer than 10 points of the response grid"},
        {"not finite", recovery.options, &broken, nullptr, good.name, "non-finite value at point 41"},
        {"target backwards", recovery.options, &good, &backwards, good.name, "do not increase at point 5"},
    };
    for (const Case& c : cases) {
        const auto prepared = PrepareFit(*recovery.image, *c.measured, c.target, c.options);
        const auto* error = std::get_if<MeasurementError>(&prepared);
        ASSERT_NE(error, nullptr) << c.what;
        EXPECT_EQ(error->file, c.file) << c.what;
        EXPECT_EQ(error->line, 0) << c.what;
        EXPECT_NE(error->reason.find(c.reason), std::string::npos) << c.what << ": " << error->reason;
    }
}

// ---- Into a unit's model ----

// Only the fitted bands of that block in that scene change, in the current image alone (what the unit
// was told stays for the scanner to compare), and the band sets learn of it; a result that does not
// belong to the block writes nothing.
TEST(AutoEqFit, WritingIntoAModelChangesOnlyTheFittedBandsOfItsBlock) {
    RecoveryCase c = Cases()[0];
    c.fixed = {1, 4};  // bands 2 and 5 keep their codes
    const Recovery recovery(c);
    const FitResult r = RunFit(recovery.Problem());

    auto model = std::make_unique<Model>();
    model->current = *recovery.image;
    model->lastSent = *recovery.image;
    const ProgramImage before = model->current;
    const uint64_t version = model->RecordsVersion();
    ASSERT_TRUE(WriteFitToModel(*model, r, c.block, kScene));
    EXPECT_GT(model->RecordsVersion(), version);
    EXPECT_TRUE(SameRecord(model->lastSent, before));

    ProgramImage expected = before;
    const auto bands = BandsOf(expected, c.block, kScene);
    int changed = 0;
    for (const FittedBand& b : r.bands) {
        if (!b.fitted) continue;
        changed += std::memcmp(&bands[b.number - 1], &b.codes, sizeof(EqBand)) != 0;
        bands[b.number - 1] = b.codes;
    }
    EXPECT_GE(changed, 3);
    EXPECT_TRUE(SameRecord(model->current, expected));

    // Another block's bands, another scene of the same size, a block without bands: nothing written.
    model->current = before;
    const uint64_t again = model->RecordsVersion();
    EXPECT_FALSE(WriteFitToModel(*model, r, BlockMusicLeft, 1));  // fifteen bands, not ten
    EXPECT_FALSE(WriteFitToModel(*model, r, BlockMusicLeftDyn, 1));
    EXPECT_FALSE(WriteFitToModel(*model, r, c.block, 4));
    EXPECT_TRUE(SameRecord(model->current, before));
    EXPECT_EQ(model->RecordsVersion(), again);
}

}  // namespace
}  // namespace pavo
