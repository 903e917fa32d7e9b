// The dialog templates of the echo page (147) and the reverb page (148), from their layouts, in
// dialog units (one unit is 1.75 pixels with the template font). The seven band strips sit at the
// left (placed in pixels by the page); the levels, filters and EQ buttons fill the column to their
// right and the time sliders the column beside it. The container shows the graph under the page.
#include "pages/EffectPage.h"

namespace pavo {

namespace {

using K = ControlKind;

constexpr QSize kPageSize{660, 166};
constexpr int kColumn1 = 268, kColumn2 = 462;
constexpr int kSliderWidth = 105, kValueDx = 108, kSwitchDx = 142;
constexpr int kRowPitch = 30;

}  // namespace

DialogTemplate EffectPage::MakeTemplate(const EffectLayout& l) {
    DialogTemplate t{l.templateId, kPageSize, {}};
    auto add = [&](int id, ControlKind kind, QRect rect, const char* caption = "") {
        t.controls.push_back({id, kind, rect, caption, true});
    };
    auto valueRow = [&](const EffectValueRow& r, int x, int y) {
        add(r.caption, K::Static, {x, y, 100, 10});
        add(r.slider, K::BitmapStatic, {x, y + 12, kSliderWidth, 11});
        add(r.label, K::Static, {x + kValueDx, y + 12, 40, 10});
    };

    // Row captions of the band strips, level with the strips' type, gain, frequency and Q.
    const int rowY[4] = {14, 28, 112, 124};
    for (int r = 0; r < 4; ++r) add(l.rowCaptions[r], K::Static, {2, rowY[r], 32, 10});

    // Wet and dry levels with their switches.
    valueRow(l.wet, kColumn1, 4);
    add(l.wetSwitch, K::Button, {kColumn1 + kSwitchDx, 17, 11, 9});
    valueRow(l.dry, kColumn1, 4 + kRowPitch);
    add(l.drySwitch, K::Button, {kColumn1 + kSwitchDx, 17 + kRowPitch, 11, 9});

    // High-pass and low-pass: caption and slope, then frequency slider and edit.
    int y = 4 + 2 * kRowPitch;
    for (const EffectFilterIds& f : {l.highPass, l.lowPass}) {
        add(f.caption, K::Static, {kColumn1, y + 1, 44, 10});
        add(f.combo, K::ComboBox, {kColumn1 + 46, y, 100, 12});
        add(f.slider, K::BitmapStatic, {kColumn1, y + 15, kSliderWidth, 11});
        add(f.edit, K::Edit, {kColumn1 + kValueDx, y + 15, 40, 11});
        y += 34;
    }
    add(l.eqReset, K::Button, {kColumn1, y + 2, 49, 14});
    add(l.eqPass, K::Button, {kColumn1 + 53, y + 2, 49, 14}, "EQ pass");

    // Times.
    for (size_t i = 0; i < l.times.size(); ++i)
        valueRow(l.times[i], kColumn2, 4 + kRowPitch * static_cast<int>(i));
    return t;
}

}  // namespace pavo
