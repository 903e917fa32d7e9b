#include "model/DataConver.h"

#include <algorithm>
#include <cassert>

#include "model/Blocks.h"
#include "model/CodeTables.h"

namespace pavo {

int NearestCode(std::span<const double> table, double x) {
    const int n = static_cast<int>(table.size());
    for (int i = 0; i < n; ++i) {
        if (table[i] >= x) {
            if (i == 0) return 0;
            const double dLow = x - table[i - 1];
            const double dHigh = table[i] - x;
            return dLow < dHigh ? i - 1 : i;
        }
    }
    return 0;
}

namespace {
int ClampCode(int code, int lo, int hi) {
    assert(code >= lo && code <= hi && "code outside its table");
    return std::clamp(code, lo, hi);
}
}  // namespace

int NearestFrequencyCode(double hz) {
    return NearestCode(FrequencyTable(), hz);
}
double FrequencyOfCode(int code) {
    return FrequencyTable()[ClampCode(code, 0, kFrequencyCodes - 1)];
}
int NearestCrossoverCode(double hz) {
    return NearestCode(CrossoverTable(), hz);
}
double CrossoverFrequencyOfCode(int code) {
    return CrossoverTable()[ClampCode(code, 0, kFrequencyCodes - 1)];
}
int NearestQCode(double q) {
    return NearestCode(QTable(), q);
}
double QOfCode(int code) {
    return QTable()[ClampCode(code, 1, kQCodes - 1)];
}

std::string TextFromBytes(const uint8_t* field, size_t n) {
    // Only ASCII blanks are trimmed, whatever the locale: other bytes may be halves of a double-byte
    // character.
    auto blank = [](uint8_t c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    size_t len = 0;
    while (len < n && field[len] != 0) ++len;
    size_t b = 0, e = len;
    while (b < e && blank(field[b])) ++b;
    while (e > b && blank(field[e - 1])) --e;
    return std::string(reinterpret_cast<const char*>(field) + b, e - b);
}

void BytesFromText(uint8_t* field, size_t n, std::string_view text) {
    const size_t m = std::min(n, text.size());
    std::copy_n(reinterpret_cast<const uint8_t*>(text.data()), m, field);
    std::fill(field + m, field + n, uint8_t{' '});
}

std::string ProgramNumberText(int number) {
    return number <= 16 ? std::to_string(number) : "F" + std::to_string(number - 16);
}

std::optional<int> ProgramNumberFromText(std::string_view text) {
    const bool f = !text.empty() && (text[0] == 'F' || text[0] == 'f');
    const std::string_view digits = f ? text.substr(1) : text;
    if (digits.empty() || digits.size() > 2 ||
        digits.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    const int n = std::stoi(std::string(digits)) + (f ? 16 : 0);
    if (n < (f ? 17 : 1) || n > kProgramCount) return std::nullopt;
    return n;
}

std::optional<int> CodeInRange(double x, int lo, int hi) {
    // Written so that NaN fails too.
    if (!(x >= lo && x <= hi)) return std::nullopt;
    return static_cast<int>(x);
}

const std::array<const char*, kRatioLabelCount> RatioLabels = {
    "1.0", "1.2", "1.4", "1.6", "1.8", "2.0", "2.4", "2.8", "3.2", "3.6", "4.0",  "4.4",  "4.8",  "5.2",
    "5.6", "6.0", "6.4", "6.8", "7.2", "7.6", "8.0", "8.4", "9.0", "9.6", "10.2", "10.8", "11.4", "12",
    "13",  "14",  "15",  "16",  "17",  "18",  "19",  "20",  "22",  "24",  "26",   "30",   "100"};

const std::array<const char*, kAttackLabelCount> AttackLabels = {
    "0.5", "0.7", "1.0", "1.4", "2.0", "2.8", "4.0", "5.7", "8.0", "11",
    "16",  "23",  "32",  "45",  "64",  "90",  "100", "120", "150", "400"};

const std::array<const char*, kReleaseLabelCount> ReleaseLabels = {
    "Atk X2", "Atk X4", "Atk X6", "Atk X8", "Atk X12", "Atk X16", "Atk X24", "Atk X32"};

const std::array<const char*, kSlopeLabelCount> SlopeLabels = {
    "ByPass",      "6dB/ct",           "12dB Bessel",   "12dB Butuerworth", "12dBLink-Riley",
    "18dB Bessel", "18dB Butuerworth", "24dB Bessel",   "24dB Butuerworth", "24dBLink-Riley",
    "36dB Bessel", "36dB Butuerworth", "36dBLink-Riley"};
const std::array<const char*, kBandTypeLabelCount> BandTypeLabels = {"BY", "P", "LS", "HS"};

const std::array<const char*, kTabLabelCount> TabLabelsChinese = {
    "音乐", "动态均衡", "话筒", "输出1&2", "输出3&4", "系统", "效果", "中置", "超低音", "环绕"};
const std::array<const char*, kTabLabelCount> TabLabelsEnglish = {
    "Music", "DEQ", "Mic", "Out1&2", "Out3&4", "System", "Effect", "Center", "SUB", "Surround"};

}  // namespace pavo
