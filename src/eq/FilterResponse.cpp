#include "eq/FilterResponse.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "eq/DoublePair.h"

namespace pavo {
namespace {

constexpr double kPi = std::numbers::pi;

// Section Q values by family, by order (2, 3, 4, 6) and by section. Linkwitz-Riley has no third order.
constexpr double SectionQTable[3][4][3] = {
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

GridPhaseTable MakePhases() {
    GridPhaseTable p{};
    for (int k = 0; k < kGridPoints; ++k) {
        const double w = GridOmega(k);
        p.cos1[k] = std::cos(w);
        p.sin1[k] = std::sin(w);
        p.cos2[k] = std::cos(2 * w);
        p.sin2[k] = std::sin(2 * w);
    }
    return p;
}

// Numerator and denominator of a section at two grid points; evaluated term by term as the formulas
// read, so every caller gets the same values.
struct SectionValue {
    DoublePair reN, imN, reD, imD;
};
inline SectionValue Evaluate(const Biquad& s, const GridPhaseTable& g, int k) {
    const DoublePair c1 = LoadPair(&g.cos1[k]), s1 = LoadPair(&g.sin1[k]);
    const DoublePair c2 = LoadPair(&g.cos2[k]), s2 = LoadPair(&g.sin2[k]);
    return {s.b0 + s.b1 * c1 + s.b2 * c2, -(s.b1 * s1 + s.b2 * s2), 1 + s.a1 * c1 + s.a2 * c2,
            -(s.a1 * s1 + s.a2 * s2)};
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
    return SectionQTable[family][o][section];
}

double GridOmega(int k) {
    const int n = static_cast<int>(10 * ResponseGrid()[k]);
    return n * kPi / 960000;
}

const GridPhaseTable& GridPhases() {
    static const GridPhaseTable phases = MakePhases();
    return phases;
}

static_assert(kGridPoints % 2 == 0);

void EvaluateSection(const Biquad& s, GridResponse& response, GridLevels& levelDb) {
    const GridPhaseTable& phases = GridPhases();
    for (int k = 0; k < kGridPoints; k += 2) {
        const SectionValue v = Evaluate(s, phases, k);
        const DoublePair d2 = v.reD * v.reD + v.imD * v.imD;
        const DoublePair re = (v.reN * v.reD + v.imN * v.imD) / d2;
        const DoublePair im = (v.imN * v.reD - v.reN * v.imD) / d2;
        response[k] = {re[0], im[0]};
        response[k + 1] = {re[1], im[1]};
        StorePair(&levelDb[k], re * re + im * im);  // power for now
    }
    PowerToDb(levelDb, levelDb);
}

void AccumulateSectionPower(const Biquad& s, GridLevels& power) {
    AccumulateSectionPower(s, power, 0, kGridPoints - 1);
}

void AccumulateSectionPower(const Biquad& s, GridLevels& power, int first, int last) {
    const GridPhaseTable& phases = GridPhases();
    const int end = std::min(last | 1, kGridPoints - 1);
    for (int k = std::max(first, 0) & ~1; k < end; k += 2) {
        const SectionValue v = Evaluate(s, phases, k);
        const DoublePair p = (v.reN * v.reN + v.imN * v.imN) / (v.reD * v.reD + v.imD * v.imD);
        StorePair(&power[k], LoadPair(&power[k]) * p);
    }
}

namespace {

// Natural logarithm of two positive normal doubles, to a few units in the last place, without a
// library call: x = m 2^e with m in [sqrt(1/2), sqrt(2)), ln m = 2 atanh(s) with s = (m - 1) / (m + 1),
// |s| < 0.172, summed as a series to s^21 (the next term is below 1e-17 of the result).
inline DoublePair LogOfNormal(DoublePair x) {
    constexpr uint64_t kMantissa = 0x000FFFFFFFFFFFFFull;
    constexpr uint64_t kOne = 0x3FF0000000000000ull;  // exponent field of 1.0
    // Exponent field of 2^52: an integer n put in the mantissa then reads as 2^52 + n.
    constexpr uint64_t kTwo52Bits = 0x4330000000000000ull;
    constexpr double kTwo52 = 4503599627370496.0;
    constexpr double kLn2Hi = 6.93147180369123816490e-01;  // ln 2 in two parts, so e ln 2 is exact
    constexpr double kLn2Lo = 1.90821492927058770002e-10;
    const BitsPair bits = reinterpret_cast<BitsPair>(x);
    DoublePair e = reinterpret_cast<DoublePair>((bits >> 52) | kTwo52Bits) - (kTwo52 + 1023);
    DoublePair m = reinterpret_cast<DoublePair>((bits & kMantissa) | kOne);
    const BitsPair high = reinterpret_cast<BitsPair>(m > std::numbers::sqrt2);  // all ones where m is halved
    const DoublePair one = {1.0, 1.0};
    m = reinterpret_cast<DoublePair>((reinterpret_cast<BitsPair>(m * 0.5) & high) |
                                     (reinterpret_cast<BitsPair>(m) & ~high));
    e += reinterpret_cast<DoublePair>(reinterpret_cast<BitsPair>(one) & high);
    const DoublePair s = (m - 1) / (m + 1);
    // 1/3 + z/5 + ... + z^9/21 in Estrin's order: short dependency chains, same accuracy.
    const DoublePair z = s * s, z2 = z * z, z4 = z2 * z2;
    const DoublePair q0 = 1.0 / 3 + z * (1.0 / 5), q1 = 1.0 / 7 + z * (1.0 / 9);
    const DoublePair q2 = 1.0 / 11 + z * (1.0 / 13), q3 = 1.0 / 15 + z * (1.0 / 17);
    const DoublePair q4 = 1.0 / 19 + z * (1.0 / 21);
    const DoublePair p = (q0 + z2 * q1) + z4 * ((q2 + z2 * q3) + z4 * q4);
    return e * kLn2Hi + (e * kLn2Lo + 2 * s + 2 * s * z * p);
}

}  // namespace

void PowerToDb(const GridLevels& power, GridLevels& levelDb) {
    PowerToDb(power, levelDb, 0, kGridPoints - 1);
}

void PowerToDb(const GridLevels& power, GridLevels& levelDb, int first, int last) {
    constexpr double kDbPerNeper = 10 / std::numbers::ln10;
    const int begin = std::max(first, 0) & ~1;
    const int end = std::min(last | 1, kGridPoints - 1);
    BitsPair abnormal{};  // any zero, infinity, subnormal or NaN
    for (int k = begin; k < end; k += 2) {
        const DoublePair x = LoadPair(&power[k]);
        abnormal |= reinterpret_cast<BitsPair>(~((x >= DBL_MIN) & (x <= DBL_MAX)));
    }
    if (abnormal[0] | abnormal[1]) {  // leave those to the library
        for (int k = begin; k <= end; ++k) levelDb[k] = 10 * std::log10(power[k]);
        return;
    }
    for (int k = begin; k < end; k += 2) {
        StorePair(&levelDb[k], kDbPerNeper * LogOfNormal(LoadPair(&power[k])));
    }
}

}  // namespace pavo
