#pragma once
// Field values as pavo-cli prints them: the catalog's engineering units, program names and passwords
// quoted (bytes that are not printable ASCII as \xNN), opaque bytes in hex; and the same as JSON, in
// one shape for every field (see the README's JSON note).
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "model/FieldCatalog.h"

namespace pavo::cli {

// "1000 Hz", "-3.0 dB", "\"Hall\"", "00 00 1F".
std::string ShownValue(const FieldInfo& field, const uint8_t* record);
// {"code": 105, "number": -3.0, "unit": "dB"}, {"code": 1, "boolean": true}, {"code": 18, "text": "F2"};
// text fields {"text": "Hall", "hex": "48 61 ..."}, opaque bytes {"hex": "..."}.
nlohmann::ordered_json JsonValue(const FieldInfo& field, const uint8_t* record);
nlohmann::ordered_json JsonOfCode(const FieldInfo& field, uint32_t code);
// The code a value as JsonValue prints it stands for ("true" and "{...}" as typed on a command line,
// or a parsed document), checked as ParseCode checks text. A "code" member beside a typed value must
// agree with it. None, with `error` set, when it is refused.
std::optional<uint32_t> CodeOfJson(const FieldInfo& field, const nlohmann::ordered_json& value,
                                   std::string* error);
// Whether a value typed on a command line is in the JSON form ("{...}", true, false).
bool LooksLikeJson(const std::string& text);
// Whether the field's bits are the same in both records.
bool SameField(const FieldInfo& field, const uint8_t* a, const uint8_t* b);

}  // namespace pavo::cli
