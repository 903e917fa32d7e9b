#include "eq/FilterResponse.h"

#include <cmath>
#include <numbers>

namespace pavo {
namespace {

constexpr double kPi = std::numbers::pi;

// Section Q values by family, by order (2, 3, 4, 6) and by section. Linkwitz-Riley has no third order.
constexpr double kSectionQ[3][4][3] = {
    {{0.5773, 0, 0}, {0.691, 0, 0}, {0.5219, 0.8055, 0}, {0.5103, 0.6112, 1.0234}},  // Bessel
    {{0.7071, 0, 0}, {1.0, 0, 0}, {0.5412, 1.3065, 0}, {0.5177, 0.7071, 1.932}},     // Butterworth
    {{0.5, 0, 0}, {0, 0, 0}, {0.71, 0.71, 0}, {0.5, 1.0, 1.0}},                      // Linkwitz-Riley
};

constexpr SlopeInfo kSlopes[kSlopeCodes] = {
    {FamilyButterworth, 0},   {FamilyButterworth, 1},   {FamilyBessel, 2},      {FamilyButterworth, 2},
    {FamilyLinkwitzRiley, 2}, {FamilyBessel, 3},        {FamilyButterworth, 3}, {FamilyBessel, 4},
    {FamilyButterworth, 4},   {FamilyLinkwitzRiley, 4}, {FamilyBessel, 6},      {FamilyButterworth, 6},
    {FamilyLinkwitzRiley, 6},
};

int OrderIndex(int order) {
    switch (order) {
        case 2:
            return 0;
        case 3:
            return 1;
        case 4:
            return 2;
        case 6:
            return 3;
        default:
            return -1;
    }
}

Biquad Normalised(double b0, double b1, double b2, double a0, double a1, double a2) {
    return {b0 / a0, b1 / a0, b2 / a0, a1 / a0, a2 / a0};
}

std::array<GridPhase, kGridPoints> MakePhases() {
    std::array<GridPhase, kGridPoints> p{};
    for (int k = 0; k < kGridPoints; ++k) {
        const double w = GridOmega(k);
        p[k] = {std::cos(w), std::sin(w), std::cos(2 * w), std::sin(2 * w)};
    }
    return p;
}

// Numerator and denominator of a section at one grid point; both are evaluated term by term so
// that the result is the same whichever caller asks.
struct SectionValue {
    double reN, imN, reD, imD;
};
inline SectionValue Evaluate(const Biquad& s, const GridPhase& g) {
    return {s.b0 + s.b1 * g.cos1 + s.b2 * g.cos2, -(s.b1 * g.sin1 + s.b2 * g.sin2),
            1 + s.a1 * g.cos1 + s.a2 * g.cos2, -(s.a1 * g.sin1 + s.a2 * g.sin2)};
}

}  // namespace

Biquad DesignEqBand(int bandType, double f0, double q, double gainDb) {
    const double w0 = 2 * kPi * f0 / SAMPLE_RATE;
    const double A = std::pow(10.0, gainDb / 40);
    const double alpha = std::sin(w0) / (2 * q);
    const double c = std::cos(w0);
    const double sa = 2 * std::sqrt(A) * alpha;
    switch (bandType) {
        case 1:  // peaking
            return Normalised(1 + alpha * A, -2 * c, 1 - alpha * A, 1 + alpha / A, -2 * c, 1 - alpha / A);
        case 2:  // low shelf
            return Normalised(A * ((A + 1) - (A - 1) * c + sa), 2 * A * ((A - 1) - (A + 1) * c),
                              A * ((A + 1) - (A - 1) * c - sa), (A + 1) + (A - 1) * c + sa,
                              -2 * ((A - 1) + (A + 1) * c), (A + 1) + (A - 1) * c - sa);
        case 3:  // high shelf
            return Normalised(A * ((A + 1) + (A - 1) * c + sa), -2 * A * ((A - 1) + (A + 1) * c),
                              A * ((A + 1) + (A - 1) * c - sa), (A + 1) - (A - 1) * c + sa,
                              2 * ((A - 1) - (A + 1) * c), (A + 1) - (A - 1) * c - sa);
        default:
            return {};
    }
}

Biquad DesignCrossoverSection(bool highPass, double fc, double q) {
    const double w0 = 2 * kPi * fc / SAMPLE_RATE;
    const double alpha = std::sin(w0) / (2 * q);
    const double c = std::cos(w0);
    if (highPass) return Normalised((1 + c) / 2, -(1 + c), (1 + c) / 2, 1 + alpha, -2 * c, 1 - alpha);
    return Normalised((1 - c) / 2, 1 - c, (1 - c) / 2, 1 + alpha, -2 * c, 1 - alpha);
}

Biquad DesignFirstOrder(bool highPass, double fc) {
    const double w = 2 * kPi * fc;
    const double K = w / std::tan(kPi * fc / SAMPLE_RATE);
    const double d = K + w;
    Biquad s;
    s.b0 = highPass ? K / d : w / d;
    s.b1 = highPass ? -K / d : w / d;
    s.a1 = (w - K) / d;
    return s;
}

SlopeInfo SlopeOf(int slopeCode) {
    if (slopeCode < 0 || slopeCode >= kSlopeCodes) return {};
    return kSlopes[slopeCode];
}

double SectionQ(FilterFamily family, int order, int section) {
    const int o = OrderIndex(order);
    if (o < 0 || family < 0 || family > 2 || section < 0 || section > 2) return 0;
    return kSectionQ[family][o][section];
}

const std::array<const char*, kSlopeCodes> SlopeLabels = {
    "ByPass",      "6dB/ct",           "12dB Bessel",   "12dB Butuerworth", "12dBLink-Riley",
    "18dB Bessel", "18dB Butuerworth", "24dB Bessel",   "24dB Butuerworth", "24dBLink-Riley",
    "36dB Bessel", "36dB Butuerworth", "36dBLink-Riley"};
const std::array<const char*, 4> BandTypeLabels = {"BY", "P", "LS", "HS"};

double GridOmega(int k) {
    const int n = static_cast<int>(10 * ResponseGrid()[k]);
    return n * kPi / 960000;
}

const std::array<GridPhase, kGridPoints>& GridPhases() {
    static const auto phases = MakePhases();
    return phases;
}

void EvaluateSection(const Biquad& s, GridResponse& response, GridLevels& levelDb) {
    const auto& phases = GridPhases();
    for (int k = 0; k < kGridPoints; ++k) {
        const SectionValue v = Evaluate(s, phases[k]);
        const double d2 = v.reD * v.reD + v.imD * v.imD;
        const double re = (v.reN * v.reD + v.imN * v.imD) / d2;
        const double im = (v.imN * v.reD - v.reN * v.imD) / d2;
        response[k] = {re, im};
        levelDb[k] = 10 * std::log10(re * re + im * im);
    }
}

void AccumulateSectionPower(const Biquad& s, GridLevels& power) {
    const auto& phases = GridPhases();
    for (int k = 0; k < kGridPoints; ++k) {
        const SectionValue v = Evaluate(s, phases[k]);
        power[k] *= (v.reN * v.reN + v.imN * v.imN) / (v.reD * v.reD + v.imD * v.imD);
    }
}

void PowerToDb(const GridLevels& power, GridLevels& levelDb) {
    for (int k = 0; k < kGridPoints; ++k) levelDb[k] = 10 * std::log10(power[k]);
}

}  // namespace pavo
