// Dialog resource 149: the output page's controls in dialog units (one unit is 1.75 pixels with the
// template font). The ten band strips sit at the top left (placed in pixels by the page), the graph
// under them; the buttons, the mix, the filters and the delays fill the column to their right and the
// limiter and the mutes the column beside it.
#include "pages/MainDlg.h"

namespace pavo {

namespace {

using K = ControlKind;
using M = MainDlg;

constexpr bool kHidden = false;

constexpr int kButtonRow = 4;
constexpr int kButtonPitch = 53;
constexpr int kColumn1 = 352, kColumn2 = 540;
constexpr int kSliderWidth = 105, kCaptionHeight = 10, kSliderHeight = 11;
constexpr int kValueDx = 108;  // value label right of its slider
constexpr int kSwitchDx = 140;
constexpr int kMixRow[M::kSources] = {28, 58, 58, 58, 58};  // echo and reverb lie hidden under the mic row
constexpr int kLimiterRow = 42, kLimiterPitch = 28;
constexpr int kHpfRow = 90, kLpfRow = 124;
constexpr int kSecondDelayRow = 160, kFirstDelayRow = 190;
constexpr int kMuteRow = 165;

DialogTemplate MakeTemplate() {
    DialogTemplate t{M::IDD, QSize(718, 345), {}};
    auto add = [&](int id, ControlKind kind, QRect rect, const char* caption = "", bool visible = true) {
        t.controls.push_back({id, kind, rect, caption, visible});
    };

    // Row captions of the band strips, level with the strips' type, gain, frequency and Q.
    add(1406, K::Static, {2, 14, 32, kCaptionHeight});
    add(1407, K::Static, {2, 28, 32, kCaptionHeight});
    add(1408, K::Static, {2, 112, 32, kCaptionHeight});
    add(1409, K::Static, {2, 124, 32, kCaptionHeight});
    add(M::IDC_GRAPH, K::Custom, {3, 146, 340, 196});

    // Channel choice, link, EQ reset and bypass; the scene buttons are never shown.
    const int buttons[] = {M::IDC_SECOND_CHANNEL, M::IDC_FIRST_CHANNEL, M::IDC_SYNC, M::IDC_EQ_RESET,
                           M::IDC_EQ_PASS};
    for (int i = 0; i < 5; ++i)
        add(buttons[i], K::Button, {kColumn1 + kButtonPitch * i + (i >= 3 ? 19 : 0), kButtonRow, 49, 14},
            buttons[i] == M::IDC_EQ_PASS ? "EQ Pass" : "");
    for (int i = 0; i < M::kScenes; ++i)
        add(M::IDC_SCENE_FIRST + i, K::Button, {kColumn1 + kButtonPitch * i, kButtonRow, 49, 14}, "",
            kHidden);

    // Mix of the sources into the selected channel: caption, then slider, value and switch.
    for (int s = 0; s < M::kSources; ++s) {
        const int y = kMixRow[s];
        const bool visible = s < 2;
        const int slider = M::IDC_SOURCE_SLIDER + s;
        add(1252 + 3 * s, K::Static, {kColumn1, y, 100, kCaptionHeight}, "", visible);
        add(slider, K::BitmapStatic, {kColumn1, y + 12, kSliderWidth, kSliderHeight}, "", visible);
        add(M::LabelOfSlider(slider), K::Static, {kColumn1 + kValueDx, y + 12, 30, kCaptionHeight}, "",
            visible);
        add(M::IDC_SOURCE_SWITCH + s, K::Button, {kColumn1 + kSwitchDx, y + 13, 11, 9}, "", visible);
    }

    // High-pass and low-pass: caption and slope, then frequency slider and edit.
    struct FilterRow {
        int caption, combo, slider, edit, y;
    };
    for (const FilterRow& f :
         {FilterRow{1286, M::IDC_HPF_COMBO, M::IDC_HPF_SLIDER, M::IDC_HPF_EDIT, kHpfRow},
          FilterRow{1410, M::IDC_LPF_COMBO, M::IDC_LPF_SLIDER, M::IDC_LPF_EDIT, kLpfRow}}) {
        add(f.caption, K::Static, {kColumn1, f.y + 1, 40, kCaptionHeight});
        add(f.combo, K::ComboBox, {kColumn1 + 44, f.y, 100, 12});
        add(f.slider, K::BitmapStatic, {kColumn1, f.y + 15, kSliderWidth, kSliderHeight});
        add(f.edit, K::Edit, {kColumn1 + kValueDx, f.y + 15, 40, kSliderHeight});
    }

    // Delays, the second channel's first: caption, value, distance, then the slider.
    struct DelayRow {
        int caption, label, distance, slider, y;
    };
    for (const DelayRow& d : {DelayRow{M::IDC_SECOND_DELAY_CAPTION, M::IDC_SECOND_DELAY_LABEL,
                                       M::IDC_SECOND_DISTANCE, M::IDC_SECOND_DELAY, kSecondDelayRow},
                              DelayRow{M::IDC_FIRST_DELAY_CAPTION, M::IDC_FIRST_DELAY_LABEL,
                                       M::IDC_FIRST_DISTANCE, M::IDC_FIRST_DELAY, kFirstDelayRow}}) {
        add(d.caption, K::Static, {kColumn1, d.y, 60, kCaptionHeight});
        add(d.label, K::Static, {kColumn1 + 62, d.y, 40, kCaptionHeight});
        add(d.distance, K::Static, {kColumn1 + 104, d.y, 44, kCaptionHeight});
        add(d.slider, K::BitmapStatic, {kColumn1, d.y + 12, kSliderWidth, kSliderHeight});
    }

    // Limiter of the pair, in the first channel.
    add(1267, K::Static, {kColumn2, 28, 160, kCaptionHeight});
    for (int i = 0; i < 4; ++i) {
        const int y = kLimiterRow + kLimiterPitch * i;
        const int slider = M::IDC_LIMITER_SLIDER + i;
        add(1268 + 3 * i, K::Static, {kColumn2, y, 100, kCaptionHeight});
        add(slider, K::BitmapStatic, {kColumn2, y + 12, kSliderWidth, kSliderHeight});
        add(M::LabelOfSlider(slider), K::Static, {kColumn2 + kValueDx, y + 12, 50, kCaptionHeight});
    }

    // Mutes, the second channel's first.
    add(M::IDC_SECOND_MUTE, K::Button, {kColumn2, kMuteRow, 49, 14});
    add(M::IDC_FIRST_MUTE, K::Button, {kColumn2 + kButtonPitch, kMuteRow, 49, 14});
    return t;
}

}  // namespace

const DialogTemplate& MainDlg::Template() {
    static const DialogTemplate t = MakeTemplate();
    return t;
}

int MainDlg::LabelOfSlider(int sliderId) {
    if (sliderId >= IDC_SOURCE_SLIDER && sliderId < IDC_SOURCE_SLIDER + kSources)
        return 1253 + 3 * (sliderId - IDC_SOURCE_SLIDER);
    if (sliderId >= IDC_LIMITER_SLIDER && sliderId < IDC_LIMITER_SLIDER + 4)
        return 1269 + 3 * (sliderId - IDC_LIMITER_SLIDER);
    if (sliderId == IDC_FIRST_DELAY) return IDC_FIRST_DELAY_LABEL;
    if (sliderId == IDC_SECOND_DELAY) return IDC_SECOND_DELAY_LABEL;
    return 0;
}

}  // namespace pavo
