// Dialog resource 164: the system page's controls in dialog units (one unit is 1.75 pixels with the
// template font). The meter panel picture takes the top-left 504 x 270 pixels (about 288 x 154
// units); the settings sit to its right, the program commands and the password groups below.
#include "pages/SysDlg.h"

namespace pavo {

namespace {

using K = ControlKind;

constexpr bool kHidden = false;

// Rows of the settings group, and its two columns: caption, slider, value label | caption, combo.
constexpr int kRow[] = {24, 54, 84, 114};
constexpr int kHiddenRow = 136;
constexpr int kSliderCaptionX = 305, kSliderX = 395, kValueX = 503;
constexpr int kComboCaptionX = 545, kComboX = 632;

// Rows of the password change group.
constexpr int kOldRow = 260, kNewRow = 278, kConfirmRow = 296;

DialogTemplate MakeTemplate() {
    DialogTemplate t{SysDlg::IDD, QSize(718, 345), {}};
    auto add = [&](int id, ControlKind kind, QRect rect, bool visible = true) {
        t.controls.push_back({id, kind, rect, "", visible});
    };
    // Group boxes first: they stay behind what they frame.
    add(SysDlg::IDC_GROUP_SETTING, K::GroupBox, {297, 5, 418, 152});
    add(SysDlg::IDC_GROUP_MODE, K::GroupBox, {3, 162, 390, 164});
    add(SysDlg::IDC_GROUP_AUTHORITY, K::GroupBox, {400, 162, 315, 58});
    add(SysDlg::IDC_GROUP_PASSWORD, K::GroupBox, {400, 226, 315, 100});

    // Settings, left column: caption, slider, value label.
    struct SliderRow {
        int caption, slider, y;
        bool visible;
    };
    const SliderRow sliders[] = {
        {2501, SysDlg::IDC_MIC_MAX, kRow[0], true},
        {2502, SysDlg::IDC_MUSIC_MAX, kRow[1], true},
        {2507, SysDlg::IDC_VOD_GAIN, kRow[2], true},
        {2508, SysDlg::IDC_BGM_GAIN, kRow[3], true},
        {2500, SysDlg::IDC_EFFECT_MAX, kHiddenRow, kHidden},
        {2509, SysDlg::IDC_COAX_GAIN, kHiddenRow, kHidden},
        {2510, SysDlg::IDC_OPTI_GAIN, kHiddenRow, kHidden},
        {0, SysDlg::IDC_KEY_SHIFT, kHiddenRow, kHidden},
    };
    for (const SliderRow& r : sliders) {
        if (r.caption) add(r.caption, K::Static, {kSliderCaptionX, r.y + 1, 88, 10}, r.visible);
        add(r.slider, K::BitmapStatic, {kSliderX, r.y, 105, 11}, r.visible);
        add(r.slider - SysDlg::IDC_LABEL_OFFSET, K::Static, {kValueX, r.y + 1, 24, 10}, r.visible);
    }

    // Settings, right column: caption, combo box.
    struct ComboRow {
        int caption, combo, y;
        bool visible;
    };
    const ComboRow combos[] = {
        {2505, SysDlg::IDC_INPUT_SELECT, kRow[0], true},
        {2506, SysDlg::IDC_SENSITIVITY, kRow[1], true},
        {2503, SysDlg::IDC_PHANTOM, kRow[2], true},
        {2504, SysDlg::IDC_IR_REMOTE, kRow[3], kHidden},
    };
    for (const ComboRow& r : combos) {
        add(r.caption, K::Static, {kComboCaptionX, r.y + 1, 84, 10}, r.visible);
        add(r.combo, K::ComboBox, {kComboX, r.y, 74, 12}, r.visible);
    }

    // Programs of the unit and the file commands.
    add(2514, K::Static, {12, 183, 30, 10});
    add(SysDlg::IDC_PROGRAM_LIST, K::ComboBox, {44, 182, 110, 12});
    add(2515, K::Static, {166, 183, 30, 10});
    add(SysDlg::IDC_PROGRAM_NAME, K::Edit, {198, 182, 120, 12});
    const int buttons[3][2] = {{SysDlg::IDC_RECALL, SysDlg::IDC_STORE},
                               {SysDlg::IDC_EXPORT, SysDlg::IDC_IMPORT},
                               {SysDlg::IDC_EXPORT_ALL, SysDlg::IDC_IMPORT_ALL}};
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 2; ++col)
            add(buttons[row][col], K::Button, {12 + 188 * col, 212 + 38 * row, 183, 17});

    // Store authority: the system password check.
    add(1366, K::Static, {410, 181, 128, 10});
    add(SysDlg::IDC_VERIFY_EDIT, K::Edit, {542, 180, 70, 12});
    add(SysDlg::IDC_VERIFY_OK, K::Button, {620, 179, 29, 14});
    add(SysDlg::IDC_AUTHORITY_TEXT, K::Static, {410, 201, 200, 10});

    // System password change; the panel password change lies hidden under it.
    add(2513, K::Static, {410, 242, 200, 10});
    add(2592, K::Static, {420, kOldRow + 1, 100, 10});
    add(SysDlg::IDC_OLD_PASSWORD, K::Edit, {525, kOldRow, 70, 12});
    add(2593, K::Static, {420, kNewRow + 1, 100, 10});
    add(SysDlg::IDC_NEW_PASSWORD, K::Edit, {525, kNewRow, 70, 12});
    add(1370, K::Static, {420, kConfirmRow + 1, 100, 10});
    add(SysDlg::IDC_CONFIRM_PASSWORD, K::Edit, {525, kConfirmRow, 70, 12});
    add(SysDlg::IDC_MODIFY, K::Button, {610, kConfirmRow - 1, 49, 14});
    add(2512, K::Static, {410, 242, 200, 10}, kHidden);
    add(2590, K::Static, {420, kOldRow + 1, 100, 10}, kHidden);
    add(SysDlg::IDC_PANEL_OLD, K::Edit, {525, kOldRow, 70, 12}, kHidden);
    add(2591, K::Static, {420, kNewRow + 1, 100, 10}, kHidden);
    add(SysDlg::IDC_PANEL_NEW, K::Edit, {525, kNewRow, 70, 12}, kHidden);
    add(1371, K::Static, {420, kConfirmRow + 1, 100, 10}, kHidden);
    add(SysDlg::IDC_PANEL_CONFIRM, K::Edit, {525, kConfirmRow, 70, 12}, kHidden);
    add(SysDlg::IDC_PANEL_MODIFY, K::Button, {610, kConfirmRow - 1, 49, 14}, kHidden);

    // Level meters; the page puts them on the wells of the panel picture in pixels.
    for (int i = 0; i < SysDlg::kMeterCount; ++i) {
        const int id = SysDlg::IDC_METER_FIRST + i;
        const bool visible = !(id == 3906 || id == 3907 || id == 3910 || id == 3911);
        add(id, K::Custom, {24 + 32 * i, 32, 8, 102}, visible);
    }
    return t;
}

}  // namespace

const DialogTemplate& SysDlg::Template() {
    static const DialogTemplate t = MakeTemplate();
    return t;
}

}  // namespace pavo
