#pragma once
// The small records every block is built from: one EQ band, one dynamic-EQ band, one crossover
// filter, one compressor, one noise gate, one exciter. Their bytes travel unchanged in frames and files.
#include <cstddef>
#include <cstdint>

#include "model/Bytes.h"

namespace pavo {

enum BandTypeCode : uint8_t { BandBypass = 0, BandPeak = 1, BandLowShelf = 2, BandHighShelf = 3 };
enum FilterKindCode : uint8_t { FilterKindHighPass = 0, FilterKindLowPass = 1 };

constexpr int kGainCodeFlat = 120;  // 0 dB
constexpr int kGainCodeMax = 240;   // +24 dB
constexpr int kFrequencyCodeMax = 361;
constexpr int kQCodeMax = 100;
constexpr int kSlopeCodeMax = 12;

struct EqBand {
    Le16 FrequencyCode;  // index into FrequencyTable
    uint8_t GainCode;    // dB = code * 0.2 - 24
    uint8_t QCode;       // index into QTable
    uint8_t BandType;    // BandTypeCode
};

struct DynEqBand {
    EqBand Band;
    uint8_t Threshold;
    uint8_t Attack;
    uint8_t Release;
    uint8_t Ratio;
    uint8_t Reserved;  // the reset writes 1; nothing else touches it
};

struct FilterSetting {
    uint8_t Kind;        // FilterKindCode: tells the unit which filter of a slot is meant
    Le16 FrequencyCode;  // index into the crossover frequency table
    uint8_t SlopeCode;   // 0 "ByPass" .. 12 "36dBLink-Riley"
};

struct CompressorSetting {
    uint8_t Threshold;
    uint8_t Attack;   // AttackLabels
    uint8_t Release;  // ReleaseLabels
    uint8_t Ratio;    // RatioLabels
};

struct GateSetting {
    uint8_t Threshold;
    uint8_t Attack;
    uint8_t Release;
};

struct ExciterSetting {
    Le16 FrequencyCode;
    uint8_t Harmonic;  // 0..9
    uint8_t Timbre;    // 0..9
};

static_assert(sizeof(EqBand) == 5 && offsetof(EqBand, GainCode) == 2 && offsetof(EqBand, QCode) == 3 &&
              offsetof(EqBand, BandType) == 4);
static_assert(sizeof(DynEqBand) == 10 && offsetof(DynEqBand, Threshold) == 5 &&
              offsetof(DynEqBand, Attack) == 6 && offsetof(DynEqBand, Release) == 7 &&
              offsetof(DynEqBand, Ratio) == 8 && offsetof(DynEqBand, Reserved) == 9);
static_assert(sizeof(FilterSetting) == 4 && offsetof(FilterSetting, FrequencyCode) == 1 &&
              offsetof(FilterSetting, SlopeCode) == 3);
static_assert(sizeof(CompressorSetting) == 4 && offsetof(CompressorSetting, Ratio) == 3);
static_assert(sizeof(GateSetting) == 3 && offsetof(GateSetting, Release) == 2);
static_assert(sizeof(ExciterSetting) == 4 && offsetof(ExciterSetting, Harmonic) == 2 &&
              offsetof(ExciterSetting, Timbre) == 3);

inline void SetBand(EqBand& b, uint16_t freqCode, uint8_t gain, uint8_t q, uint8_t type) {
    b.FrequencyCode = freqCode;
    b.GainCode = gain;
    b.QCode = q;
    b.BandType = type;
}
inline void SetFilter(FilterSetting& f, uint8_t kind, uint16_t freqCode, uint8_t slope) {
    f.Kind = kind;
    f.FrequencyCode = freqCode;
    f.SlopeCode = slope;
}

}  // namespace pavo
