// Field values as typed data, and the numbers behind both the typed and the text form.
#include "model/FieldValue.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <span>

#include "model/CodeTables.h"
#include "model/DataConver.h"

namespace pavo {

namespace {

// A code in steps of `scale` from -bias, printed with `decimals`.
struct Linear {
    double scale;
    double bias;
    int decimals;
};

std::optional<Linear> LinearOf(const FieldInfo& f) {
    switch (f.display) {
        case FieldDisplay::Gain:
            return Linear{0.2, 24, 1};
        case FieldDisplay::Scaled:
            return Linear{f.scale, f.bias, f.decimals};
        case FieldDisplay::Code:
            return Linear{1, 0, 0};
        default:
            return std::nullopt;
    }
}

// The numbers of a label table ("0.5" .. "400" ms, "1.0" .. "100" for ratios).
template <size_t N>
std::array<double, N> NumbersOf(const std::array<const char*, N>& labels) {
    std::array<double, N> numbers{};
    for (size_t i = 0; i < N; ++i) std::from_chars(labels[i], labels[i] + std::strlen(labels[i]), numbers[i]);
    return numbers;
}

// The strictly increasing values of the fields read through a table; empty for the others.
std::span<const double> TableOf(const FieldInfo& f) {
    static const auto attack = NumbersOf(AttackLabels);
    static const auto ratio = NumbersOf(RatioLabels);
    switch (f.display) {
        case FieldDisplay::Frequency:
            return FrequencyTable();
        case FieldDisplay::Crossover:
            return CrossoverTable();
        case FieldDisplay::Q:
            return QTable();
        case FieldDisplay::Attack:
            return attack;
        case FieldDisplay::Ratio:
            return ratio;
        default:
            return {};
    }
}

// The lowest code that reads as a number: a scaled field's code 0 may be "OFF" instead.
uint32_t LowestNumberCode(const FieldInfo& f) {
    return f.zeroIsOff && f.min == 0 ? 1 : f.min;
}

// How far past an end of the range a number may lie and still count as in it: a millionth of a step
// for the codes in steps, a millionth of the end's value for the tables. Enough for binary rounding of
// a printed value, far too little for any value a person means.
constexpr double kSlack = 1e-6;

std::nullopt_t Fail(std::string* error, std::string text) {
    if (error) *error = std::move(text);
    return std::nullopt;
}

std::string NumberWithUnit(double v, const char* unit) {
    char text[64];
    std::snprintf(text, sizeof text, "%g", v);
    return *unit ? std::string(text) + " " + unit : std::string(text);
}

}  // namespace

TypedValue TypedValue::OfNumber(double number, std::string unit) {
    TypedValue v;
    v.kind = Kind::Number;
    v.number = number;
    v.unit = std::move(unit);
    return v;
}

TypedValue TypedValue::OfBoolean(bool on) {
    TypedValue v;
    v.kind = Kind::Boolean;
    v.boolean = on;
    return v;
}

TypedValue TypedValue::OfText(std::string text) {
    TypedValue v;
    v.kind = Kind::Text;
    v.text = std::move(text);
    return v;
}

bool IsSwitch(const FieldInfo& f) {
    return f.display == FieldDisplay::Items && f.items.size() == 2 && std::strcmp(f.items[0], "OFF") == 0 &&
           std::strcmp(f.items[1], "ON") == 0;
}

const char* UnitOf(const FieldInfo& f) {
    switch (f.display) {
        case FieldDisplay::Frequency:
        case FieldDisplay::Crossover:
            return "Hz";
        case FieldDisplay::Gain:
            return "dB";
        case FieldDisplay::Attack:
            return "ms";
        case FieldDisplay::Ratio:
            return ":1";
        case FieldDisplay::Scaled:
            return f.unit;
        default:
            return "";
    }
}

std::optional<double> NumberOfCode(const FieldInfo& f, uint32_t code) {
    if (!f.HasCode() || !InRange(f, code)) return std::nullopt;
    if (const std::span<const double> table = TableOf(f); !table.empty())
        return code < table.size() ? std::optional(table[code]) : std::nullopt;
    const std::optional<Linear> l = LinearOf(f);
    if (!l || code < LowestNumberCode(f)) return std::nullopt;
    // Rounded to the printed digits: an integer divided by a power of ten is the double nearest to
    // the decimal text, so the number and the text say the same. Adding 0.0 turns -0 into 0.
    const double scale = std::pow(10.0, l->decimals);
    return std::round((code * l->scale - l->bias) * scale) / scale + 0.0;
}

std::optional<uint32_t> CodeOfNumber(const FieldInfo& f, double v, std::string* error) {
    const auto outside = [&] {
        return Fail(error, f.path + ": " + NumberWithUnit(v, UnitOf(f)) + " is outside " + RangeText(f));
    };
    if (!f.HasCode()) return Fail(error, f.path + ": holds characters or bytes, not a value");
    if (!std::isfinite(v)) return outside();
    if (const std::span<const double> table = TableOf(f); !table.empty()) {
        if (f.max >= table.size()) return outside();
        const double lo = table[f.min], hi = table[f.max];
        if (v < lo * (1 - kSlack) || v > hi * (1 + kSlack)) return outside();
        const int code = NearestCode(table, std::clamp(v, lo, hi));
        if (!InRange(f, static_cast<uint32_t>(code))) return outside();
        return static_cast<uint32_t>(code);
    }
    if (f.display == FieldDisplay::Program) {
        // A program by its number: 18 is F2; no fractions.
        const std::optional<int> code = CodeInRange(v, static_cast<int>(f.min), static_cast<int>(f.max));
        if (!code || *code != v) return outside();
        return static_cast<uint32_t>(*code);
    }
    const std::optional<Linear> l = LinearOf(f);
    if (!l) return Fail(error, f.path + ": takes " + RangeText(f) + ", not a number");
    // In code steps, still a double: the range is checked before anything is converted.
    const double steps = (v + l->bias) / l->scale;
    const double low = LowestNumberCode(f);
    if (!(steps >= low - kSlack && steps <= f.max + kSlack)) return outside();
    const std::optional<int> code =
        CodeInRange(std::round(steps), static_cast<int>(low), static_cast<int>(f.max));
    if (!code) return outside();
    return static_cast<uint32_t>(*code);
}

std::string RangeText(const FieldInfo& f) {
    switch (f.display) {
        case FieldDisplay::Text:
            return "characters";
        case FieldDisplay::Opaque:
            return "bytes";
        case FieldDisplay::Items:
        case FieldDisplay::Release: {
            std::string text = "one of ";
            for (uint32_t c = f.min; c <= f.max; ++c) text += (c > f.min ? ", " : "") + FormatCode(f, c);
            return text;
        }
        case FieldDisplay::Program:
            return FormatCode(f, f.min) + " .. 16, F1 .. " + FormatCode(f, f.max);
        default: {
            const uint32_t low = LowestNumberCode(f);
            return FormatCode(f, low) + " .. " + FormatCode(f, f.max) + (low != f.min ? " or OFF" : "");
        }
    }
}

TypedValue TypedValueOf(const FieldInfo& f, uint32_t code) {
    if (f.HasCode() && InRange(f, code)) {
        if (IsSwitch(f)) return TypedValue::OfBoolean(code == 1);
        if (const std::optional<double> n = NumberOfCode(f, code)) return TypedValue::OfNumber(*n, UnitOf(f));
    }
    return TypedValue::OfText(FormatCode(f, code));
}

std::optional<uint32_t> CodeOfTypedValue(const FieldInfo& f, const TypedValue& v, std::string* error) {
    if (!f.HasCode()) return Fail(error, f.path + ": holds characters or bytes, not a code");
    switch (v.kind) {
        case TypedValue::Kind::Text:
            return ParseCode(f, v.text, error);
        case TypedValue::Kind::Boolean:
            if (!IsSwitch(f)) return Fail(error, f.path + ": takes " + RangeText(f) + ", not true or false");
            return v.boolean ? 1u : 0u;
        case TypedValue::Kind::Number:
            break;
    }
    // Machine input: the unit as TypedValueOf writes it, letter for letter.
    if (!v.unit.empty() && v.unit != UnitOf(f))
        return Fail(error, f.path + ": \"" + v.unit + "\" is not its unit (" +
                               (*UnitOf(f) ? UnitOf(f) : "it has none") + ")");
    return CodeOfNumber(f, v.number, error);
}

}  // namespace pavo
