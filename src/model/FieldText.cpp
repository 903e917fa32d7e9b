// Field values as people read and type them: the engineering units of the catalog's displays.
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "model/CodeTables.h"
#include "model/DataConver.h"
#include "model/FieldCatalog.h"
#include "model/FieldValue.h"
#include "model/Letters.h"

namespace pavo {

namespace {

std::string Printf(const char* format, double v) {
    char text[64];
    std::snprintf(text, sizeof text, format, v);
    return text;
}

std::string WithUnit(std::string value, const char* unit) {
    return *unit ? value + " " + unit : value;
}

// Frequencies as the frequency edits show them: tenths below 101 Hz, whole hertz above.
std::string Hertz(double hz) {
    return Printf(hz < 101 ? "%.1f Hz" : "%.0f Hz", hz);
}

std::span<const char* const> LabelsOf(const FieldInfo& f) {
    switch (f.display) {
        case FieldDisplay::Items:
            return f.items;
        case FieldDisplay::Attack:
            return AttackLabels;
        case FieldDisplay::Release:
            return ReleaseLabels;
        case FieldDisplay::Ratio:
            return RatioLabels;
        default:
            return {};
    }
}

bool AllDigits(std::string_view t) {
    return !t.empty() && std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Where a number's size lies, for the numbers too large or too small for a double: the power of ten of
// its first significant digit (exponents saturate), positive for an overflow, negative for an underflow.
long DecimalMagnitude(std::string_view mantissa, long exponent) {
    const size_t point = std::min(mantissa.find('.'), mantissa.size());
    const size_t first = mantissa.find_first_of("123456789");
    if (first == std::string_view::npos) return 0;
    const long position =
        first < point ? static_cast<long>(point - first) - 1 : -static_cast<long>(first - point);
    return position + exponent;
}

// The decimal number `t` starts with: an optional sign, digits with at most one point, an optional
// exponent; or "inf", "infinity" and "nan". Read without the locale, whatever the program's locale is.
// A number beyond a double reads as an infinity and one below its smallest as zero, for the range check
// to refuse or take. Returns the characters read, 0 when no number leads.
size_t ReadNumber(std::string_view t, double& value) {
    size_t i = 0;
    const bool negative = !t.empty() && t[0] == '-';
    if (!t.empty() && (t[0] == '-' || t[0] == '+')) ++i;
    const auto sign = [&](double v) { return negative ? -v : v; };
    for (std::string_view word : {"infinity", "inf", "nan"})
        if (StartsWithLetters(t.substr(i), word)) {
            value = sign(word == "nan" ? std::nan("") : HUGE_VAL);
            return i + word.size();
        }
    const auto digit = [&](size_t at) { return at < t.size() && t[at] >= '0' && t[at] <= '9'; };
    const size_t start = i;
    size_t digits = 0;
    for (; digit(i); ++i) ++digits;
    if (i < t.size() && t[i] == '.')
        for (++i; digit(i); ++i) ++digits;
    if (digits == 0) return 0;
    const size_t mantissaEnd = i;
    long exponent = 0;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        size_t j = i + 1;
        const bool negativeExponent = j < t.size() && t[j] == '-';
        if (j < t.size() && (t[j] == '-' || t[j] == '+')) ++j;
        if (digit(j)) {
            for (; digit(j); ++j) exponent = std::min(exponent * 10 + (t[j] - '0'), 1000000L);
            if (negativeExponent) exponent = -exponent;
            i = j;
        }
    }
    double v = 0;
    const auto [end, ec] = std::from_chars(t.data() + start, t.data() + i, v, std::chars_format::general);
    if (ec == std::errc::result_out_of_range)
        v = DecimalMagnitude(t.substr(start, mantissaEnd - start), exponent) > 0 ? HUGE_VAL : 0.0;
    else if (ec != std::errc() || end != t.data() + i)
        return 0;
    value = sign(v);
    return i;
}

bool SetError(std::string* error, std::string text) {
    if (error) *error = std::move(text);
    return false;
}

// The code of a name or label the field shows ("ON", "Atk X4", "F2", "18", "OFF"); none otherwise.
std::optional<uint32_t> CodeOfName(const FieldInfo& f, std::string_view text) {
    if (f.display == FieldDisplay::Program) {
        if (text == "0") return 0;
        if (const std::optional<int> n = ProgramNumberFromText(text)) return static_cast<uint32_t>(*n);
        return std::nullopt;
    }
    if (f.display == FieldDisplay::Items || f.display == FieldDisplay::Release) {
        for (uint32_t c = 0; c < LabelsOf(f).size(); ++c)
            if (SameLetters(text, LabelsOf(f)[c])) return c;
        return std::nullopt;
    }
    if (f.zeroIsOff && SameLetters(text, "OFF")) return 0;
    return std::nullopt;
}

// The code of a raw code written "code:105".
std::optional<uint32_t> RawCode(const FieldInfo& f, std::string_view text, std::string* error) {
    const std::string_view digits = TrimSpace(text.substr(5));
    const auto refuse = [&] {
        SetError(error, f.path + ": " + std::string(text) + " is outside code:" + std::to_string(f.min) +
                            " .. code:" + std::to_string(f.max) + " (" + RangeText(f) + ")");
        return std::nullopt;
    };
    if (!AllDigits(digits)) {
        SetError(error, f.path + ": \"" + std::string(text) + "\" is not a raw code (code:" +
                            std::to_string(f.min) + " .. code:" + std::to_string(f.max) + ")");
        return std::nullopt;
    }
    // Nine digits fit an unsigned code; more are out of every range.
    if (digits.size() > 9) return refuse();
    const uint32_t code = static_cast<uint32_t>(std::stoul(std::string(digits)));
    if (!InRange(f, code)) return refuse();
    return code;
}

}  // namespace

std::string FormatCode(const FieldInfo& f, uint32_t code) {
    if (!InRange(f, code))
        return std::to_string(code) + " (outside " + std::to_string(f.min) + ".." + std::to_string(f.max) +
               ")";
    switch (f.display) {
        case FieldDisplay::Frequency:
            return Hertz(FrequencyOfCode(static_cast<int>(code)));
        case FieldDisplay::Crossover:
            return Hertz(CrossoverFrequencyOfCode(static_cast<int>(code)));
        case FieldDisplay::Gain:
            return Printf("%.1f dB", *NumberOfCode(f, code));
        case FieldDisplay::Q:
            return Printf("%g", QTable()[code]);
        case FieldDisplay::Items:
        case FieldDisplay::Release:
            return LabelsOf(f)[code];
        case FieldDisplay::Ratio:
            return std::string(RatioLabels[code]) + ":1";
        case FieldDisplay::Attack:
            return std::string(AttackLabels[code]) + " ms";
        case FieldDisplay::Program:
            return ProgramNumberText(static_cast<int>(code));
        case FieldDisplay::Scaled: {
            if (f.zeroIsOff && code == 0) return "OFF";
            const std::string format = "%." + std::to_string(f.decimals) + "f";
            return WithUnit(Printf(format.c_str(), *NumberOfCode(f, code)), f.unit);
        }
        default:
            return std::to_string(code);
    }
}

std::string FormatField(const FieldInfo& f, const uint8_t* record) {
    const uint8_t* p = record + f.offset;
    if (f.display == FieldDisplay::Text) return TextFromBytes(p, f.width);
    if (f.display == FieldDisplay::Opaque) {
        std::string hex;
        for (int i = 0; i < f.width; ++i) {
            char byte[4];
            std::snprintf(byte, sizeof byte, i ? " %02X" : "%02X", p[i]);
            hex += byte;
        }
        return hex;
    }
    return FormatCode(f, ReadCode(f, record));
}

std::optional<uint32_t> ParseCode(const FieldInfo& f, std::string_view input, std::string* error) {
    const std::string_view text = TrimSpace(input);
    const std::string typed(text);
    if (!f.HasCode()) {
        SetError(error, f.path + ": holds characters or bytes, not a code");
        return std::nullopt;
    }
    if (text.empty()) {
        SetError(error, f.path + ": no value given; it takes " + RangeText(f));
        return std::nullopt;
    }
    if (StartsWithLetters(text, "code:")) return RawCode(f, text, error);
    const std::optional<uint32_t> named = CodeOfName(f, text);
    if (named && InRange(f, *named)) return named;
    const bool items = f.display == FieldDisplay::Items || f.display == FieldDisplay::Release;
    const bool byName = items || f.display == FieldDisplay::Program;
    double value = 0;
    const size_t used = byName ? 0 : ReadNumber(text, value);
    if (used == 0) {
        std::string why =
            f.path + ": \"" + typed + "\" is not " + (byName ? "" : "a value in ") + RangeText(f);
        // Such numbers were once taken as raw codes.
        if (items && AllDigits(text)) why += " (a raw code is written code:" + typed + ")";
        SetError(error, std::move(why));
        return std::nullopt;
    }
    // "1k", "1.2 kHz", "5k ms": thousands.
    std::string_view unit = TrimSpace(text.substr(used));
    if (!unit.empty() && (unit.front() == 'k' || unit.front() == 'K')) {
        value *= 1000;
        unit = TrimSpace(unit.substr(1));
    }
    if (!unit.empty() && !SameLetters(unit, UnitOf(f))) {
        SetError(error, f.path + ": \"" + std::string(unit) + "\" is not its unit (" +
                            (*UnitOf(f) ? UnitOf(f) : "it has none") + ")");
        return std::nullopt;
    }
    if (const std::optional<uint32_t> code = CodeOfNumber(f, value)) return code;
    SetError(error, f.path + ": " + typed + " is outside " + RangeText(f));
    return std::nullopt;
}

}  // namespace pavo
