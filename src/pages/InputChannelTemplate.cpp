#include "pages/InputChannelTemplate.h"

#include "pages/InputChannelPage.h"

namespace pavo {

namespace {
using K = ControlKind;
constexpr int kRowPitch = 23;  // a named slider: text line, slider, gap
constexpr int kNameWidth = 68;
}  // namespace

void InputChannelTemplate::StripRowNames(int type, int gain, int frequency, int q) {
    // The strips stand 5 pixels (about 3 units) down the page; their rows at 11, 25, 109 and 121.
    const int ids[] = {type, gain, frequency, q};
    const int rows[] = {14, 28, 112, 124};
    for (int i = 0; i < 4; ++i) Add(ids[i], K::Static, {2, rows[i], 32, kTextHeight});
}

void InputChannelTemplate::UnderStrips(int trackbar, int trackbarWidth, int graph, int graphHeight) {
    Add(trackbar, K::Custom, {1, 143, trackbarWidth, 15});
    const int buttons[] = {InputChannelPage::IDC_SYNC, InputChannelPage::IDC_FIRST_CHANNEL,
                           InputChannelPage::IDC_SECOND_CHANNEL, InputChannelPage::IDC_EQ_RESET,
                           InputChannelPage::IDC_EQ_BYPASS};
    const int x[] = {14, 80, 145, 245, 313};
    for (int i = 0; i < 5; ++i) Add(buttons[i], K::Button, {x[i], 158, 50, 14});
    Add(graph, K::Custom, {6, 176, 706, graphHeight});
}

void InputChannelTemplate::ValueSlider(int x, int y, const NamedSlider& s) {
    Add(s.name, K::Static, {x, y, kNameWidth, kTextHeight});
    Add(s.label, K::Static, {x + kNameWidth, y, kColumnWidth - kNameWidth, kTextHeight});
    Add(s.slider, K::BitmapStatic, {x, y + kTextHeight + 1, kColumnWidth, kSliderHeight});
}

void InputChannelTemplate::SliderColumn(int x, int y, int caption, std::initializer_list<NamedSlider> rows) {
    Add(caption, K::Static, {x, y, kColumnWidth, kTextHeight});
    int row = y + kTextHeight + 1;
    for (const NamedSlider& s : rows) {
        ValueSlider(x, row, s);
        row += kRowPitch;
    }
}

void InputChannelTemplate::ExciterGroup(int x, int y, const Exciter& e) {
    constexpr int kNameW = 45, kFieldX = 50, kFieldW = kColumnWidth - kFieldX;
    Add(e.caption, K::Static, {x, y, kColumnWidth, kTextHeight});
    Add(e.frequencyName, K::Static, {x, y + 12, kNameW, kTextHeight});
    Add(e.edit, K::Edit, {x + kFieldX, y + 12, kFieldW, kTextHeight});
    Add(e.slider, K::BitmapStatic, {x, y + 24, kColumnWidth, kSliderHeight});
    Add(e.harmonicName, K::Static, {x, y + 39, kNameW, kTextHeight});
    Add(e.harmonic, K::ComboBox, {x + kFieldX, y + 38, kFieldW, kComboHeight});
    Add(e.timbreName, K::Static, {x, y + 53, kNameW, kTextHeight});
    Add(e.timbre, K::ComboBox, {x + kFieldX, y + 52, kFieldW, kComboHeight});
}

}  // namespace pavo
