// Dialog resource 145: the microphone page in dialog units, arranged as the music page: strips top
// left, the trackbar and the buttons under them, the graph across the bottom. To the right of the
// strips: the high-pass and low-pass groups, the mic level and the feedback suppression; then the
// noise-gate and limiter columns, and under those the two exciters.
#include "pages/InputChannelTemplate.h"
#include "pages/Mic_Dlg.h"

namespace pavo {

namespace {

using K = ControlKind;
using M = Mic_Dlg;

// A filter group: caption, the slope combo beside the frequency edit, then the frequency slider.
void FilterGroup(InputChannelTemplate& t, int y, int caption, int slope, int edit, int slider) {
    constexpr int x = 374;
    t.Add(caption, K::Static, {x, y, 105, 10});
    t.Add(slope, K::ComboBox, {x, y + 12, 75, 12});
    t.Add(edit, K::Edit, {x + 76, y + 13, 30, 10});
    t.Add(slider, K::BitmapStatic, {x, y + 26, 105, 11});
}

DialogTemplate MakeTemplate() {
    InputChannelTemplate t(M::IDD, QSize(715, 359));
    t.StripRowNames(1394, 1395, 1396, 1397);
    t.UnderStrips(M::IDC_BAND_SCROLL, 366, M::IDC_GRAPH, 164);

    FilterGroup(t, 4, 3041, M::IDC_HPF_SLOPE, M::IDC_HPF_EDIT, M::IDC_HPF);
    FilterGroup(t, 51, 3043, M::IDC_LPF_SLOPE, M::IDC_LPF_EDIT, M::IDC_LPF);
    t.ValueSlider(374, 95, {3044, M::IDC_MIC_LEVEL_LABEL, M::IDC_MIC_LEVEL});
    t.Add(3046, K::Static, {374, 122, 50, 10});
    t.Add(M::IDC_FEEDBACK, K::ComboBox, {424, 121, 55, 12});

    t.SliderColumn(488, 4, 3047,
                   {{3048, M::IDC_GATE_THRESHOLD_LABEL, M::IDC_GATE_THRESHOLD},
                    {3050, M::IDC_GATE_ATTACK_LABEL, M::IDC_GATE_ATTACK},
                    {3052, M::IDC_GATE_RELEASE_LABEL, M::IDC_GATE_RELEASE}});
    t.SliderColumn(603, 2, 3054,
                   {{3055, M::IDC_LIMIT_THRESHOLD_LABEL, M::IDC_LIMIT_THRESHOLD},
                    {3057, M::IDC_LIMIT_ATTACK_LABEL, M::IDC_LIMIT_ATTACK},
                    {3059, M::IDC_LIMIT_RELEASE_LABEL, M::IDC_LIMIT_RELEASE},
                    {3061, M::IDC_LIMIT_RATIO_LABEL, M::IDC_LIMIT_RATIO}});

    t.ExciterGroup(489, 110,
                   {3063, 3064, M::IDC_LOW_EXCITER_EDIT, M::IDC_LOW_EXCITER, 3066, M::IDC_LOW_HARMONIC, 3067,
                    M::IDC_LOW_TIMBRE});
    t.ExciterGroup(603, 110,
                   {3068, 3069, M::IDC_HIGH_EXCITER_EDIT, M::IDC_HIGH_EXCITER, 3071, M::IDC_HIGH_HARMONIC,
                    3072, M::IDC_HIGH_TIMBRE});
    return t.Take();
}

}  // namespace

const DialogTemplate& Mic_Dlg::Template() {
    static const DialogTemplate t = MakeTemplate();
    return t;
}

}  // namespace pavo
