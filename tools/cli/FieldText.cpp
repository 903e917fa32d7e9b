#include "FieldText.h"

#include <cstring>

#include "model/FieldValue.h"
#include "protocol/TrafficText.h"

namespace pavo::cli {

using json = nlohmann::ordered_json;

std::string ShownValue(const FieldInfo& f, const uint8_t* record) {
    if (f.display == FieldDisplay::Text) return QuotedName({record + f.offset, f.width});
    return FormatField(f, record);
}

json JsonOfCode(const FieldInfo& f, uint32_t code) {
    const TypedValue v = TypedValueOf(f, code);
    json out = {{"code", code}};
    switch (v.kind) {
        case TypedValue::Kind::Number:
            out["number"] = v.number;
            out["unit"] = v.unit;
            break;
        case TypedValue::Kind::Boolean:
            out["boolean"] = v.boolean;
            break;
        case TypedValue::Kind::Text:
            out["text"] = v.text;
            break;
    }
    return out;
}

json JsonValue(const FieldInfo& f, const uint8_t* record) {
    const std::string hex = HexBytes({record + f.offset, f.width});
    if (f.display == FieldDisplay::Opaque) return {{"hex", hex}};
    // The text as far as it goes (up to a zero byte, trimmed); the bytes themselves in hex.
    if (f.display == FieldDisplay::Text) return {{"text", FormatField(f, record)}, {"hex", hex}};
    return JsonOfCode(f, ReadCode(f, record));
}

bool LooksLikeJson(const std::string& text) {
    return (!text.empty() && text.front() == '{') || text == "true" || text == "false";
}

std::optional<uint32_t> CodeOfJson(const FieldInfo& f, const json& value, std::string* error) {
    const auto fail = [&](const std::string& why) -> std::optional<uint32_t> {
        if (error) *error = f.path + ": " + why;
        return std::nullopt;
    };
    if (value.is_boolean()) return CodeOfTypedValue(f, TypedValue::OfBoolean(value.get<bool>()), error);
    if (!value.is_object()) return fail(value.dump() + " is not a value as get --json prints it");
    std::optional<uint32_t> code;
    if (value.contains("code")) {
        const json& c = value["code"];
        if (!c.is_number_integer() || c.get<int64_t>() < 0 || c.get<int64_t>() > UINT32_MAX)
            return fail(c.dump() + " is not a code");
        code = ParseCode(f, "code:" + std::to_string(c.get<int64_t>()), error);
        if (!code) return std::nullopt;
    }
    std::optional<TypedValue> typed;
    if (value.contains("number")) {
        if (!value["number"].is_number()) return fail(value["number"].dump() + " is not a number");
        const json unit = value.value("unit", json(""));
        if (!unit.is_string()) return fail(unit.dump() + " is not a unit");
        typed = TypedValue::OfNumber(value["number"].get<double>(), unit.get<std::string>());
    } else if (value.contains("boolean")) {
        if (!value["boolean"].is_boolean()) return fail(value["boolean"].dump() + " is not true or false");
        typed = TypedValue::OfBoolean(value["boolean"].get<bool>());
    } else if (value.contains("text")) {
        if (!value["text"].is_string()) return fail(value["text"].dump() + " is not a text");
        typed = TypedValue::OfText(value["text"].get<std::string>());
    }
    if (!typed) {
        if (!code) return fail(value.dump() + " has no code, number, boolean or text");
        return code;
    }
    const auto fromTyped = CodeOfTypedValue(f, *typed, error);
    if (!fromTyped) return std::nullopt;
    if (code && *code != *fromTyped)
        return fail(value.dump() + " gives code " + std::to_string(*fromTyped) + ", not its code " +
                    std::to_string(*code));
    return fromTyped;
}

bool SameField(const FieldInfo& f, const uint8_t* a, const uint8_t* b) {
    if (!f.HasCode()) return std::memcmp(a + f.offset, b + f.offset, f.width) == 0;
    return ReadCode(f, a) == ReadCode(f, b);
}

}  // namespace pavo::cli
