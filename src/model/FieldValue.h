#pragma once
// Field values as typed data, for machine-readable output and input (the command line's JSON, the
// remote control): a number with its unit in a member of its own, a switch as a boolean, names as text.
// No JSON here; a printer maps the members one to one and puts the raw code beside them:
//
//     {"code": 105, "number": -3.0, "unit": "dB"}     MusicLeft.Eq[3].GainCode
//     {"code": 7, "number": 0, "unit": ""}            System.KeyShift
//     {"code": 1, "boolean": true}                    Scene1.Out2.Mute (OFF / ON)
//     {"code": 18, "text": "F2"}                      System.ProgramNumber, item names, a gate's "OFF"
//
// Text and opaque fields have no code and keep their own forms. Below the typed form: the numeric core
// it shares with the text form of FieldCatalog.h (FormatCode / ParseCode), where every number is
// checked against the field's range in floating point before it becomes a code.
#include <cstdint>
#include <optional>
#include <string>

#include "model/FieldCatalog.h"

namespace pavo {

struct TypedValue {
    enum class Kind : uint8_t { Number, Boolean, Text };
    Kind kind = Kind::Text;
    double number = 0;     // Number: in `unit`, rounded as FormatCode prints it
    std::string unit;      // Number: "dB", "dBV", "Hz", "ms", "%", ":1" (ratios) or "" (Q, plain numbers)
    bool boolean = false;  // Boolean: ON
    std::string text;      // Text

    static TypedValue OfNumber(double number, std::string unit = {});
    static TypedValue OfBoolean(bool on);
    static TypedValue OfText(std::string text);
    bool operator==(const TypedValue&) const = default;
};

// The typed value of a code of a field with a code: a number where FormatCode shows one, a boolean for
// an OFF / ON switch, else FormatCode's text. A code outside the range gives FormatCode's text for it.
TypedValue TypedValueOf(const FieldInfo& field, uint32_t code);

// The code a typed value stands for, with the checks of ParseCode: a number in the field's unit (an
// empty unit means the field's own) taken to the nearest code, or a program number; a boolean for a
// switch; a text as ParseCode reads it. Nothing outside the field's range is accepted; `error` says why.
std::optional<uint32_t> CodeOfTypedValue(const FieldInfo& field, const TypedValue& value,
                                         std::string* error = nullptr);

// A one-bit OFF / ON field.
bool IsSwitch(const FieldInfo& field);
// The unit of the field's numbers; "" for plain numbers and for fields read by name.
const char* UnitOf(const FieldInfo& field);
// The number a code shows as, rounded as FormatCode prints it; none for the codes read by name (items,
// release labels, "OFF", programs) and for codes outside the range.
std::optional<double> NumberOfCode(const FieldInfo& field, uint32_t code);
// The code nearest to a number in the field's unit. The number is checked against the field's range
// first, in floating point: huge, infinite and NaN values are refused, never converted.
std::optional<uint32_t> CodeOfNumber(const FieldInfo& field, double value, std::string* error = nullptr);
// What the field takes, as people read it: "-10.0 dB .. 10.0 dB", "-77 dBV .. -18 dBV or OFF",
// "one of BY, P, LS, HS", "0 .. 16, F1 .. F5".
std::string RangeText(const FieldInfo& field);

}  // namespace pavo
