#include "pages/Rev_Dlg.h"

#include "controls/Edit_Static.h"
#include "model/Model.h"

namespace pavo {

namespace {

using R = Rev_Dlg;

// Both times are kept in tenths of a millisecond: the pre-delay slider steps 2 ms, the reverb time
// slider 50 ms.
const EffectValueRow kTimes[] = {
    {3544, 3545, R::IDC_PRE_DELAY, RecordField{offsetof(ReverbBlock, PreDelay), 2}, 20, 100, kTenthsMsLabel},
    {3547, 3548, R::IDC_REVERB_TIME, RecordField{offsetof(ReverbBlock, ReverbTime), 2}, 500, 100,
     kTenthsMsLabel},
};

const Caption kCaptions[] = {
    {3536, "高通", "HPF"},
    {3540, "低通", "LPF"},
    {3528, "混响音量", "Reverb Wet Volume"},
    {1232, "混响直达声", "Reverb Dry Volume"},
    {3544, "混响预延时", "Reverb PreDelay"},
    {3547, "混响时间", "Reverb Time"},
    {1402, "类型", "Type"},
    {1403, "增益(dB)", "Gain(dB)"},
    {1404, "频率(Hz)", "Freq(Hz)"},
    {1405, "Q值", "Q"},
    {R::IDC_EQ_RESET, "EQ重置", "EQ Reset"},
};

const EffectLayout kLayout{
    R::IDD,
    {3528, 3529, R::IDC_WET_SLIDER, RecordField{offsetof(ReverbBlock, EffectLevel)}, 1, 100, kPercentLabel},
    {1232, 3533, R::IDC_DRY_SLIDER, RecordField{offsetof(ReverbBlock, DirectLevel)}, 1, 100, kPercentLabel},
    R::IDC_WET_SWITCH,
    R::IDC_DRY_SWITCH,
    RecordField{offsetof(ReverbBlock, EffectSwitch)},
    RecordField{offsetof(ReverbBlock, DirectSwitch)},
    {3536, R::IDC_HPF_EDIT, R::IDC_HPF_SLIDER, R::IDC_HPF_COMBO},
    {3540, R::IDC_LPF_EDIT, R::IDC_LPF_SLIDER, R::IDC_LPF_COMBO},
    R::IDC_EQ_RESET,
    R::IDC_EQ_PASS,
    {1402, 1403, 1404, 1405},
    kTimes,
    kCaptions,
};

}  // namespace

const EffectLayout& Rev_Dlg::LayoutOf() {
    return kLayout;
}

const DialogTemplate& Rev_Dlg::Template() {
    static const DialogTemplate t = MakeTemplate(kLayout);
    return t;
}

Rev_Dlg::Rev_Dlg(Unit& unit, CFStatic* graph, QWidget* parent)
    : EffectPage(unit, kLayout, Template(), graph, BlockReverb, parent) {}

int Rev_Dlg::Block() const {
    return BlockReverb;
}

void Rev_Dlg::HighlightStrip(int index) {
    strips_.HighlightAgain(index);
}

}  // namespace pavo
