#include "pages/MusicDlg.h"

#include "controls/Edit_Static.h"
#include "model/DataConver.h"

namespace pavo {

namespace {

using F = ChannelField;

constexpr F Own(size_t offset, int width = 1) {
    return {F::Channel, offset, width};
}
// The gate and the limiter: one set for both channels, in MusicLeft.
constexpr F Shared(size_t offset) {
    return {F::Dynamics, offset, 1};
}
constexpr size_t kGate = offsetof(MusicBlock, Gate);
constexpr size_t kLimiter = offsetof(MusicBlock, Compressor);

const ValueSliderDef kValueSliders[] = {
    {MusicDlg::IDC_KEY, MusicDlg::IDC_KEY_LABEL, {F::KeyShift}, 14, Edit_Static::Integer, 1, 7},
    {MusicDlg::IDC_GATE_THRESHOLD, MusicDlg::IDC_GATE_THRESHOLD_LABEL,
     Shared(kGate + offsetof(GateSetting, Threshold)), 60, Edit_Static::OffOrInteger, 1, 78, "dBV"},
    {MusicDlg::IDC_GATE_ATTACK, MusicDlg::IDC_GATE_ATTACK_LABEL,
     Shared(kGate + offsetof(GateSetting, Attack)), 19, Edit_Static::Attack, 1, 0, "ms"},
    {MusicDlg::IDC_GATE_RELEASE, MusicDlg::IDC_GATE_RELEASE_LABEL,
     Shared(kGate + offsetof(GateSetting, Release)), 7, Edit_Static::Release},
    {MusicDlg::IDC_LIMIT_THRESHOLD, MusicDlg::IDC_LIMIT_THRESHOLD_LABEL,
     Shared(kLimiter + offsetof(CompressorSetting, Threshold)), 34, Edit_Static::Integer, 1, 22, "dBV"},
    {MusicDlg::IDC_LIMIT_ATTACK, MusicDlg::IDC_LIMIT_ATTACK_LABEL,
     Shared(kLimiter + offsetof(CompressorSetting, Attack)), 19, Edit_Static::Attack, 1, 0, "ms"},
    {MusicDlg::IDC_LIMIT_RELEASE, MusicDlg::IDC_LIMIT_RELEASE_LABEL,
     Shared(kLimiter + offsetof(CompressorSetting, Release)), 7, Edit_Static::Release},
    {MusicDlg::IDC_LIMIT_RATIO, MusicDlg::IDC_LIMIT_RATIO_LABEL,
     Shared(kLimiter + offsetof(CompressorSetting, Ratio)), 40, Edit_Static::Ratio},
};

constexpr size_t kFrequency = offsetof(ExciterSetting, FrequencyCode);
const FrequencyRowDef kFrequencyRows[] = {
    {MusicDlg::IDC_MAIN_HPF, MusicDlg::IDC_MAIN_HPF_EDIT, Via::Field,
     Own(offsetof(MusicBlock, MainHighPass) + offsetof(FilterSetting, FrequencyCode), 2)},
    {MusicDlg::IDC_HPF, MusicDlg::IDC_HPF_EDIT, Via::HighPass},
    {MusicDlg::IDC_LPF, MusicDlg::IDC_LPF_EDIT, Via::LowPass},
    {MusicDlg::IDC_LOW_EXCITER, MusicDlg::IDC_LOW_EXCITER_EDIT, Via::Field,
     Own(offsetof(MusicBlock, LowExciter) + kFrequency, 2)},
    {MusicDlg::IDC_HIGH_EXCITER, MusicDlg::IDC_HIGH_EXCITER_EDIT, Via::Field,
     Own(offsetof(MusicBlock, HighExciter) + kFrequency, 2)},
};

const auto& kSlopes = SlopeLabels;
const auto& kDigits = InputChannelPage::kDigitItems;
const ComboDef kCombos[] = {
    {MusicDlg::IDC_MAIN_HPF_SLOPE, Via::Field,
     Own(offsetof(MusicBlock, MainHighPass) + offsetof(FilterSetting, SlopeCode)), kSlopes},
    {MusicDlg::IDC_HPF_SLOPE, Via::HighPass, {}, kSlopes},
    {MusicDlg::IDC_LPF_SLOPE, Via::LowPass, {}, kSlopes},
    {MusicDlg::IDC_LOW_HARMONIC, Via::Field,
     Own(offsetof(MusicBlock, LowExciter) + offsetof(ExciterSetting, Harmonic)), kDigits},
    {MusicDlg::IDC_LOW_TIMBRE, Via::Field,
     Own(offsetof(MusicBlock, LowExciter) + offsetof(ExciterSetting, Timbre)), kDigits},
    {MusicDlg::IDC_HIGH_HARMONIC, Via::Field,
     Own(offsetof(MusicBlock, HighExciter) + offsetof(ExciterSetting, Harmonic)), kDigits},
    {MusicDlg::IDC_HIGH_TIMBRE, Via::Field,
     Own(offsetof(MusicBlock, HighExciter) + offsetof(ExciterSetting, Timbre)), kDigits},
};

const Caption kCaptions[] = {
    {1385, "音乐变调", "Key Control"},
    {1070, "主通道音乐高通", "MainMusic HPF"},
    {1074, "高通", "HPF"},
    {1077, "低通", "LPF"},
    {1044, "噪声门", "NoiseGate"},
    {1045, "启动电平", "Threshold"},
    {1048, "启动时间", "Attack Time"},
    {1051, "释放时间", "Release Time"},
    {1032, "音乐压限器", "Music Limit"},
    {1033, "压限启动电平", "Limit Level"},
    {1034, "压限启动时间(Atk)", "Attack Time(Atk)"},
    {1035, "压限释放时间", "Release Time"},
    {1036, "压缩比例", "Ratio"},
    {1082, "低音激励", "Low Exciter"},
    {1083, "高音激励", "High Exciter"},
    {1059, "音品", "Timbre"},
    {1060, "音品", "Timbre"},
    {1058, "谐波量", "Harmonic"},
    {1061, "谐波量", "Harmonic"},
    {1056, "频率", "Freq"},
    {1062, "频率", "Freq"},
    {1064, "同步", "SYNC"},
    {1065, "音乐左", "Music Left"},
    {1066, "音乐右", "Music Right"},
    {1067, "EQ 重置", "EQ Reset"},
    {1390, "类型", "Type"},
    {1392, "频率(Hz)", "Freq(Hz)"},
    {1391, "增益(dB)", "Gain(dB)"},
    {1393, "Q值", "Q"},
};

}  // namespace

const InputChannelDef& MusicDlg::Definition() {
    static const InputChannelDef def{
        .pageIndex = 0,
        .firstBlock = BlockMusicLeft,
        .secondBlock = BlockMusicRight,
        .link = &ProgramImage::MusicLink,
        .linkChannels = &LinkMusic,
        .side = &PageSelection::MusicSide,
        .eqFirst = &PageSelection::MusicEqFirst,
        .eqLast = &PageSelection::MusicEqLast,
        .graphId = IDC_GRAPH,
        .trackbarId = IDC_BAND_SCROLL,
        .bypassOffset = offsetof(MusicBlock, EqBypass),
        .dialogTemplate = &MusicDlg::Template,
        .valueSliders = kValueSliders,
        .frequencyRows = kFrequencyRows,
        .combos = kCombos,
        .captions = kCaptions,
    };
    return def;
}

MusicDlg::MusicDlg(PageHost& host, QWidget* parent) : InputChannelPage(host, Definition(), parent) {}

}  // namespace pavo
