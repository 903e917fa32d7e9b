#include "pages/Mic_Dlg.h"

#include "controls/Edit_Static.h"
#include "model/DataConver.h"

namespace pavo {

namespace {

using F = ChannelField;

// Everything on this page, gate and limiter included, belongs to the selected pair.
constexpr F Own(size_t offset, int width = 1) {
    return {F::Channel, offset, width};
}
constexpr size_t kGate = offsetof(MicBlock, Gate);
constexpr size_t kLimiter = offsetof(MicBlock, Compressor);

const ValueSliderDef kValueSliders[] = {
    {Mic_Dlg::IDC_MIC_LEVEL, Mic_Dlg::IDC_MIC_LEVEL_LABEL, Own(offsetof(MicBlock, MicLevel)), 40,
     Edit_Static::Real, 0.5, 10, "dB"},
    {Mic_Dlg::IDC_GATE_THRESHOLD, Mic_Dlg::IDC_GATE_THRESHOLD_LABEL,
     Own(kGate + offsetof(GateSetting, Threshold)), 60, Edit_Static::OffOrInteger, 1, 78, "dBV"},
    {Mic_Dlg::IDC_GATE_ATTACK, Mic_Dlg::IDC_GATE_ATTACK_LABEL, Own(kGate + offsetof(GateSetting, Attack)), 19,
     Edit_Static::Attack, 1, 0, "ms"},
    {Mic_Dlg::IDC_GATE_RELEASE, Mic_Dlg::IDC_GATE_RELEASE_LABEL, Own(kGate + offsetof(GateSetting, Release)),
     7, Edit_Static::Release},
    {Mic_Dlg::IDC_LIMIT_THRESHOLD, Mic_Dlg::IDC_LIMIT_THRESHOLD_LABEL,
     Own(kLimiter + offsetof(CompressorSetting, Threshold)), 34, Edit_Static::Integer, 1, 22, "dBV"},
    {Mic_Dlg::IDC_LIMIT_ATTACK, Mic_Dlg::IDC_LIMIT_ATTACK_LABEL,
     Own(kLimiter + offsetof(CompressorSetting, Attack)), 19, Edit_Static::Attack, 1, 0, "ms"},
    {Mic_Dlg::IDC_LIMIT_RELEASE, Mic_Dlg::IDC_LIMIT_RELEASE_LABEL,
     Own(kLimiter + offsetof(CompressorSetting, Release)), 7, Edit_Static::Release},
    {Mic_Dlg::IDC_LIMIT_RATIO, Mic_Dlg::IDC_LIMIT_RATIO_LABEL,
     Own(kLimiter + offsetof(CompressorSetting, Ratio)), 40, Edit_Static::Ratio},
};

constexpr size_t kFrequency = offsetof(ExciterSetting, FrequencyCode);
const FrequencyRowDef kFrequencyRows[] = {
    {Mic_Dlg::IDC_HPF, Mic_Dlg::IDC_HPF_EDIT, Via::HighPass},
    {Mic_Dlg::IDC_LPF, Mic_Dlg::IDC_LPF_EDIT, Via::LowPass},
    {Mic_Dlg::IDC_HIGH_EXCITER, Mic_Dlg::IDC_HIGH_EXCITER_EDIT, Via::Field,
     Own(offsetof(MicBlock, HighExciter) + kFrequency, 2)},
    {Mic_Dlg::IDC_LOW_EXCITER, Mic_Dlg::IDC_LOW_EXCITER_EDIT, Via::Field,
     Own(offsetof(MicBlock, LowExciter) + kFrequency, 2)},
};

const char* const kFeedbackItems[] = {"OFF", "FB.EX1", "FB.EX2", "FB.EX3", "FB.EX4"};
const auto& kSlopes = SlopeLabels;
const auto& kDigits = InputChannelPage::kDigitItems;
const ComboDef kCombos[] = {
    {Mic_Dlg::IDC_FEEDBACK, Via::Field, Own(offsetof(MicBlock, FeedbackSuppress)), kFeedbackItems},
    {Mic_Dlg::IDC_HPF_SLOPE, Via::HighPass, {}, kSlopes},
    {Mic_Dlg::IDC_LPF_SLOPE, Via::LowPass, {}, kSlopes},
    {Mic_Dlg::IDC_LOW_HARMONIC, Via::Field,
     Own(offsetof(MicBlock, LowExciter) + offsetof(ExciterSetting, Harmonic)), kDigits},
    {Mic_Dlg::IDC_LOW_TIMBRE, Via::Field,
     Own(offsetof(MicBlock, LowExciter) + offsetof(ExciterSetting, Timbre)), kDigits},
    {Mic_Dlg::IDC_HIGH_HARMONIC, Via::Field,
     Own(offsetof(MicBlock, HighExciter) + offsetof(ExciterSetting, Harmonic)), kDigits},
    {Mic_Dlg::IDC_HIGH_TIMBRE, Via::Field,
     Own(offsetof(MicBlock, HighExciter) + offsetof(ExciterSetting, Timbre)), kDigits},
};

const Caption kCaptions[] = {
    {3044, "话筒电平", "Mic Level"},
    {3046, "啸叫抑制", "Feedback"},
    {3041, "高通", "HPF"},
    {3043, "低通", "LPF"},
    {3047, "噪声门", "NoiseGate"},
    {3048, "启动电平", "Threshold"},
    {3050, "启动时间", "Attack Time"},
    {3052, "释放时间", "Release Time"},
    {3054, "压限器", "Limit"},
    {3055, "压限启动电平", "Limit Level"},
    {3057, "压限启动时间(Atk)", "Attack Time(Atk)"},
    {3059, "压限释放时间", "Release Time"},
    {3061, "压缩比例", "Ratio"},
    {3063, "低音激励", "Low Exciter"},
    {3068, "高音激励", "High Exciter"},
    {3067, "音品", "Timbre"},
    {3072, "音品", "Timbre"},
    {3066, "谐波量", "Harmonic"},
    {3071, "谐波量", "Harmonic"},
    {3064, "频率", "Freq"},
    {3069, "频率", "Freq"},
    {1064, "同步", "SYNC"},
    {1065, "话筒1&&2", "Mic 1&&2"},
    {1066, "话筒3&&4", "Mic 3&&4"},
    {1067, "EQ 重置", "EQ Reset"},
    {1394, "类型", "Type"},
    {1396, "频率(Hz)", "Freq(Hz)"},
    {1395, "增益(dB)", "Gain(dB)"},
    {1397, "Q值", "Q"},
};

}  // namespace

const InputChannelDef& Mic_Dlg::Definition() {
    static const InputChannelDef def{
        .pageIndex = 2,
        .firstBlock = BlockMic12,
        .secondBlock = BlockMic34,
        .link = &ProgramImage::MicLink,
        .linkChannels = &LinkMic,
        .side = &PageSelection::MicSide,
        .eqFirst = &PageSelection::MicEqFirst,
        .eqLast = &PageSelection::MicEqLast,
        .graphId = IDC_GRAPH,
        .trackbarId = IDC_BAND_SCROLL,
        .bypassOffset = offsetof(MicBlock, EqBypass),
        .dialogTemplate = &Mic_Dlg::Template,
        .valueSliders = kValueSliders,
        .frequencyRows = kFrequencyRows,
        .combos = kCombos,
        .captions = kCaptions,
    };
    return def;
}

Mic_Dlg::Mic_Dlg(PageHost& host, QWidget* parent) : InputChannelPage(host, Definition(), parent) {}

}  // namespace pavo
