// The response, geometry and drags of one EQ band or crossover filter, checked against an
// evaluation written here from the textbook formulas with std::complex.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

#include "eq/BandInfo.h"
#include "eq/Filter.h"
#include "eq_plot.h"
#include "model/CodeTables.h"
#include "model/DataConver.h"

namespace pavo {
namespace {

using cplx = std::complex<double>;
constexpr double kPi = std::numbers::pi;
constexpr double kFs = 192000;

// ---- Independent evaluation ----

struct Section {  // b0 + b1 z^-1 + b2 z^-2 over a0 + a1 z^-1 + a2 z^-2
    double b0, b1, b2, a0, a1, a2;
    Section Normalised() const { return {b0 / a0, b1 / a0, b2 / a0, 1, a1 / a0, a2 / a0}; }
};

// The grid frequency cut to tenths of a hertz, as the unit's display does.
double GridHz(int k) {
    return std::trunc(10 * ResponseGrid()[k]) / 10;
}

cplx At(const Section& s, double hz) {
    const Section n = s.Normalised();
    const cplx z1 = std::polar(1.0, -2 * kPi * hz / kFs);
    return (n.b0 + n.b1 * z1 + n.b2 * z1 * z1) / (1.0 + n.a1 * z1 + n.a2 * z1 * z1);
}

Section EqSection(int type, double f0, double q, double gainDb) {
    const double w0 = 2 * kPi * f0 / kFs, A = std::pow(10, gainDb / 40), al = std::sin(w0) / (2 * q);
    const double c = std::cos(w0), r = 2 * std::sqrt(A) * al;
    switch (type) {
        case 1:
            return {1 + al * A, -2 * c, 1 - al * A, 1 + al / A, -2 * c, 1 - al / A};
        case 2:
            return {A * ((A + 1) - (A - 1) * c + r), 2 * A * ((A - 1) - (A + 1) * c),
                    A * ((A + 1) - (A - 1) * c - r), (A + 1) + (A - 1) * c + r,
                    -2 * ((A - 1) + (A + 1) * c),    (A + 1) + (A - 1) * c - r};
        default:
            return {A * ((A + 1) + (A - 1) * c + r), -2 * A * ((A - 1) + (A + 1) * c),
                    A * ((A + 1) + (A - 1) * c - r), (A + 1) - (A - 1) * c + r,
                    2 * ((A - 1) - (A + 1) * c),     (A + 1) - (A - 1) * c - r};
    }
}

// Crossover slopes: biquad section Qs per slope code, and whether a first-order section is added.
struct Slope {
    std::vector<double> qs;
    bool firstOrder;
};
const Slope kSlopes[13] = {
    {{}, false},
    {{}, true},
    {{0.5773}, false},
    {{0.7071}, false},
    {{0.5}, false},
    {{0.691}, true},
    {{1.0}, true},
    {{0.5219, 0.8055}, false},
    {{0.5412, 1.3065}, false},
    {{0.71, 0.71}, false},
    {{0.5103, 0.6112, 1.0234}, false},
    {{0.5177, 0.7071, 1.932}, false},
    {{0.5, 1.0, 1.0}, false},
};

double CascadeDb(bool highPass, double fc, int slope, double hz) {
    double db = 0;
    const double w0 = 2 * kPi * fc / kFs, c = std::cos(w0);
    for (double q : kSlopes[slope].qs) {
        const double al = std::sin(w0) / (2 * q);
        const Section s = highPass ? Section{(1 + c) / 2, -(1 + c), (1 + c) / 2, 1 + al, -2 * c, 1 - al}
                                   : Section{(1 - c) / 2, 1 - c, (1 - c) / 2, 1 + al, -2 * c, 1 - al};
        db += 20 * std::log10(std::abs(At(s, hz)));
    }
    if (kSlopes[slope].firstOrder) {
        const double w = 2 * kPi * fc, K = w / std::tan(kPi * fc / kFs);
        const Section s = highPass ? Section{K, -K, 0, K + w, w - K, 0} : Section{w, w, 0, K + w, w - K, 0};
        db += 20 * std::log10(std::abs(At(s, hz)));
    }
    return db;
}

// ---- Fixtures ----

EqBand MakeBand(int freqCode, int gainCode, int qCode, int type) {
    EqBand b{};
    SetBand(b, static_cast<uint16_t>(freqCode), static_cast<uint8_t>(gainCode), static_cast<uint8_t>(qCode),
            static_cast<uint8_t>(type));
    return b;
}

using testing::kPlot;

struct BandFixture {
    EqBand record;
    CFilter filter;
    explicit BandFixture(EqBand r, PlotRect plot = kPlot) : record(r) {
        filter.SetPlotSize(plot);
        filter.AttachBand(record);
    }
};

struct FilterFixture {
    FilterSetting record{};
    CFilter filter;
    FilterFixture(bool highPass, int freqCode, int slope, PlotRect plot = kPlot) {
        SetFilter(record, highPass ? FilterKindHighPass : FilterKindLowPass, static_cast<uint16_t>(freqCode),
                  static_cast<uint8_t>(slope));
        filter.SetType(highPass ? FilterType::HighPass : FilterType::LowPass);
        filter.SetPlotSize(plot);
        filter.AttachFilterSetting(record);
    }
};

// ---- Responses ----

TEST(FilterResponse, BandTypesMatchTheTextbookBiquadAtEveryGridPoint) {
    struct Case {
        int freqCode, gainCode, qCode;
    } cases[] = {{204, 180, 16}, {0, 0, 0}, {361, 240, 100}, {100, 60, 50}, {300, 119, 10}, {30, 200, 3}};
    for (int type = 1; type <= 3; ++type) {
        for (const Case& c : cases) {
            BandFixture f(MakeBand(c.freqCode, c.gainCode, c.qCode, type));
            const Section s =
                EqSection(type, FrequencyTable()[c.freqCode], QTable()[c.qCode], c.gainCode * 0.2 - 24);
            for (int k = 0; k < kGridPoints; ++k) {
                const cplx h = At(s, GridHz(k));
                ASSERT_NEAR(f.filter.LevelDb()[k], 20 * std::log10(std::abs(h)), 1e-6)
                    << "type " << type << " code " << c.freqCode << " point " << k;
                ASSERT_NEAR(std::abs(f.filter.Response()[k] - h), 0, 1e-7 * std::abs(h)) << k;
            }
        }
    }
}

TEST(FilterResponse, EverySlopeCodeMatchesItsCascadeAtEveryGridPoint) {
    for (bool highPass : {true, false}) {
        for (int slope = 0; slope <= 12; ++slope) {
            for (int freqCode : {0, 82, 204, 361}) {
                FilterFixture f(highPass, freqCode, slope);
                const double fc = CrossoverTable()[freqCode];
                for (int k = 0; k < kGridPoints; ++k)
                    ASSERT_NEAR(f.filter.LevelDb()[k], CascadeDb(highPass, fc, slope, GridHz(k)), 1e-6)
                        << (highPass ? "HP" : "LP") << " slope " << slope << " code " << freqCode << " point "
                        << k;
            }
        }
    }
}

TEST(FilterResponse, TextbookCases) {
    const int k1000 = 239, k10 = 0, k32000 = 419;
    {  // a peak of +12 dB at 1 kHz, Q 1.0, is +12 dB there and flat far away
        BandFixture f(MakeBand(204, 180, 16, BandPeak));
        EXPECT_NEAR(f.filter.LevelDb()[k1000], 12.0, 1e-9);
        EXPECT_NEAR(f.filter.LevelDb()[k10], 0.0, 0.01);
        EXPECT_NEAR(f.filter.LevelDb()[k32000], 0.0, 0.1);
    }
    // Gain code 120 is flat for every biquad type, whatever the frequency and Q.
    for (int type = 1; type <= 3; ++type)
        for (int freqCode : {0, 204, 361})
            for (int qCode : {0, 10, 100}) {
                BandFixture f(MakeBand(freqCode, 120, qCode, type));
                for (int k = 0; k < kGridPoints; ++k) ASSERT_NEAR(f.filter.LevelDb()[k], 0.0, 1e-12) << type;
            }
    {  // bypass is flat at any gain, but its handle sits at the band's gain
        BandFixture bypass(MakeBand(204, 200, 10, BandBypass));
        BandFixture peak(MakeBand(204, 200, 10, BandPeak));
        for (double l : bypass.filter.LevelDb()) ASSERT_EQ(l, 0.0);
        EXPECT_EQ(bypass.filter.HandleRect(), peak.filter.HandleRect());
        EXPECT_NE(bypass.filter.HandleRect().top, 60 - 8 + 10);  // not on the 0 dB line
    }
    {  // a "ByPass" slope is flat
        FilterFixture f(true, 204, 0);
        for (double l : f.filter.LevelDb()) ASSERT_EQ(l, 0.0);
    }
    {  // 24 dB Linkwitz-Riley at 1 kHz: two sections of Q 0.71, about -6 dB at the corner
        FilterFixture f(true, 204, 9);
        EXPECT_NEAR(f.filter.LevelDb()[k1000], 40 * std::log10(0.71), 1e-6);
        EXPECT_NEAR(f.filter.LevelDb()[k1000], -6, 0.1);
    }
    {  // 18 dB Bessel: one biquad of Q 0.691 and a first-order section (-3 dB at the corner)
        FilterFixture f(false, 204, 5);
        EXPECT_NEAR(f.filter.LevelDb()[k1000], 20 * std::log10(0.691) - 10 * std::log10(2.0), 1e-3);
    }
}

TEST(FilterResponse, CodesOutsideTheTablesNeverReadPastThem) {
    {  // a frequency code from a damaged preset shows at the top of the table
        BandFixture f(MakeBand(999, 150, 255, BandPeak));
        EXPECT_EQ(f.filter.Frequency(), 20600);
        EXPECT_EQ(f.record.QCode, 100);  // clamped as SetQCode does
        EXPECT_GT(f.filter.LevelDb()[396], 5.9);
    }
    {  // a slope code above 12 is flat
        FilterFixture f(true, 204, 13);
        for (double l : f.filter.LevelDb()) ASSERT_EQ(l, 0.0);
    }
    {  // an unknown type byte keeps the levels it had
        BandFixture f(MakeBand(204, 180, 16, BandPeak));
        const GridLevels before = f.filter.LevelDb();
        f.record.BandType = 9;
        f.filter.AttachBand(f.record);
        EXPECT_EQ(f.filter.LevelDb(), before);
        EXPECT_EQ(BandInfoText(f.filter), "");
    }
}

TEST(FilterResponse, LevelsOfAnyPowerMatchTheLibraryLogarithm) {
    const double values[] = {1.0,  2.0,     0.5,          std::sqrt(2.0), std::nextafter(std::sqrt(2.0), 3.0),
                             1e-3, 7.5e-41, 3.3e12,       DBL_MIN,        DBL_MAX,
                             0.1,  1e-300,  1.0000000001, 0.9999999999,   123456.789};
    GridLevels power, level;
    for (int k = 0; k < kGridPoints; ++k) {
        const double v = values[k % std::size(values)];
        power[k] = v == DBL_MIN || v == DBL_MAX ? v : v * (1 + k * 1e-3);
    }
    PowerToDb(power, level);
    for (int k = 0; k < kGridPoints; ++k)
        ASSERT_NEAR(level[k], 10 * std::log10(power[k]), 1e-12 * std::max(1.0, std::abs(level[k])))
            << power[k];
    // Zero, infinity and subnormal values are left to the library.
    power[7] = 0;
    power[8] = INFINITY;
    power[9] = DBL_MIN / 8;
    PowerToDb(power, level);
    EXPECT_EQ(level[7], -INFINITY);
    EXPECT_EQ(level[8], INFINITY);
    EXPECT_NEAR(level[9], 10 * std::log10(DBL_MIN / 8), 1e-9);
}

TEST(FilterResponse, AStretchOfTheGridEqualsTheSamePointsOfTheWholeGrid) {
    const Biquad peak = DesignEqBand(1, 250, 2.0, -7.4);
    GridLevels whole, part;
    whole.fill(1.0);
    AccumulateSectionPower(peak, whole);
    PowerToDb(whole, whole);
    for (const auto& [first, last] : {std::pair{0, kGridPoints - 1}, {35, 396}, {36, 395}, {101, 101}}) {
        part.fill(-1.0);  // untouched outside the stretch (widened to whole pairs)
        for (int k = first & ~1; k <= (last | 1); ++k) part[k] = 1.0;
        AccumulateSectionPower(peak, part, first, last);
        PowerToDb(part, part, first, last);
        for (int k = 0; k < kGridPoints; ++k) {
            if (k >= (first & ~1) && k <= (last | 1))
                ASSERT_EQ(part[k], whole[k]) << first << ".." << last << " point " << k;
            else
                ASSERT_EQ(part[k], -1.0) << first << ".." << last << " point " << k;
        }
    }
}

// ---- Setters ----

TEST(FilterSetters, WriteTheRecordAndRecalculate) {
    struct Case {
        const char* name;
        void (*edit)(CFilter&);
        EqBand expected;
    } cases[] = {
        {"frequency", [](CFilter& f) { f.SetFrequencyCode(300); }, MakeBand(300, 150, 10, BandPeak)},
        {"gain", [](CFilter& f) { f.SetGainCode(90); }, MakeBand(204, 90, 10, BandPeak)},
        {"q", [](CFilter& f) { f.SetQCode(40); }, MakeBand(204, 150, 40, BandPeak)},
        {"q clamped", [](CFilter& f) { f.SetQCode(250); }, MakeBand(204, 150, 100, BandPeak)},
        {"q clamped low", [](CFilter& f) { f.SetQCode(-3); }, MakeBand(204, 150, 0, BandPeak)},
        {"type", [](CFilter& f) { f.SetType(FilterType::HighShelf); }, MakeBand(204, 150, 10, BandHighShelf)},
    };
    for (const Case& c : cases) {
        BandFixture f(MakeBand(204, 150, 10, BandPeak));
        c.edit(f.filter);
        EXPECT_TRUE(SameRecord(f.record, c.expected)) << c.name;
        BandFixture fresh(c.expected);  // what a filter bound to the result shows
        EXPECT_EQ(f.filter.LevelDb(), fresh.filter.LevelDb()) << c.name;
        EXPECT_EQ(f.filter.HandleRect(), fresh.filter.HandleRect()) << c.name;
    }

    FilterFixture hp(true, 204, 0);
    hp.filter.SetSlopeCode(8);
    hp.filter.SetFilterFrequencyCode(100);
    EXPECT_EQ(hp.record.SlopeCode, 8);
    EXPECT_EQ(hp.record.FrequencyCode.get(), 100);
    EXPECT_EQ(hp.record.Kind, FilterKindHighPass);
    EXPECT_EQ(hp.filter.SlopeCode(), 8);
    EXPECT_EQ(hp.filter.GetFrequencyCode(), 100);
    FilterFixture fresh(true, 100, 8);
    EXPECT_EQ(hp.filter.LevelDb(), fresh.filter.LevelDb());
    EXPECT_EQ(hp.filter.GetLabel(), "H");
}

// ---- Geometry ----

TEST(FilterGeometry, OutlineRunsFromTheZeroLineAlongTheResponse) {
    BandFixture f(MakeBand(204, 180, 16, BandPeak));
    const auto& o = f.filter.Outline();
    EXPECT_EQ(o[0], (PlotPoint{35, 70}));
    EXPECT_EQ(o[kOutlinePoints - 1], (PlotPoint{735, 70}));
    for (int k = 0; k < kGridPoints; ++k) {
        const int x = static_cast<int>(FrequencyToX(ResponseGrid()[k], 700)) + 35;
        ASSERT_EQ(o[k + 1].x, std::min(x, 735)) << k;
        ASSERT_EQ(o[k + 1].y, static_cast<int>(LevelToY(f.filter.LevelDb()[k], 180)) + 10) << k;
    }
    EXPECT_EQ(o[kGridPoints].x, 735);  // grid points above 30 kHz are held at the right edge
    EXPECT_EQ(o[240].y, 10);           // +12 dB at 1 kHz touches the top
}

TEST(FilterGeometry, HandleAndTextStayInsideThePlot) {
    // Plot 700 x 180: 0 dB at y 60, 1 kHz at x 402, 19.7 Hz at x 59, 20.6 kHz at x 667.
    struct Case {
        const char* name;
        EqBand band;
        PlotRect plot;
        PlotRect handle, text;
    } cases[] = {
        {"centre, 0 dB", MakeBand(204, 120, 10, BandPeak), kPlot, {429, 62, 445, 78}, {329, 97, 545, 163}},
        {"left edge", MakeBand(0, 120, 10, BandPeak), kPlot, {86, 62, 102, 78}, {35, 97, 235, 163}},
        {"right edge", MakeBand(361, 120, 10, BandPeak), kPlot, {694, 62, 710, 78}, {535, 97, 735, 163}},
        {"+12 dB at the top",
         MakeBand(204, 180, 10, BandPeak),
         kPlot,
         {429, 10, 445, 26},
         {329, 45, 545, 111}},
        {"+24 dB held at the top",
         MakeBand(204, 240, 10, BandPeak),
         kPlot,
         {429, 10, 445, 26},
         {329, 45, 545, 111}},
        {"-12 dB cut, text around",
         MakeBand(204, 60, 10, BandPeak),
         kPlot,
         {429, 122, 445, 138},
         {329, 72, 545, 172}},
        {"-24 dB held at the bottom",
         MakeBand(204, 0, 10, BandLowShelf),
         kPlot,
         {429, 174, 445, 190},
         {329, 124, 545, 224}},
        {"bypass cut, text below",
         MakeBand(204, 60, 10, BandBypass),
         kPlot,
         {429, 122, 445, 138},
         {329, 157, 545, 223}},
        // A narrow plot: the handle of the top band is pulled back inside the right edge.
        {"narrow plot",
         MakeBand(361, 120, 10, BandPeak),
         {35, 10, 135, 82},
         {119, 26, 135, 42},
         {-65, 61, 135, 127}},
    };
    for (const Case& c : cases) {
        BandFixture f(c.band, c.plot);
        EXPECT_EQ(f.filter.HandleRect(), c.handle) << c.name;
        EXPECT_EQ(f.filter.TextRect(), c.text) << c.name;
    }

    struct FilterCase {
        const char* name;
        bool highPass;
        int freqCode;
        PlotRect handle, text;
    } filters[] = {
        {"high-pass at the left, +2 dB", true, 0, {86, 60, 102, 76}, {86, 75, 152, 101}},
        {"low-pass at the right, 0 dB", false, 361, {694, 70, 710, 86}, {669, 55, 735, 106}},
        {"low-pass in the middle", false, 204, {429, 70, 445, 86}, {429, 55, 495, 106}},
    };
    for (const FilterCase& c : filters) {
        FilterFixture f(c.highPass, c.freqCode, 8);
        EXPECT_EQ(f.filter.HandleRect(), c.handle) << c.name;
        EXPECT_EQ(f.filter.TextRect(), c.text) << c.name;
    }
}

// The graph's line beside the highlighted handle, from the member's record: type, frequency (one decimal
// below 101 Hz), Q (three decimals for shelves) and gain; a filter shows its frequency alone.
TEST(BandInfo, TextOfEachKindFromItsRecord) {
    struct Case {
        EqBand band;
        const char* text;
    } cases[] = {
        {MakeBand(204, 105, 10, BandPeak), "PEQ  1000Hz 0.71Q -3.0dB"},
        {MakeBand(84, 120, 16, BandPeak), "PEQ  99.0Hz 1.00Q 0.0dB"},
        {MakeBand(85, 180, 16, BandPeak), "PEQ  101Hz 1.00Q 12.0dB"},
        {MakeBand(0, 0, 0, BandBypass), "BY  19.7Hz 0.40Q -24.0dB"},
        {MakeBand(85, 150, 10, BandLowShelf), "LS  101Hz 0.710Q 6.0dB"},
        {MakeBand(84, 121, 100, BandHighShelf), "HS  99.0Hz 128.000Q 0.2dB"},
        {MakeBand(361, 240, 10, BandHighShelf), "HS  20600Hz 0.710Q 24.0dB"},
    };
    for (const Case& c : cases) {
        BandFixture f(c.band);
        EXPECT_EQ(BandInfoText(f.filter), c.text);
    }
    struct FilterCase {
        bool highPass;
        int freqCode;
        const char* text;
    } filters[] = {
        {true, 82, "95Hz "}, {true, 81, "94.0Hz "}, {false, 0, "19.7Hz "}, {false, 361, "20600Hz "}};
    for (const FilterCase& c : filters) {
        FilterFixture f(c.highPass, c.freqCode, 3);
        EXPECT_EQ(BandInfoText(f.filter), c.text);
    }
    {  // Q and gain as the record holds them now, also written there without the member's setters
        BandFixture f(MakeBand(204, 105, 10, BandPeak));
        f.record.GainCode = 150;
        f.record.QCode = 16;
        EXPECT_EQ(BandInfoText(f.filter), "PEQ  1000Hz 1.00Q 6.0dB");
    }
}

// ---- Drags ----

struct RecordingSlider : GainSliderLink {
    std::vector<int> positions;
    void SetInvertedPos(int gainCode) override { positions.push_back(gainCode); }
};

TEST(FilterDrag, BandMovesAreClampedToThePlotAndTheGainRange) {
    struct Case {
        const char* name;
        int dx, dy;  // mouse movement from the handle centre
        bool narrow;
        int freqCode, gainCode;
    } cases[] = {
        {"far above the plot", 0, -500, false, 204, 180},
        {"far below the plot", 0, 500, false, 204, 0},
        {"below, narrow range", 0, 500, true, 204, 60},
        {"up 30 px: +6 dB", 0, -30, false, 204, 150},
        {"far left", -2000, 0, false, 0, 120},
        {"far right", 2000, 0, false, 361, 120},
        {"right 100 px", 100, 0, false, NearestFrequencyCode(XToFrequency(502, 700)), 120},
    };
    for (const Case& c : cases) {
        BandFixture f(MakeBand(204, 120, 10, BandPeak));
        RecordingSlider slider;
        f.filter.SetLinkedSlider(&slider);
        f.filter.SetNarrowGainRange(c.narrow);
        const PlotPoint centre = f.filter.HandleRect().Centre();
        EXPECT_TRUE(f.filter.DragBand({centre.x + c.dx, centre.y + c.dy}, f.filter.GrabOffset(centre)))
            << c.name;
        EXPECT_EQ(f.record.FrequencyCode.get(), c.freqCode) << c.name;
        EXPECT_EQ(f.record.GainCode, c.gainCode) << c.name;
        EXPECT_EQ(f.record.QCode, 10) << c.name;
        EXPECT_EQ(f.record.BandType, BandPeak) << c.name;
        EXPECT_EQ(slider.positions, std::vector<int>{c.gainCode}) << c.name;
        EXPECT_EQ(f.filter.Frequency(), FrequencyTable()[c.freqCode]) << c.name;
        BandFixture fresh(f.record);
        EXPECT_EQ(f.filter.LevelDb(), fresh.filter.LevelDb()) << c.name;
    }
}

TEST(FilterDrag, GrabOffsetIsKeptAndAStillMouseChangesNothing) {
    BandFixture f(MakeBand(204, 120, 10, BandPeak));
    RecordingSlider slider;
    f.filter.SetLinkedSlider(&slider);
    const PlotPoint c = f.filter.HandleRect().Centre();
    const PlotPoint grab = f.filter.GrabOffset({c.x + 5, c.y - 3});  // grabbed off-centre
    EXPECT_TRUE(f.filter.DragBand({c.x + 5, c.y - 3}, grab));
    EXPECT_TRUE(slider.positions.empty());
    EXPECT_EQ(f.record.GainCode, 120);
    EXPECT_TRUE(f.filter.DragBand({c.x + 5, c.y - 3 - 30}, grab));  // up 30 px = +6 dB
    EXPECT_EQ(f.record.GainCode, 150);
    EXPECT_EQ(f.record.FrequencyCode.get(), 204);
    EXPECT_EQ(f.filter.HandleRect().Centre().y, c.y - 30);
}

TEST(FilterDrag, QChangesOneStepPerTenPixels) {
    struct Case {
        int startQ, dx, expectedQ;
    } cases[] = {{10, 25, 12}, {10, -5, 10},  {10, 5, 10}, {10, -25, 8},
                 {10, 10, 11}, {99, 50, 100}, {1, -50, 0}};
    for (const Case& c : cases) {
        BandFixture f(MakeBand(204, 150, static_cast<uint8_t>(c.startQ), BandPeak));
        const PlotRect handle = f.filter.HandleRect();
        EXPECT_TRUE(f.filter.DragQ(handle.Centre().x + c.dx, c.startQ));
        EXPECT_EQ(f.record.QCode, c.expectedQ) << c.startQ << " " << c.dx;
        EXPECT_EQ(f.filter.HandleRect(), handle);  // the handle stays put
    }
}

TEST(FilterDrag, EachKindIgnoresTheOtherKindsDrag) {
    FilterFixture hp(true, 204, 8);
    const FilterSetting before = hp.record;
    EXPECT_FALSE(hp.filter.DragBand({100, 100}, {}));
    EXPECT_FALSE(hp.filter.DragQ(500, 10));
    EXPECT_TRUE(SameRecord(hp.record, before));

    BandFixture band(MakeBand(204, 150, 10, BandPeak));
    const EqBand bandBefore = band.record;
    EXPECT_FALSE(band.filter.DragFilter({100, 100}, {}));
    EXPECT_TRUE(SameRecord(band.record, bandBefore));
}

TEST(FilterDrag, FiltersMoveAlongTheFrequencyAxis) {
    {  // a high-pass pulled to the left edge is switched off: code 0, shown flat, handle where it was
        FilterFixture hp(true, 204, 8);
        const PlotRect handle = hp.filter.HandleRect();
        EXPECT_TRUE(hp.filter.DragFilter({handle.Centre().x - 1000, handle.Centre().y + 40}, {}));
        EXPECT_EQ(hp.record.FrequencyCode.get(), 0);
        EXPECT_EQ(hp.record.SlopeCode, 8);
        for (double l : hp.filter.LevelDb()) ASSERT_EQ(l, 0.0);
        EXPECT_EQ(hp.filter.HandleRect(), handle);
        EXPECT_EQ(hp.filter.Outline()[1].y, 70);
    }
    {  // a low-pass there goes to 19.7 Hz and is computed as usual
        FilterFixture lp(false, 204, 8);
        EXPECT_TRUE(lp.filter.DragFilter({0, 0}, {}));
        EXPECT_EQ(lp.record.FrequencyCode.get(), 0);
        EXPECT_EQ(lp.filter.Frequency(), 19.7);
        EXPECT_LT(lp.filter.LevelDb()[239], -100);
        EXPECT_EQ(lp.filter.HandleRect().left, 59 - 8 + 35);
    }
    {  // moving right is limited to 20.6 kHz; the level never moves
        FilterFixture hp(true, 204, 8);
        const PlotRect handle = hp.filter.HandleRect();
        const PlotPoint grab = hp.filter.GrabOffset({handle.Centre().x + 3, handle.Centre().y});
        EXPECT_TRUE(hp.filter.DragFilter({2000, 0}, grab));
        EXPECT_EQ(hp.record.FrequencyCode.get(), 361);
        EXPECT_EQ(hp.filter.HandleRect().top, handle.top);
        EXPECT_TRUE(hp.filter.DragFilter({handle.Centre().x + 3 + 100, 0}, grab));
        EXPECT_EQ(hp.record.FrequencyCode.get(), NearestCrossoverCode(XToFrequency(502, 700)));
        FilterFixture fresh(true, hp.record.FrequencyCode.get(), 8);
        EXPECT_EQ(hp.filter.LevelDb(), fresh.filter.LevelDb());
    }
}

}  // namespace
}  // namespace pavo
