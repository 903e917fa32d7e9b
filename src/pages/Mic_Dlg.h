#pragma once
// The microphone page: for the selected microphone pair (Mic 1&2 or Mic 3&4) its level, feedback
// suppression, high-pass and low-pass, noise gate, limiter, exciters, 20-band EQ and EQ bypass; and
// the SYNC link that makes Mic 3&4 follow Mic 1&2.
#include "pages/InputChannelPage.h"

namespace pavo {

class Mic_Dlg : public InputChannelPage {
    Q_OBJECT
public:
    enum {
        IDD = 145,
        IDC_GRAPH = 1295,
        IDC_BAND_SCROLL = 3000,
        IDC_HPF = 3001,
        IDC_HPF_EDIT = 3031,
        IDC_HPF_SLOPE = 3025,
        IDC_LPF = 3002,
        IDC_LPF_EDIT = 3030,
        IDC_LPF_SLOPE = 3024,
        IDC_MIC_LEVEL = 3003,
        IDC_MIC_LEVEL_LABEL = 3045,
        IDC_FEEDBACK = 1053,
        IDC_GATE_THRESHOLD = 3004,
        IDC_GATE_THRESHOLD_LABEL = 3049,
        IDC_GATE_ATTACK = 3005,
        IDC_GATE_ATTACK_LABEL = 3051,
        IDC_GATE_RELEASE = 3006,
        IDC_GATE_RELEASE_LABEL = 3053,
        IDC_LIMIT_THRESHOLD = 3007,
        IDC_LIMIT_THRESHOLD_LABEL = 3056,
        IDC_LIMIT_ATTACK = 3008,
        IDC_LIMIT_ATTACK_LABEL = 3058,
        IDC_LIMIT_RELEASE = 3009,
        IDC_LIMIT_RELEASE_LABEL = 3060,
        IDC_LIMIT_RATIO = 3010,
        IDC_LIMIT_RATIO_LABEL = 3062,
        IDC_HIGH_EXCITER = 3011,
        IDC_HIGH_EXCITER_EDIT = 1023,
        IDC_HIGH_HARMONIC = 3022,
        IDC_HIGH_TIMBRE = 3021,
        IDC_LOW_EXCITER = 3012,
        IDC_LOW_EXCITER_EDIT = 1022,
        IDC_LOW_HARMONIC = 3023,
        IDC_LOW_TIMBRE = 3020,
        IDC_MIC12 = IDC_FIRST_CHANNEL,
        IDC_MIC34 = IDC_SECOND_CHANNEL,
    };

    explicit Mic_Dlg(PageHost& host, QWidget* parent = nullptr);

    // -1 right after SYNC flipped the link; 2 Mic 1&2, 3 Mic 3&4.
    void SelectMicChannel(int pair) { SelectChannel(pair); }

    // The page's controls in dialog units.
    static const DialogTemplate& Template();
    static const InputChannelDef& Definition();
};

}  // namespace pavo
