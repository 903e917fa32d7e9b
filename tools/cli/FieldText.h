#pragma once
// Field values as pavo-cli prints them: the catalog's engineering units, program names and passwords
// quoted (bytes that are not printable ASCII as \xNN), opaque bytes in hex; and the same as JSON.
#include <cstdint>
#include <string>

#include "model/FieldCatalog.h"

namespace pavo::cli {

// "1000 Hz", "-3.0 dB", "\"Hall\"", "00 00 1F".
std::string ShownValue(const FieldInfo& field, const uint8_t* record);
// One JSON object: {"code": 105, "value": "-3.0 dB"}, or {"text": "Hall", "hex": "48 61 ..."}, or
// {"hex": "..."}.
std::string JsonValue(const FieldInfo& field, const uint8_t* record);
std::string JsonString(const std::string& text);
// Whether the field's bits are the same in both records.
bool SameField(const FieldInfo& field, const uint8_t* a, const uint8_t* b);

}  // namespace pavo::cli
