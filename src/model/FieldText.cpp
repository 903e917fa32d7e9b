// Field values as people read and type them: the engineering units of the catalog's displays.
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "model/CodeTables.h"
#include "model/DataConver.h"
#include "model/FieldCatalog.h"

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

bool SameLetters(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string_view Trim(std::string_view t) {
    while (!t.empty() && std::isspace(static_cast<unsigned char>(t.front()))) t.remove_prefix(1);
    while (!t.empty() && std::isspace(static_cast<unsigned char>(t.back()))) t.remove_suffix(1);
    return t;
}

bool AllDigits(std::string_view t) {
    if (t.empty()) return false;
    for (char c : t)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

// "1.2kHz" -> 1200 with unit "Hz"; "-3 dB" -> -3 with unit "dB". False when no number leads.
bool SplitNumber(std::string_view t, double& value, std::string& unit) {
    const std::string s(t);
    char* end = nullptr;
    value = std::strtod(s.c_str(), &end);
    if (end == s.c_str()) return false;
    std::string_view rest = Trim(std::string_view(end));
    if (!rest.empty() && (rest.front() == 'k' || rest.front() == 'K')) {
        value *= 1000;
        rest = Trim(rest.substr(1));
    }
    unit = std::string(rest);
    return std::isfinite(value);
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
        case FieldDisplay::Scaled:
            return f.unit;
        default:
            return "";
    }
}

bool Fail(std::string* error, std::string text) {
    if (error) *error = std::move(text);
    return false;
}

// The code nearest to an engineering value, or false with the reason.
bool CodeOfValue(const FieldInfo& f, double v, uint32_t& code, std::string* error) {
    const auto inTable = [&](const auto& table) {
        if (v < table.front() * 0.999 || v > table.back() * 1.001)
            return Fail(error, f.path + ": " + Printf("%g", v) + " is outside " +
                                   Printf("%g", table.front()) + " .. " + Printf("%g", table.back()));
        code = static_cast<uint32_t>(NearestCode(table, v));
        return true;
    };
    switch (f.display) {
        case FieldDisplay::Frequency:
            return inTable(FrequencyTable());
        case FieldDisplay::Crossover:
            return inTable(CrossoverTable());
        case FieldDisplay::Q:
            return inTable(QTable());
        case FieldDisplay::Gain: {
            const double c = std::round((v + 24) / 0.2);
            if (c < 0) return Fail(error, f.path + ": " + Printf("%g", v) + " dB is below -24 dB");
            code = static_cast<uint32_t>(c);
            return true;
        }
        case FieldDisplay::Scaled: {
            const double c = std::round((v + f.bias) / f.scale);
            if (c < 0) return Fail(error, f.path + ": " + Printf("%g", v) + " is below " + FormatCode(f, 0));
            code = static_cast<uint32_t>(c);
            return true;
        }
        default:
            return Fail(error, f.path + ": takes a code or a name, not a value in units");
    }
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
            return Printf("%.1f dB", code * 0.2 - 24);
        case FieldDisplay::Q:
            return Printf("%g", QTable()[code]);
        case FieldDisplay::Items:
        case FieldDisplay::Release:
            return LabelsOf(f)[code];
        case FieldDisplay::Ratio:
            return std::string(RatioLabels[code]) + ":1";
        case FieldDisplay::Attack:
            return std::string(AttackLabels[code]) + " ms";
        case FieldDisplay::Scaled: {
            if (f.zeroIsOff && code == 0) return "OFF";
            const double v = code * f.scale - f.bias;
            const std::string format = "%." + std::to_string(f.decimals) + "f";
            // No "-0" for a value that rounds to zero.
            return WithUnit(Printf(format.c_str(), std::fabs(v) < 1e-9 ? 0.0 : v), f.unit);
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
    const std::string_view text = Trim(input);
    if (!f.HasCode()) {
        Fail(error, f.path + ": holds characters or bytes, not a code");
        return std::nullopt;
    }
    std::optional<uint32_t> code;
    // A plain whole number is the raw code, always; anything else is a name, a label or a value.
    if (AllDigits(text)) {
        if (text.size() > 9) {
            Fail(error, f.path + ": " + std::string(text) + " is outside " + std::to_string(f.min) + ".." +
                            std::to_string(f.max));
            return std::nullopt;
        }
        code = static_cast<uint32_t>(std::strtoul(std::string(text).c_str(), nullptr, 10));
    }
    // Names and labels as FormatCode writes them: "ON", "Atk X4", "16 ms", "2.0:1".
    const std::span<const char* const> labels = LabelsOf(f);
    for (size_t i = 0; i < labels.size() && !code; ++i)
        if (SameLetters(text, labels[i]) || SameLetters(text, FormatCode(f, static_cast<uint32_t>(i))) ||
            (f.display == FieldDisplay::Attack && SameLetters(text, std::string(labels[i]) + "ms")))
            code = static_cast<uint32_t>(i);
    if (!code && f.zeroIsOff && SameLetters(text, "OFF")) code = 0;
    if (!code) {
        double value = 0;
        std::string unit;
        if (!SplitNumber(text, value, unit)) {
            Fail(error, f.path + ": \"" + std::string(text) + "\" is neither a code nor a value");
            return std::nullopt;
        }
        if (!unit.empty() && !SameLetters(unit, UnitOf(f))) {
            Fail(error, f.path + ": \"" + unit + "\" is not its unit" +
                            (*UnitOf(f) ? std::string(" (") + UnitOf(f) + ")" : std::string()));
            return std::nullopt;
        }
        uint32_t c = 0;
        if (!CodeOfValue(f, value, c, error)) return std::nullopt;
        code = c;
    }
    if (!InRange(f, *code)) {
        Fail(error, f.path + ": " + std::string(text) + " is outside " + FormatCode(f, f.min) + " .. " +
                        FormatCode(f, f.max));
        return std::nullopt;
    }
    return code;
}

}  // namespace pavo
