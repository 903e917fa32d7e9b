#pragma once
// One field edit from the remote control: the value as a request carries it, the checks that keep the
// model and the unit in step, and the write itself.
//
// Values take every round-trip-safe form of the field catalog: what the service prints comes back as
// the same code.
//     "-3dB", "ON", "F2", "code:105"           text, as ParseCode reads it
//     -3, true                                  a number in the field's unit, a boolean for a switch
//     {"code": 105, "number": -3.0, "unit": "dB", "display": "-3.0 dB"}
//                                               the typed form the service prints (FieldValue.h); the
//                                               typed member decides, a code beside it must agree
//     {"code": 105}                             a raw code alone
#include <cstdint>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "model/FieldCatalog.h"
#include "model/Model.h"

namespace pavo::remote {

struct ValueError {
    bool malformed = false;  // not a value form at all (a request error), else a value out of range
    std::string message;
};

// The code `value` stands for in `field`; every number checked against the range before it becomes a
// code.
std::optional<uint32_t> CodeOfJson(const FieldInfo& field, const nlohmann::json& value, ValueError* error);

// Why `field` cannot take `code` as one edit of the model as it is now; none when it can. Call under
// the model lock, right before the write, so that the edited scene and the maxima checked are the
// ones the edit meets:
//  - fields without a code (names, passwords, spare bytes);
//  - the program number (a recall changes it) and the other fields the scanner never sends alone;
//  - output channels of a scene other than the edited one;
//  - channel links (their page copies a channel along with them);
//  - a master level above its maximum.
std::optional<std::string> RefusalOf(const Model& model, const FieldInfo& field, uint32_t code);

// The code into the model's current records, as a page stores it; a maximum lowered below its master
// level takes the level down with it (the mute stays as it is). Call under the model lock; the band
// sets are told afterwards with model.RecordsReplaced().
void WriteField(Model& model, const FieldInfo& field, uint32_t code);

// The field's code in the model's current records (under the model lock).
uint32_t CodeIn(const Model& model, const FieldInfo& field);

}  // namespace pavo::remote
