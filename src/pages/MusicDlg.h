#pragma once
// The music page: for the selected music channel (left or right) its 15-band EQ, EQ bypass, input
// high-pass and low-pass, main-music high-pass and the two exciters; for both channels together the
// noise gate and the limiter (kept in MusicLeft); the SYNC link of the right channel to the left; and
// the music key.
#include "pages/InputChannelPage.h"

namespace pavo {

class MusicDlg : public InputChannelPage {
    Q_OBJECT
public:
    enum {
        IDD = 135,
        IDC_GRAPH = 1292,
        IDC_BAND_SCROLL = 1029,
        IDC_KEY = 1387,
        IDC_KEY_LABEL = 1386,
        IDC_MAIN_HPF = 1069,
        IDC_MAIN_HPF_EDIT = 1022,
        IDC_MAIN_HPF_SLOPE = 1055,
        IDC_HPF = 1076,
        IDC_HPF_EDIT = 1023,
        IDC_HPF_SLOPE = 1053,
        IDC_LPF = 1079,
        IDC_LPF_EDIT = 1024,
        IDC_LPF_SLOPE = 1054,
        IDC_GATE_THRESHOLD = 1047,
        IDC_GATE_THRESHOLD_LABEL = 1046,
        IDC_GATE_ATTACK = 1050,
        IDC_GATE_ATTACK_LABEL = 1049,
        IDC_GATE_RELEASE = 1080,
        IDC_GATE_RELEASE_LABEL = 1052,
        IDC_LIMIT_THRESHOLD = 1038,
        IDC_LIMIT_THRESHOLD_LABEL = 1037,
        IDC_LIMIT_ATTACK = 1081,
        IDC_LIMIT_ATTACK_LABEL = 1039,
        IDC_LIMIT_RELEASE = 1041,
        IDC_LIMIT_RELEASE_LABEL = 1040,
        IDC_LIMIT_RATIO = 1042,
        IDC_LIMIT_RATIO_LABEL = 1043,
        IDC_LOW_EXCITER = 1084,
        IDC_LOW_EXCITER_EDIT = 1293,
        IDC_LOW_HARMONIC = 1025,
        IDC_LOW_TIMBRE = 1030,
        IDC_HIGH_EXCITER = 1085,
        IDC_HIGH_EXCITER_EDIT = 1294,
        IDC_HIGH_HARMONIC = 1026,
        IDC_HIGH_TIMBRE = 1031,
        IDC_MUSIC_LEFT = IDC_FIRST_CHANNEL,
        IDC_MUSIC_RIGHT = IDC_SECOND_CHANNEL,
    };

    explicit MusicDlg(PageHost& host, QWidget* parent = nullptr);

    // -1 right after SYNC flipped the link; 0 the left channel, 1 the right.
    void SelectMusicChannel(int channel) { SelectChannel(channel); }

    // The page's controls in dialog units.
    static const DialogTemplate& Template();
    static const InputChannelDef& Definition();
};

}  // namespace pavo
