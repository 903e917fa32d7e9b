#include "model/FieldNames.h"
#include "model/Letters.h"

#include <algorithm>
#include <cctype>
#include <span>
#include <vector>

namespace pavo {

namespace {

// Blocks and single fields of the program image, by the first part of their catalog path (output
// channels by their second part, after the scene).
constexpr FieldWords kBlocks[] = {
    {"ProgramName", "模式名称", "Program name"},
    {"EchoA", "回声A", "Echo A"},
    {"EchoB", "回声B", "Echo B"},
    {"Reverb", "混响", "Reverb"},
    {"ReverbSpare", "备用混响", "Spare reverb"},
    {"Mic12", "话筒1&2", "Mic 1&2"},
    {"Mic34", "话筒3&4", "Mic 3&4"},
    {"MusicLeft", "音乐左", "Music Left"},
    {"MusicRight", "音乐右", "Music Right"},
    {"Out4", "输出4", "Out 4"},
    {"Out3", "输出3", "Out 3"},
    {"Center", "中置", "Center"},
    {"SUB", "超低音", "SUB"},
    {"Out2", "输出2", "Out 2"},
    {"Out1", "输出1", "Out 1"},
    {"SurroundL", "环绕左", "Surround L"},
    {"SurroundR", "环绕右", "Surround R"},
    {"ActiveScene", "场景", "Scene"},
    {"CheckByte", "校验字节", "Check byte"},
    // The links name a step they are part of: the other changes are the channel copy.
    {"MicLink", "话筒同步", "Mic SYNC"},
    {"MusicLink", "音乐同步", "Music SYNC"},
    {"Out34Link", "输出3&4同步", "Out3&4 SYNC"},
    {"SpareLink", "同步", "SYNC"},
    {"Out12Link", "输出1&2同步", "Out1&2 SYNC"},
    {"SurroundLink", "环绕同步", "Surround SYNC"},
};

// Records inside a block; "%1" takes the band number.
constexpr FieldWords kRecords[] = {
    {"Eq", "EQ 频段%1", "EQ band %1"},
    {"AuxBands", "辅助频段%1", "aux band %1"},
    {"DynEq", "动态均衡 频段%1", "dynamic EQ band %1"},
    {"EqBypass", "EQ Bypass", "EQ Bypass"},
    {"AuxBypass", "辅助旁通", "aux bypass"},
    {"HighPass", "高通", "high-pass"},
    {"LowPass", "低通", "low-pass"},
    {"MainHighPass", "主通道音乐高通", "MainMusic HPF"},
    {"Compressor", "压限器", "limiter"},
    {"Limiter", "压限", "limiter"},
    {"Gate", "噪声门", "noise gate"},
    {"LowExciter", "低音激励", "Low Exciter"},
    {"HighExciter", "高音激励", "High Exciter"},
    {"MicLevel", "话筒电平", "Mic Level"},
    {"MicSwitch", "话筒电平", "Mic Level"},
    {"FeedbackSuppress", "啸叫抑制", "feedback suppression"},
    {"EffectLevel", "效果音量", "effect level"},
    {"EffectSwitch", "效果音量", "effect level"},
    {"DirectLevel", "直达声", "direct sound"},
    {"DirectSwitch", "直达声", "direct sound"},
    {"PreDelay", "预延时", "pre-delay"},
    {"RightPreDelay", "右通道预延时", "right pre-delay"},
    {"Delay", "延时", "delay"},
    {"RightDelay", "右通道延时", "right delay"},
    {"Repeat", "重复比例", "repeat"},
    {"ReverbTime", "混响时间", "reverb time"},
    {"Mute", "静音", "mute"},
    {"MusicLevel", "音乐电平", "Music Level"},
    {"MusicSwitch", "音乐电平", "Music Level"},
    {"EchoALevel", "回声A电平", "EchoA Level"},
    {"EchoASwitch", "回声A电平", "EchoA Level"},
    {"EchoBLevel", "回声B电平", "EchoB Level"},
    {"EchoBSwitch", "回声B电平", "EchoB Level"},
    {"ReverbLevel", "混响电平", "Reverb Level"},
    {"ReverbSwitch", "混响电平", "Reverb Level"},
    {"Spare", "备用字节", "spare bytes"},
};

// Several bands of one kind changed together (an EQ reset).
constexpr FieldWords kBandSets[] = {
    {"Eq", "EQ", "EQ"},
    {"AuxBands", "辅助频段", "aux bands"},
    {"DynEq", "动态均衡", "dynamic EQ"},
};

// System-record fields, as the main strip and the system page caption them.
constexpr FieldWords kSystemFields[] = {
    {"ProgramNumber", "模式", "Program"},
    {"EffectMaster", "效果音量", "Effect Vol"},
    {"MicMaster", "话筒音量", "Mic Vol"},
    {"MusicMaster", "音乐音量", "Music Vol"},
    {"EffectMax", "效果最大音量", "Effect max volume"},
    {"MicMax", "话筒最大音量", "Mic max volume"},
    {"MusicMax", "音乐最大音量", "Music max volume"},
    {"Phantom", "话筒1&2幻像电源", "Mic1&2 Phantom"},
    {"InputSelect", "输入选择", "Music Input"},
    {"AnalogSensitivity", "模拟输入灵敏度", "VOD/BGM Sen"},
    {"KeyShift", "音乐变调", "Key Control"},
    {"VodInputGain", "AUDIO 输入增益", "AUDIO input gain"},
    {"BgmInputGain", "AUX 输入增益", "AUX input gain"},
    {"CoaxInputGain", "COAX 输入增益", "COAX input gain"},
    {"OptiInputGain", "OPTI/HDMI1~3/ARC 输入增益", "OPTI/HDMI1~3/ARC input gain"},
    {"IrRemote", "红外遥控", "IR Control"},
    {"PanelPassword", "面板密码", "Panel password"},
    {"SystemPassword", "系统密码", "System password"},
    {"Reserved", "保留字节", "reserved bytes"},
};

// The codes inside a record.
constexpr FieldWords kLeaves[] = {
    {"FrequencyCode", "频率", "frequency"},
    {"GainCode", "增益", "gain"},
    {"QCode", "Q值", "Q"},
    {"BandType", "类型", "type"},
    {"Kind", "类型", "kind"},
    {"SlopeCode", "斜率", "slope"},
    {"Threshold", "阈值", "threshold"},
    {"Attack", "启动时间", "attack"},
    {"Release", "释放时间", "release"},
    {"Ratio", "压缩比", "ratio"},
    {"Harmonic", "谐波", "harmonic"},
    {"Timbre", "音色", "timbre"},
    {"Level", "电平", "level"},
    {"Mute", "静音", "mute"},
    {"Reserved", "保留字节", "reserved byte"},
};

const FieldWords* Find(std::span<const FieldWords> table, std::string_view key) {
    for (const FieldWords& w : table)
        if (key == w.key) return &w;
    return nullptr;
}

std::vector<std::string_view> Parts(std::string_view path) {
    std::vector<std::string_view> parts;
    while (!path.empty()) {
        const size_t dot = path.find('.');
        parts.push_back(path.substr(0, dot));
        path = dot == std::string_view::npos ? std::string_view{} : path.substr(dot + 1);
    }
    return parts;
}

struct NameBuilder {
    FieldName name;
    size_t lastChinese = 0, lastEnglish = 0;  // where the words added last begin
};

// Adds words to both names. Words that begin with what ends the words before them (whole words, or
// two or more Chinese characters) carry on from there, so the reverb's time reads "Reverb time" and
// "混响时间", not "Reverb reverb time".
void Append(NameBuilder& b, const char* chinese, const char* english, std::string_view index = {}) {
    const auto add = [&](std::string& to, size_t& last, std::string words) {
        if (const size_t at = words.find("%1"); at != std::string::npos) words.replace(at, 2, index);
        const std::string_view before = std::string_view(to).substr(last);
        for (size_t p = 0; p < before.size(); ++p) {
            const std::string_view tail = before.substr(p);
            const bool wordStart = p == 0 || before[p - 1] == ' ';
            const bool chineseRun = uint8_t(before[p]) >= 0xC0 && tail.size() >= 6;
            if ((wordStart || chineseRun) && words.size() > tail.size() &&
                std::equal(tail.begin(), tail.end(), words.begin(), SameLetter)) {
                to += words.substr(tail.size());
                return;
            }
        }
        if (!to.empty()) to += ' ';
        last = to.size();
        to += words;
    };
    add(b.name.chinese, b.lastChinese, chinese);
    add(b.name.english, b.lastEnglish, english);
}

}  // namespace

const FieldWords* BlockWords(std::string_view key) {
    return Find(kBlocks, key);
}
const FieldWords* RecordWords(std::string_view key) {
    return Find(kRecords, key);
}
const FieldWords* BandSetWords(std::string_view key) {
    return Find(kBandSets, key);
}
const FieldWords* SystemWords(std::string_view key) {
    return Find(kSystemFields, key);
}
const FieldWords* LeafWords(std::string_view key) {
    return Find(kLeaves, key);
}

FieldName NameOfField(const FieldInfo& field) {
    NameBuilder name;
    const std::vector<std::string_view> parts = Parts(field.path);
    size_t i = 0;
    const bool system = !parts.empty() && parts[0] == "System";
    if (system) ++i;
    if (!system && !parts.empty() && parts[0].starts_with("Scene") && parts[0].size() == 6) {
        Append(name, "场景%1", "Scene %1", parts[0].substr(5));
        ++i;
    }
    for (size_t first = i; i < parts.size(); ++i) {
        std::string_view part = parts[i], index;
        if (const size_t bracket = part.find('['); bracket != std::string_view::npos) {
            index = part.substr(bracket + 1, part.find(']') - bracket - 1);
            part = part.substr(0, bracket);
        }
        const FieldWords* w = i == first ? (system ? SystemWords(part) : BlockWords(part)) : nullptr;
        if (!w && i > first) w = i + 1 == parts.size() ? LeafWords(part) : nullptr;
        if (!w) w = RecordWords(part);
        if (!w) w = LeafWords(part);
        if (w)
            Append(name, w->chinese, w->english, index);
        else
            Append(name, std::string(part).c_str(), std::string(part).c_str(), index);
        // A level's on/off shares the level's words in the undo menu; alone it must say which it is.
        if (i + 1 == parts.size() && part.ends_with("Switch")) Append(name, "开关", "switch");
    }
    return name.name;
}

}  // namespace pavo
