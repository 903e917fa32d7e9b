// Dialog resource 135: the music page in dialog units (one unit is 1.75 pixels with the template
// font). The ten band strips take the top left (the page places them in pixels), the trackbar and the
// buttons run under them and the graph across the bottom. To their right: the key control and the
// three filters, then the noise-gate and limiter columns, and under those the two exciters.
#include "pages/InputChannelTemplate.h"
#include "pages/MusicDlg.h"

namespace pavo {

namespace {

using K = ControlKind;
using M = MusicDlg;

// A filter group: caption, frequency slider, then the slope combo beside the frequency edit.
void FilterGroup(InputChannelTemplate& t, int y, int caption, int slider, int slope, int edit) {
    constexpr int x = 370;
    t.Add(caption, K::Static, {x, y, 105, 10});
    t.Add(slider, K::BitmapStatic, {x, y + 11, 105, 11});
    t.Add(slope, K::ComboBox, {x, y + 24, 78, 12});
    t.Add(edit, K::Edit, {x + 79, y + 25, 31, 10});
}

DialogTemplate MakeTemplate() {
    InputChannelTemplate t(M::IDD, QSize(715, 359));
    t.StripRowNames(1390, 1391, 1392, 1393);
    t.UnderStrips(M::IDC_BAND_SCROLL, 367, M::IDC_GRAPH, 167);

    t.ValueSlider(370, 4, {1385, M::IDC_KEY_LABEL, M::IDC_KEY});
    FilterGroup(t, 30, 1070, M::IDC_MAIN_HPF, M::IDC_MAIN_HPF_SLOPE, M::IDC_MAIN_HPF_EDIT);
    FilterGroup(t, 70, 1074, M::IDC_HPF, M::IDC_HPF_SLOPE, M::IDC_HPF_EDIT);
    FilterGroup(t, 110, 1077, M::IDC_LPF, M::IDC_LPF_SLOPE, M::IDC_LPF_EDIT);

    t.SliderColumn(488, 4, 1044,
                   {{1045, M::IDC_GATE_THRESHOLD_LABEL, M::IDC_GATE_THRESHOLD},
                    {1048, M::IDC_GATE_ATTACK_LABEL, M::IDC_GATE_ATTACK},
                    {1051, M::IDC_GATE_RELEASE_LABEL, M::IDC_GATE_RELEASE}});
    t.SliderColumn(604, 4, 1032,
                   {{1033, M::IDC_LIMIT_THRESHOLD_LABEL, M::IDC_LIMIT_THRESHOLD},
                    {1034, M::IDC_LIMIT_ATTACK_LABEL, M::IDC_LIMIT_ATTACK},
                    {1035, M::IDC_LIMIT_RELEASE_LABEL, M::IDC_LIMIT_RELEASE},
                    {1036, M::IDC_LIMIT_RATIO_LABEL, M::IDC_LIMIT_RATIO}});

    t.ExciterGroup(491, 110,
                   {1082, 1056, M::IDC_LOW_EXCITER_EDIT, M::IDC_LOW_EXCITER, 1058, M::IDC_LOW_HARMONIC, 1059,
                    M::IDC_LOW_TIMBRE});
    t.ExciterGroup(604, 110,
                   {1083, 1062, M::IDC_HIGH_EXCITER_EDIT, M::IDC_HIGH_EXCITER, 1061, M::IDC_HIGH_HARMONIC,
                    1060, M::IDC_HIGH_TIMBRE});
    return t.Take();
}

}  // namespace

const DialogTemplate& MusicDlg::Template() {
    static const DialogTemplate t = MakeTemplate();
    return t;
}

}  // namespace pavo
