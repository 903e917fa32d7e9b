#include "library/ProgramCompare.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace pavo {

namespace {

SettingsPage PageOfPath(std::string_view path, FieldRecord record) {
    if (record == FieldRecord::System) return SettingsPage::System;
    const std::string_view first = path.substr(0, path.find('.'));
    if (first.starts_with("Scene")) {
        // Output channels by name, after the scene: "Scene2.Out1.Mute".
        std::string_view rest = path.substr(first.size() + 1);
        const std::string_view channel = rest.substr(0, rest.find('.'));
        if (channel == "Out1" || channel == "Out2") return SettingsPage::Out12;
        if (channel == "Out3" || channel == "Out4") return SettingsPage::Out34;
        if (channel == "Center") return SettingsPage::Center;
        if (channel == "SUB") return SettingsPage::Sub;
        return SettingsPage::Surround;
    }
    if (first == "MusicLeft" || first == "MusicRight")
        return path.find(".DynEq[") != std::string_view::npos ? SettingsPage::DynEq : SettingsPage::Music;
    if (first == "MusicLink") return SettingsPage::Music;
    if (first == "Mic12" || first == "Mic34" || first == "MicLink") return SettingsPage::Mic;
    if (first == "EchoA" || first == "EchoB" || first == "Reverb" || first == "ReverbSpare")
        return SettingsPage::Effect;
    if (first == "Out12Link") return SettingsPage::Out12;
    if (first == "Out34Link") return SettingsPage::Out34;
    if (first == "SurroundLink") return SettingsPage::Surround;
    return SettingsPage::Program;  // ProgramName, ActiveScene, SpareLink, CheckByte
}

// The page of every catalog field, by its index in Fields().
const std::vector<SettingsPage>& Pages() {
    static const std::vector<SettingsPage> pages = [] {
        std::vector<SettingsPage> out;
        for (const FieldInfo& f : Fields()) out.push_back(PageOfPath(f.path, f.record));
        return out;
    }();
    return pages;
}

bool IsCheckByte(const FieldInfo& f) {
    return f.record == FieldRecord::Program && f.offset == offsetof(ProgramImage, CheckByte);
}

void SortByPage(std::vector<FieldDifference>& fields) {
    std::stable_sort(fields.begin(), fields.end(),
                     [](const FieldDifference& a, const FieldDifference& b) { return a.page < b.page; });
}

}  // namespace

SettingsPage PageOf(const FieldInfo& field) {
    const std::span<const FieldInfo> all = Fields();
    if (&field >= all.data() && &field < all.data() + all.size()) return Pages()[&field - all.data()];
    return PageOfPath(field.path, field.record);
}

bool SameField(const FieldInfo& f, const uint8_t* a, const uint8_t* b) {
    if (f.width == 1) return ((a[f.offset] ^ b[f.offset]) & f.mask) == 0;
    return std::memcmp(a + f.offset, b + f.offset, f.width) == 0;
}

std::vector<FieldDifference> CompareSides(const ProgramSide& a, const ProgramSide& b) {
    std::vector<FieldDifference> out;
    const std::span<const FieldInfo> all = Fields();
    const std::vector<SettingsPage>& pages = Pages();
    const bool withSystem = a.system && b.system;
    const uint8_t* pa = BytesOf(*a.image);
    const uint8_t* pb = BytesOf(*b.image);
    const uint8_t* sa = withSystem ? BytesOf(*a.system) : nullptr;
    const uint8_t* sb = withSystem ? BytesOf(*b.system) : nullptr;
    for (size_t i = 0; i < all.size(); ++i) {
        const FieldInfo& f = all[i];
        const bool program = f.record == FieldRecord::Program;
        if (!program && !withSystem) break;  // the system fields come last
        if (IsCheckByte(f)) continue;
        if (!SameField(f, program ? pa : sa, program ? pb : sb)) out.push_back({&f, pages[i]});
    }
    SortByPage(out);
    return out;
}

std::vector<FieldDifference> FieldsByPage(bool withSystem) {
    std::vector<FieldDifference> out;
    const std::span<const FieldInfo> all = Fields();
    for (size_t i = 0; i < all.size(); ++i) {
        if (IsCheckByte(all[i]) || (!withSystem && all[i].record == FieldRecord::System)) continue;
        out.push_back({&all[i], Pages()[i]});
    }
    SortByPage(out);
    return out;
}

}  // namespace pavo
