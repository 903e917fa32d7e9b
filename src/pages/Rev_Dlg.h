#pragma once
// The reverb page inside the effect page: the Reverb block (EffectSide 6; never ReverbSpare). Besides
// what every effect page has, it edits the reverb's pre-delay and reverb time.
#include "pages/EffectPage.h"

namespace pavo {

class Rev_Dlg : public EffectPage {
    Q_OBJECT
public:
    enum {
        IDD = 148,
        IDC_HPF_SLIDER = 3620,
        IDC_LPF_SLIDER = 3621,
        IDC_WET_SLIDER = 3622,
        IDC_DRY_SLIDER = 3623,
        IDC_PRE_DELAY = 3624,
        IDC_REVERB_TIME = 3625,
        IDC_WET_SWITCH = 3531,
        IDC_DRY_SWITCH = 3534,
        IDC_HPF_COMBO = 3537,
        IDC_LPF_COMBO = 3541,
        IDC_HPF_EDIT = 3538,
        IDC_LPF_EDIT = 3542,
        IDC_EQ_RESET = 1066,
        IDC_EQ_PASS = 1067,
    };

    Rev_Dlg(Unit& unit, CFStatic* graph, QWidget* parent);

    int Block() const override;
    // The previously highlighted strip turns white, then the strip at index red: highlighting the
    // same strip again turns it red after an EQ reset whitened it.
    void HighlightStrip(int index) override;

    static const EffectLayout& LayoutOf();
    static const DialogTemplate& Template();
};

}  // namespace pavo
