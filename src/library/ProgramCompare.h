#pragma once
// Which fields differ between two programs, grouped by the page that shows them: what the preset
// library lists when an entry is compared with the current program, and what its report groups by.
#include <cstdint>
#include <span>
#include <vector>

#include "model/Blocks.h"
#include "model/FieldCatalog.h"

namespace pavo {

// The pages of the main window a field belongs to, in the order the library shows them. "Program" holds
// what no page edits on its own (the name, the scene choice, the spare link); the centre, subwoofer and
// surround channels have pages of their own.
enum class SettingsPage : uint8_t {
    Program,
    Music,
    DynEq,
    Mic,
    Out12,
    Out34,
    System,
    Effect,
    Center,
    Sub,
    Surround
};
constexpr int kSettingsPageCount = 11;

SettingsPage PageOf(const FieldInfo& field);

// One side of a comparison: a program image and, where the entry carries one, a system record.
struct ProgramSide {
    const ProgramImage* image = nullptr;
    const SystemRecord* system = nullptr;
};

struct FieldDifference {
    const FieldInfo* field = nullptr;
    SettingsPage page = SettingsPage::Program;
};

// Whether the field's bits are the same in both records.
bool SameField(const FieldInfo& field, const uint8_t* a, const uint8_t* b);

// The fields whose bits differ, by page (in page order), in byte order within a page. System fields
// count only when both sides have a system record. The check byte is left out: it follows from the
// other bytes and is no setting.
std::vector<FieldDifference> CompareSides(const ProgramSide& a, const ProgramSide& b);

// Every field a report lists, by page as above (the check byte left out).
std::vector<FieldDifference> FieldsByPage(bool withSystem);

}  // namespace pavo
