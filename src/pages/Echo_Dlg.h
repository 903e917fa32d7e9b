#pragma once
// The echo page inside the effect page: one page for both echo engines, EchoA (EffectSide 4) and
// EchoB (5). Besides what every effect page has, it edits the echo's pre-delay, delay and repeat and
// the right channel's pre-delay and delay.
#include "pages/EffectPage.h"

namespace pavo {

class Echo_Dlg : public EffectPage {
    Q_OBJECT
public:
    enum {
        IDD = 147,
        IDC_WET_SLIDER = 3600,
        IDC_DRY_SLIDER = 3601,
        IDC_HPF_SLIDER = 3602,
        IDC_LPF_SLIDER = 3603,
        IDC_PRE_DELAY = 3604,
        IDC_RIGHT_PRE_DELAY = 3605,
        IDC_REPEAT = 3606,
        IDC_DELAY = 3607,
        IDC_RIGHT_DELAY = 3608,
        IDC_WET_SWITCH = 1064,
        IDC_DRY_SWITCH = 1065,
        IDC_HPF_COMBO = 1025,
        IDC_LPF_COMBO = 3506,
        IDC_HPF_EDIT = 3508,
        IDC_LPF_EDIT = 3511,
        IDC_EQ_RESET = 3550,
        IDC_EQ_PASS = 3551,
    };

    Echo_Dlg(Unit& unit, CFStatic* graph, QWidget* parent);

    int Block() const override;
    // The strip whose band was edited last turns red; the same strip again changes nothing.
    void HighlightStrip(int index) override;
    // After EffectSide changed between the echoes: the strips follow it, none stays highlighted.
    void SetEffectSide();

    static const EffectLayout& LayoutOf();
    static const DialogTemplate& Template();
};

}  // namespace pavo
