#include "app/UndoNames.h"

#include <string>
#include <string_view>
#include <vector>

#include "model/DataConver.h"
#include "model/FieldCatalog.h"
#include "platform/Language.h"

namespace pavo {

namespace {

struct Words {
    const char* key;
    const char* chinese;
    const char* english;
};

// Blocks and single fields of the program image, by the first part of their catalog path (output
// channels by their second part, after the scene).
constexpr Words kBlocks[] = {
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
constexpr Words kRecords[] = {
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
constexpr Words kBandSets[] = {
    {"Eq", "EQ", "EQ"},
    {"AuxBands", "辅助频段", "aux bands"},
    {"DynEq", "动态均衡", "dynamic EQ"},
};

// System-record fields, as the main strip and the system page caption them.
constexpr Words kSystemFields[] = {
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

template <size_t N>
const Words* Find(const Words (&table)[N], std::string_view key) {
    for (const Words& w : table)
        if (key == w.key) return &w;
    return nullptr;
}

QString Say(const Words* w, std::string_view fallback) {
    return w ? Bilingual(w->chinese, w->english) : QString::fromUtf8(fallback.data(), int(fallback.size()));
}

// A changed field's path cut into the parts a name is made of:
// "Scene2.Out1.Eq[3].GainCode" -> block "Out1", record "Eq", index "3".
struct Where {
    std::string block, record, index;
    bool system = false;

    bool operator==(const Where&) const = default;
};

Where Parse(const std::string& path) {
    std::vector<std::string_view> parts;
    std::string_view rest = path;
    while (!rest.empty()) {
        const size_t dot = rest.find('.');
        parts.push_back(rest.substr(0, dot));
        rest = dot == std::string_view::npos ? std::string_view{} : rest.substr(dot + 1);
    }
    Where w;
    size_t i = 0;
    if (!parts.empty() && parts[0] == "System") {
        w.system = true;
        ++i;
    } else if (!parts.empty() && parts[0].starts_with("Scene") && parts[0] != "Scenes") {
        ++i;  // the same channel of every scene has one name
    }
    if (i < parts.size()) w.block = std::string(parts[i++]);
    if (i < parts.size()) {
        std::string_view record = parts[i];
        if (const size_t bracket = record.find('['); bracket != std::string_view::npos) {
            w.index = std::string(record.substr(bracket + 1, record.find(']') - bracket - 1));
            record = record.substr(0, bracket);
        }
        w.record = std::string(record);
    }
    return w;
}

// The fields a step changed, in record order; of the bit fields sharing a byte only those whose bits
// changed.
std::vector<Where> ChangedFields(const UndoStep& step) {
    std::vector<Where> out;
    for (const ChangedRun& run : step.runs) {
        const FieldRecord record =
            run.record == EditedRecord::Program ? FieldRecord::Program : FieldRecord::System;
        for (int b = 0; b < run.length; ++b) {
            const int offset = run.offset + b;
            const uint8_t changed = step.before[run.data + b] ^ step.after[run.data + b];
            const FieldInfo* first = FieldAt(record, offset);
            if (!first) continue;
            for (const FieldInfo* f = first;
                 f != FieldsOf(record).data() + FieldsOf(record).size() && f->offset == first->offset; ++f) {
                if (f->width == 1 && !(f->mask & changed)) continue;
                Where w = Parse(f->path);
                if (out.empty() || !(out.back() == w)) out.push_back(std::move(w));
            }
        }
    }
    return out;
}

QString RecordName(const Where& w) {
    if (w.record.empty()) return {};
    QString name = Say(Find(kRecords, w.record), w.record);
    return name.replace(QStringLiteral("%1"), QString::fromStdString(w.index));
}

// "Out 1" and "mute" make "Out 1 mute"; a record that starts with its block's word says it alone
// ("Reverb time", not "Reverb reverb time").
QString Join(const QString& block, const QString& record) {
    if (block.isEmpty()) return record;
    if (record.isEmpty()) return block;
    if (record.startsWith(block, Qt::CaseInsensitive)) return record.front().toUpper() + record.mid(1);
    return block + u' ' + record;
}

QString FieldsName(const std::vector<Where>& fields) {
    if (fields.empty()) return {};
    const Where& first = fields.front();
    if (first.system) {
        // A master level that followed its maximum down: the maximum names the step.
        for (const Where& w : fields)
            if (w.system && w.block.ends_with("Max")) return Say(Find(kSystemFields, w.block), w.block);
        return Say(Find(kSystemFields, first.block), first.block);
    }
    // A link switched with its channel copy: the link names it.
    for (const Where& w : fields)
        if (!w.system && w.block.ends_with("Link")) return Say(Find(kBlocks, w.block), w.block);

    const QString block = Say(Find(kBlocks, first.block), first.block);
    bool oneRecord = true, oneKind = true, oneBlock = true;
    for (const Where& w : fields) {
        oneBlock = oneBlock && !w.system && w.block == first.block;
        oneKind = oneKind && oneBlock && w.record == first.record;
        oneRecord = oneRecord && oneKind && w.index == first.index;
    }
    if (oneRecord) return Join(block, RecordName(first));
    if (oneKind) {
        const Words* set = Find(kBandSets, first.record);
        return Join(block, set ? Bilingual(set->chinese, set->english) : RecordName(first));
    }
    if (oneBlock) return block;
    return Join(block, RecordName(first));
}

}  // namespace

QString StepName(const UndoStep& step) {
    switch (step.tag.kind) {
        case StepKind::ImportDia:
            return Bilingual("导入", "Import");
        case StepKind::ImportBank:
            return Bilingual("导入所有", "Import all");
        case StepKind::Recall:
            return Bilingual("调用设备模式", "Recall Mode") + u' ' +
                   QString::fromStdString(ProgramNumberText(step.tag.argument));
        case StepKind::Remote:
            return Bilingual("远程", "Remote") + QStringLiteral(": ") + FieldsName(ChangedFields(step));
        case StepKind::Edit:
            break;
    }
    return FieldsName(ChangedFields(step));
}

QString UndoMenuText(const UndoStep* step, bool redo) {
    const QString verb = redo ? Bilingual("重做", "Redo") : Bilingual("撤销", "Undo");
    if (!step) return verb;
    const QString name = StepName(*step);
    return name.isEmpty() ? verb : verb + QStringLiteral(": ") + name;
}

}  // namespace pavo
