// Dialog resource 144: the dynamic EQ page's controls in dialog units (one unit is 1.75 pixels with
// the template font). The buttons along the top, the graph across the page under them, and one panel
// per band below: its EQ part (captions, type, frequency, gain, Q, gain slider) and its compressor.
#include "pages/DEQ_Dlg.h"

namespace pavo {

namespace {

using K = ControlKind;
using D = DEQ_Dlg;

constexpr int kPanelTop = 210, kPanelLeft = 4, kPanelPitch = 238;
constexpr int kCaptionWidth = 42, kFieldX = 44, kFieldWidth = 40;
constexpr int kCompressorX = 116, kCompressorPitch = 28;
constexpr int kSliderWidth = 105, kValueX = 182, kValueWidth = 39;

DialogTemplate MakeTemplate() {
    DialogTemplate t{D::IDD, QSize(718, 345), {}};
    auto add = [&](int id, ControlKind kind, QRect rect, const char* caption = "") {
        t.controls.push_back({id, kind, rect, caption, true});
    };

    const int buttons[] = {D::IDC_SYNC, D::IDC_MUSIC_LEFT, D::IDC_MUSIC_RIGHT, D::IDC_EQ_RESET};
    for (int i = 0; i < 4; ++i) add(buttons[i], K::Button, {4 + 53 * i + (i == 3 ? 19 : 0), 4, 49, 14});
    add(D::IDC_GRAPH, K::Custom, {3, 22, 712, 180});

    static const char* const kNumbers[D::kBands] = {"1", "2", "3"};
    for (int i = 0; i < D::kBands; ++i) {
        const int x = kPanelLeft + kPanelPitch * i, y = kPanelTop;
        add(D::IDC_NUMBER + i, K::Static, {x, y, 16, 10}, kNumbers[i]);
        // EQ part: caption and field rows, then the gain slider.
        const int captions[] = {2200 + i, 2210 + i, 2220 + i, 2230 + i};
        const int fields[] = {D::IDC_TYPE + i, D::IDC_FREQUENCY + i, D::IDC_GAIN_EDIT + i, D::IDC_Q + i};
        for (int r = 0; r < 4; ++r) {
            const int ry = y + 14 + 18 * r;
            add(captions[r], K::Static, {x, ry + 1, kCaptionWidth, 10});
            if (r == 0)
                add(fields[r], K::ComboBox, {x + kFieldX, ry, kFieldWidth, 12});
            else
                add(fields[r], K::Edit, {x + kFieldX, ry, kFieldWidth, 11});
        }
        add(D::IDC_GAIN_SLIDER + i, K::BitmapStatic, {x + 88, y + 10, 22, 70});
        // Compressor: caption with its value on one line, the slider under it.
        const int sliders[] = {D::IDC_THRESHOLD, D::IDC_ATTACK, D::IDC_RELEASE, D::IDC_RATIO};
        for (int r = 0; r < 4; ++r) {
            const int ry = y + 2 + kCompressorPitch * r;
            const int slider = sliders[r] + i;
            add(slider - 20, K::Static, {x + kCompressorX, ry, 66, 10});
            add(slider - 10, K::Static, {x + kValueX, ry, kValueWidth, 10});
            add(slider, K::BitmapStatic, {x + kCompressorX, ry + 11, kSliderWidth, 11});
        }
    }
    return t;
}

}  // namespace

const DialogTemplate& DEQ_Dlg::Template() {
    static const DialogTemplate t = MakeTemplate();
    return t;
}

}  // namespace pavo
