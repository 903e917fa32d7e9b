#include "pages/Echo_Dlg.h"

#include "controls/Edit_Static.h"
#include "model/Model.h"

namespace pavo {

namespace {

using E = Echo_Dlg;

// PreDelay and Delay are kept in tenths of a millisecond: the sliders step 1 ms and 2 ms.
const EffectValueRow kTimes[] = {
    {3513, 3514, E::IDC_PRE_DELAY, RecordField{offsetof(EchoBlock, PreDelay), 2}, 10, 150, kTenthsMsLabel},
    {3522, 3523, E::IDC_DELAY, RecordField{offsetof(EchoBlock, Delay), 2}, 20, 250, kTenthsMsLabel},
    {3519, 3520, E::IDC_REPEAT, RecordField{offsetof(EchoBlock, Repeat)}, 1, 90, kPercentLabel},
    {3516, 3517, E::IDC_RIGHT_PRE_DELAY, RecordField{offsetof(EchoBlock, RightPreDelay), 2}, 1, 50,
     kPercentLabel},
    {3525,
     3526,
     E::IDC_RIGHT_DELAY,
     RecordField{offsetof(EchoBlock, RightDelay), 2},
     1,
     100,
     {Edit_Static::Integer, 1, 50, "%"}},  // -50 .. 50
};

const Caption kCaptions[] = {
    {3500, "回声音量", "Echo Wet Volume"},
    {3503, "回声直达声", "Echo Dry Volume"},
    {3507, "回声高通", "Echo HPF"},
    {3510, "回声低通", "Echo LPF"},
    {3513, "回声预延时", "Echo PreDelay"},
    {3522, "回声延时", "Echo Delay"},
    {3519, "回声重复比例", "Echo Repeat"},
    {3516, "右通道预延时", "Echo Right PreDelay"},
    {3525, "右通道延时", "Echo Right Delay"},
    {1398, "类型", "Type"},
    {1399, "增益(dB)", "Gain(dB)"},
    {1400, "频率(Hz)", "Freq(Hz)"},
    {1401, "Q值", "Q"},
    {E::IDC_EQ_RESET, "EQ重置", "EQ Reset"},
};

const EffectLayout kLayout{
    E::IDD,
    {3500, 3501, E::IDC_WET_SLIDER, RecordField{offsetof(EchoBlock, EffectLevel)}, 1, 100, kPercentLabel},
    {3503, 3504, E::IDC_DRY_SLIDER, RecordField{offsetof(EchoBlock, DirectLevel)}, 1, 100, kPercentLabel},
    E::IDC_WET_SWITCH,
    E::IDC_DRY_SWITCH,
    RecordField{offsetof(EchoBlock, EffectSwitch)},
    RecordField{offsetof(EchoBlock, DirectSwitch)},
    {3507, E::IDC_HPF_EDIT, E::IDC_HPF_SLIDER, E::IDC_HPF_COMBO},
    {3510, E::IDC_LPF_EDIT, E::IDC_LPF_SLIDER, E::IDC_LPF_COMBO},
    E::IDC_EQ_RESET,
    E::IDC_EQ_PASS,
    {1398, 1399, 1400, 1401},
    kTimes,
    kCaptions,
};

}  // namespace

const EffectLayout& Echo_Dlg::LayoutOf() {
    return kLayout;
}

const DialogTemplate& Echo_Dlg::Template() {
    static const DialogTemplate t = MakeTemplate(kLayout);
    return t;
}

Echo_Dlg::Echo_Dlg(Unit& unit, CFStatic* graph, QWidget* parent)
    : EffectPage(unit, kLayout, Template(), graph, BlockEchoA, parent) {}

int Echo_Dlg::Block() const {
    return model().pages.EffectSide == BlockEchoB ? BlockEchoB : BlockEchoA;
}

void Echo_Dlg::HighlightStrip(int index) {
    strips_.Highlight(index);
}

void Echo_Dlg::SetEffectSide() {
    strips_.ForgetHighlight();
    strips_.BindBandSet(Block(), true);
}

}  // namespace pavo
