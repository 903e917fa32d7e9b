// Field values in and out: every code of the catalog through the text, raw and typed forms, the typed
// shape per kind, and values that must never become a code (huge, infinite, NaN, just outside).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

#include "model/FieldCatalog.h"
#include "model/FieldValue.h"

namespace pavo {

// How a failed expectation shows a typed value.
inline std::ostream& operator<<(std::ostream& out, const TypedValue& v) {
    switch (v.kind) {
        case TypedValue::Kind::Number:
            return out << "number " << v.number << " \"" << v.unit << "\"";
        case TypedValue::Kind::Boolean:
            return out << "boolean " << v.boolean;
        case TypedValue::Kind::Text:
            return out << "text \"" << v.text << "\"";
    }
    return out;
}

namespace {

// The strong test: printed then parsed, every code of every field comes back, in every form.
TEST(FieldValues, EveryCodeOfEveryFieldReadsBackFromTextRawAndTypedForms) {
    for (const FieldInfo& f : Fields()) {
        if (!f.HasCode()) continue;
        for (uint32_t code = f.min; code <= f.max; ++code) {
            const std::string text = FormatCode(f, code);
            std::string error;
            ASSERT_EQ(ParseCode(f, text, &error), code) << f.path << " \"" << text << "\": " << error;
            ASSERT_EQ(ParseCode(f, "code:" + std::to_string(code)), code) << f.path;
            const TypedValue typed = TypedValueOf(f, code);
            ASSERT_EQ(CodeOfTypedValue(f, typed, &error), code) << f.path << " " << typed << ": " << error;
            // The typed form says what the text says: the same number, the text itself, or ON / OFF.
            switch (typed.kind) {
                case TypedValue::Kind::Number:
                    ASSERT_EQ(std::strtod(text.c_str(), nullptr), typed.number) << f.path << " " << text;
                    ASSERT_EQ(typed.unit, UnitOf(f)) << f.path;
                    break;
                case TypedValue::Kind::Boolean:
                    ASSERT_EQ(text, typed.boolean ? "ON" : "OFF") << f.path;
                    break;
                case TypedValue::Kind::Text:
                    ASSERT_EQ(text, typed.text) << f.path;
                    break;
            }
        }
    }
}

TEST(FieldValues, EachKindHasItsTypedShape) {
    struct Case {
        const char* path;
        uint32_t code;
        TypedValue value;
    } cases[] = {
        {"MusicLeft.Eq[3].GainCode", 105, TypedValue::OfNumber(-3.0, "dB")},
        {"Mic12.MicLevel", 39, TypedValue::OfNumber(9.5, "dB")},
        {"MusicLeft.Gate.Threshold", 1, TypedValue::OfNumber(-77, "dBV")},
        {"MusicLeft.Gate.Threshold", 0, TypedValue::OfText("OFF")},
        {"Mic12.Eq[1].FrequencyCode", 2, TypedValue::OfNumber(20.5, "Hz")},
        {"Mic12.HighPass.FrequencyCode", 204, TypedValue::OfNumber(1000, "Hz")},
        {"Mic12.Eq[1].QCode", 10, TypedValue::OfNumber(0.71)},
        {"Mic34.Compressor.Attack", 0, TypedValue::OfNumber(0.5, "ms")},
        {"Mic34.Compressor.Ratio", 5, TypedValue::OfNumber(2.0, ":1")},
        {"Mic34.Compressor.Release", 1, TypedValue::OfText("Atk X4")},
        {"Scene1.Out1.Delay", 1, TypedValue::OfNumber(0.1, "ms")},
        {"EchoA.RightDelay", 0, TypedValue::OfNumber(-50, "%")},
        {"System.KeyShift", 7, TypedValue::OfNumber(0)},
        {"System.KeyShift", 0, TypedValue::OfNumber(-7)},
        {"System.MicMaster.Level", 60, TypedValue::OfNumber(60)},
        {"Scene1.Out2.Mute", 1, TypedValue::OfBoolean(true)},
        {"System.MicMaster.Mute", 0, TypedValue::OfBoolean(false)},
        {"System.IrRemote", 1, TypedValue::OfText("Enable")},  // a choice of two, not OFF / ON
        {"Mic12.HighPass.SlopeCode", 8, TypedValue::OfText("24dB Butuerworth")},
        {"System.ProgramNumber", 18, TypedValue::OfText("F2")},
        {"System.ProgramNumber", 5, TypedValue::OfText("5")},
        {"Mic12.Eq[1].GainCode", 250, TypedValue::OfText("250 (outside 0..240)")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.path) + " code " + std::to_string(c.code));
        EXPECT_EQ(TypedValueOf(*FindField(c.path), c.code), c.value);
    }
}

TEST(FieldValues, TypedInputTakesNumbersInTheFieldsUnitSwitchesAndTextAndRefusesTheRest) {
    struct Case {
        const char* path;
        TypedValue value;
        std::optional<uint32_t> code;
        const char* error = "";
    } cases[] = {
        {"MusicLeft.Eq[3].GainCode", TypedValue::OfNumber(-3), 105},  // the field's unit when none is given
        {"MusicLeft.Eq[3].GainCode", TypedValue::OfNumber(-3.05, "dB"), 105},
        {"MusicLeft.Eq[3].GainCode", TypedValue::OfText("-3 dB"), 105},
        {"MusicLeft.Eq[3].GainCode", TypedValue::OfText("code:105"), 105},
        {"System.KeyShift", TypedValue::OfNumber(0), 7},
        {"System.ProgramNumber", TypedValue::OfNumber(18), 18},
        {"System.ProgramNumber", TypedValue::OfText("F2"), 18},
        {"Scene1.Out2.Mute", TypedValue::OfBoolean(true), 1},
        {"Scene1.Out2.Mute", TypedValue::OfText("off"), 0},
        {"MusicLeft.Gate.Threshold", TypedValue::OfText("OFF"), 0},
        {"MusicLeft.Eq[3].GainCode", TypedValue::OfNumber(-3, "db"), std::nullopt,
         "MusicLeft.Eq[3].GainCode: \"db\" is not its unit (dB)"},
        {"System.KeyShift", TypedValue::OfNumber(3, "dB"), std::nullopt,
         "System.KeyShift: \"dB\" is not its unit (it has none)"},
        {"Mic12.MicLevel", TypedValue::OfBoolean(true), std::nullopt,
         "Mic12.MicLevel: takes -10.0 dB .. 10.0 dB, not true or false"},
        {"Mic12.Eq[1].BandType", TypedValue::OfNumber(1), std::nullopt,
         "Mic12.Eq[1].BandType: takes one of BY, P, LS, HS, not a number"},
        {"Scene1.Out2.Mute", TypedValue::OfNumber(1), std::nullopt,
         "Scene1.Out2.Mute: takes one of OFF, ON, not a number"},
        {"System.ProgramNumber", TypedValue::OfNumber(17.5), std::nullopt,
         "System.ProgramNumber: 17.5 is outside 0 .. 16, F1 .. F5"},
        {"ProgramName", TypedValue::OfText("Hall"), std::nullopt,
         "ProgramName: holds characters or bytes, not a code"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.path) + " " + ::testing::PrintToString(c.value));
        std::string error;
        EXPECT_EQ(CodeOfTypedValue(*FindField(c.path), c.value, &error), c.code) << error;
        EXPECT_EQ(error, c.error);
    }
}

// Values far outside every range used to wrap into it: the conversion took the double to an unsigned
// integer after checking only for a negative code. Each is refused with the range in engineering
// units, in the text and in the typed form; the tiny ones and negative zero are the zero they are.
TEST(FieldValues, HugeInfiniteNaNAndJustOutsideValuesAreRefusedWithTheRange) {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    struct Hostile {
        const char* text;
        double number;
        bool zero;  // reads as zero: taken where zero is in range
    } hostile[] = {
        {"1e308", 1e308, false},
        {"-1e308", -1e308, false},
        {"2147483650", 2147483650.0, false},
        {"4294967306", 4294967306.0, false},  // 2^32 + 10: wrapped to 10 as an unsigned code
        {"1e300", 1e300, false},
        {"1e10", 1e10, false},
        {"1e999", kInf, false},
        {"-1e999", -kInf, false},
        {"inf", kInf, false},
        {"-Infinity", -kInf, false},
        {"nan", kNaN, false},
        {"-nan", -kNaN, false},
        {"1e-300", 1e-300, true},
        {"-1e-300", -1e-300, true},
        {"1e-999", 0.0, true},
        {"-0", -0.0, true},
        {"-0.0", -0.0, true},
    };
    struct Kind {
        const char* path;
        const char* unit;
        std::vector<std::pair<const char*, double>> justOutside;
        std::optional<uint32_t> zeroCode;  // none where zero is outside the range
    } kinds[] = {
        {"Mic12.MicLevel", "dB", {{"-10.5", -10.5}, {"10.01", 10.01}, {"21", 21}}, 20},
        {"EchoA.Eq[1].GainCode", "dB", {{"-24.01", -24.01}, {"24.1", 24.1}}, 120},
        {"System.KeyShift", "", {{"-8", -8}, {"7.1", 7.1}}, 7},
        {"EchoA.RightPreDelay", "%", {{"-0.4", -0.4}, {"51", 51}}, 0},
        {"Scene1.Out1.Delay", "ms", {{"-0.1", -0.1}, {"150.1", 150.1}}, 0},
        {"MusicLeft.Gate.Threshold", "dBV", {{"-78", -78}, {"-17.9", -17.9}}, std::nullopt},
        {"Mic12.Eq[1].FrequencyCode", "Hz", {{"19.6", 19.6}, {"20601", 20601}}, std::nullopt},
        {"Mic12.HighPass.FrequencyCode", "Hz", {{"19", 19}, {"21k", 21000}}, std::nullopt},
        {"Mic12.Eq[1].QCode", "", {{"0.39", 0.39}, {"129", 129}}, std::nullopt},
        {"Mic34.Compressor.Ratio", ":1", {{"0.9", 0.9}, {"101", 101}}, std::nullopt},
        {"Mic34.Compressor.Attack", "ms", {{"0.4", 0.4}, {"401", 401}}, std::nullopt},
        {"System.MicMaster.Level", "", {{"-1", -1}, {"128", 128}}, 0},
    };
    for (const Kind& k : kinds) {
        const FieldInfo& f = *FindField(k.path);
        const std::string range = RangeText(f);
        std::vector<Hostile> values(std::begin(hostile), std::end(hostile));
        for (const auto& [text, number] : k.justOutside) values.push_back({text, number, false});
        for (const Hostile& h : values) {
            SCOPED_TRACE(std::string(k.path) + " " + h.text);
            const std::optional<uint32_t> expected = h.zero ? k.zeroCode : std::nullopt;
            for (const std::string& text : {std::string(h.text), std::string(h.text) + k.unit}) {
                std::string error;
                EXPECT_EQ(ParseCode(f, text, &error), expected) << text;
                if (!expected) {
                    EXPECT_EQ(error, f.path + ": " + text + " is outside " + range);
                }
            }
            std::string error;
            EXPECT_EQ(CodeOfTypedValue(f, TypedValue::OfNumber(h.number, k.unit), &error), expected);
            if (!expected) {
                EXPECT_EQ(error.rfind(f.path + ": ", 0), 0u) << error;
                EXPECT_NE(error.find(" is outside " + range), std::string::npos) << error;
            }
        }
    }
}

// Programs are named, not measured: only whole program numbers and F1..F5 are taken.
TEST(FieldValues, ProgramNumbersTakeBothNamesAndNothingElse) {
    const FieldInfo& f = *FindField("System.ProgramNumber");
    struct Text {
        const char* text;
        std::optional<uint32_t> code;
    } texts[] = {{"0", 0},
                 {"5", 5},
                 {"16", 16},
                 {"17", 17},
                 {"F1", 17},
                 {"f2", 18},
                 {"F5", 21},
                 {"code:18", 18},
                 {"22", std::nullopt},
                 {"F6", std::nullopt},
                 {"F0", std::nullopt},
                 {"-0", std::nullopt},
                 {"17.0", std::nullopt},
                 {"1e308", std::nullopt},
                 {"nan", std::nullopt}};
    for (const Text& t : texts) {
        std::string error;
        EXPECT_EQ(ParseCode(f, t.text, &error), t.code) << t.text;
        if (!t.code) {
            EXPECT_EQ(error, f.path + ": \"" + t.text + "\" is not 0 .. 16, F1 .. F5");
        }
    }
    struct Number {
        double number;
        std::optional<uint32_t> code;
    } numbers[] = {{0, 0},
                   {-0.0, 0},
                   {18, 18},
                   {21, 21},
                   {17.5, std::nullopt},
                   {22, std::nullopt},
                   {-1, std::nullopt},
                   {1e-300, std::nullopt},
                   {1e308, std::nullopt},
                   {std::numeric_limits<double>::infinity(), std::nullopt},
                   {std::numeric_limits<double>::quiet_NaN(), std::nullopt}};
    for (const Number& n : numbers) {
        std::string error;
        EXPECT_EQ(CodeOfTypedValue(f, TypedValue::OfNumber(n.number), &error), n.code) << n.number;
        if (!n.code) {
            EXPECT_NE(error.find(" is outside 0 .. 16, F1 .. F5"), std::string::npos) << error;
        }
    }
}

}  // namespace
}  // namespace pavo
