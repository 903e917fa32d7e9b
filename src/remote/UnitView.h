#pragma once
// What the remote control shows of a unit, as a copy taken under the model lock, and its JSON forms:
// the page's state, changed fields, curves and meters. Building JSON from a copy keeps the model lock
// short and lets any thread do it.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "model/Blocks.h"
#include "model/FieldCatalog.h"
#include "model/StatusState.h"

namespace pavo {
class Unit;
}

namespace pavo::remote {

struct UnitView {
    ProgramImage current{};
    SystemRecord system{};
    std::array<std::array<uint8_t, kProgramNameLength>, kProgramCount> names{};  // the unit's programs
    bool connected = false;
    bool busy = false;  // a transfer holds the unit
    int editedScene = 1;
    std::array<uint8_t, kStatusMeterCount> levels{};
    std::array<uint8_t, kStatusMeterCount> indicators{};
};

// A copy of the unit as it is now (takes the send lock, then the model lock, each briefly).
UnitView ViewOf(Unit& unit);

// The fields the page shows: masters with their maxima and mutes, the microphone levels, feedback
// suppression, key shift, echo and reverb levels, the input selection.
const std::vector<const FieldInfo*>& PanelFields();

// {"code": 105, "number": -3.0, "unit": "dB", "display": "-3.0 dB"}; "boolean" for switches, "text"
// for names (FieldValue.h's typed form, the code beside it, and the text people read).
nlohmann::json ValueJson(const FieldInfo& field, uint32_t code);
// ValueJson with the field's range: "min" and "max" codes, "range" as people read it, and for short
// ranges "labels", the text of every code from min to max.
nlohmann::json FieldJson(const FieldInfo& field, uint32_t code);
uint32_t CodeIn(const UnitView& view, const FieldInfo& field);

// {"connected", "busy", "scene", "program": {"number", "label", "name"}, "programs": [...21]}
nlohmann::json StatusJson(const UnitView& view);
// {"on": connected, "levels": [12], "indicators": [12]}
nlohmann::json MetersJson(const UnitView& view);
// Everything the page needs: StatusJson's members, "panel" (FieldJson of every panel field) and
// "meters".
nlohmann::json StateJson(const UnitView& view, int unitIndex);

// The fields whose bits differ between two views, in catalog order.
std::vector<const FieldInfo*> ChangedFields(const UnitView& before, const UnitView& after);
// The EQ blocks (0..17) whose response differs between two views.
std::vector<int> ChangedCurves(const UnitView& before, const UnitView& after);

// {"block", "scene", "levels": [420 dB values]}; with `withGrid` also "frequencies" (Hz). Null for a
// block number outside 0..17.
nlohmann::json CurveJson(const ProgramImage& image, int block, int scene, bool withGrid);
// The response grid in Hz, rounded for the page.
nlohmann::json GridJson();

// JSON text, with bytes that are not UTF-8 replaced rather than thrown at.
std::string Dump(const nlohmann::json& j);

}  // namespace pavo::remote
