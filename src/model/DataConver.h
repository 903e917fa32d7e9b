#pragma once
// Conversions between raw codes and what people type or read: nearest-code searches, code-to-value
// lookups, the compressor label tables, the tab label tables and fixed-width text fields.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace pavo {

// Nearest code in a strictly increasing table: an exact tie goes to the higher code, a value above
// the last entry gives 0 (the unit's rule, kept as it is).
int NearestCode(std::span<const double> table, double x);

int NearestFrequencyCode(double hz);
double FrequencyOfCode(int code);  // 0..361; clamped (asserts in debug builds)
int NearestCrossoverCode(double hz);
double CrossoverFrequencyOfCode(int code);
int NearestQCode(double q);
double QOfCode(int code);  // 1..100 accepted; clamped (asserts in debug builds)

// The first n bytes (up to a zero byte), without leading and trailing white space.
std::string TextFromBytes(const uint8_t* field, size_t n);
// The text's characters into the field, cut to n, the rest filled with spaces; no terminator.
void BytesFromText(uint8_t* field, size_t n, std::string_view text);

// How people see a program number: 1..16 as they are, 17..21 as F1..F5.
std::string ProgramNumberText(int number);
// The program a person names, in either form: "1".."21", or "F1".."F5" (any case) for 17..21.
std::optional<int> ProgramNumberFromText(std::string_view text);

// A computed code as an integer, when it lies within lo..hi; `x` comes rounded as the caller wants it
// (a fraction is cut off). The check is made on the double before anything is converted: converting a
// double outside the integer's range is undefined, so a huge, infinite or NaN value must be refused
// here rather than wrap into range.
std::optional<int> CodeInRange(double x, int lo, int hi);

constexpr int kRatioLabelCount = 41;
constexpr int kAttackLabelCount = 20;
constexpr int kReleaseLabelCount = 8;
extern const std::array<const char*, kRatioLabelCount> RatioLabels;
extern const std::array<const char*, kAttackLabelCount> AttackLabels;
extern const std::array<const char*, kReleaseLabelCount> ReleaseLabels;

// Combo items of the filter slope selectors, spelled as the unit's software always has, and of the
// EQ band type selectors; the item index is the stored code.
constexpr int kSlopeLabelCount = 13;
constexpr int kBandTypeLabelCount = 4;
extern const std::array<const char*, kSlopeLabelCount> SlopeLabels;
extern const std::array<const char*, kBandTypeLabelCount> BandTypeLabels;

// Page names: entries 0..5 are the main window's tabs, 6..9 name pages without a tab.
constexpr int kTabLabelCount = 10;
extern const std::array<const char*, kTabLabelCount> TabLabelsChinese;
extern const std::array<const char*, kTabLabelCount> TabLabelsEnglish;

// The entry of a label table for a code; an out-of-range code gives "" rather than reading past it.
template <size_t N>
const char* LabelOf(const std::array<const char*, N>& table, int code) {
    return code >= 0 && code < static_cast<int>(N) ? table[code] : "";
}

}  // namespace pavo
