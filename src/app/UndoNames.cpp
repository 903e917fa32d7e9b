#include "app/UndoNames.h"

#include <string>
#include <string_view>
#include <vector>

#include "model/DataConver.h"
#include "model/FieldCatalog.h"
#include "model/FieldNames.h"
#include "platform/Language.h"

namespace pavo {

namespace {

QString Say(const FieldWords* w, std::string_view fallback) {
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
    QString name = Say(RecordWords(w.record), w.record);
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
            if (w.system && w.block.ends_with("Max")) return Say(SystemWords(w.block), w.block);
        return Say(SystemWords(first.block), first.block);
    }
    // A link switched with its channel copy: the link names it.
    for (const Where& w : fields)
        if (!w.system && w.block.ends_with("Link")) return Say(BlockWords(w.block), w.block);

    const QString block = Say(BlockWords(first.block), first.block);
    bool oneRecord = true, oneKind = true, oneBlock = true;
    for (const Where& w : fields) {
        oneBlock = oneBlock && !w.system && w.block == first.block;
        oneKind = oneKind && oneBlock && w.record == first.record;
        oneRecord = oneRecord && oneKind && w.index == first.index;
    }
    if (oneRecord) return Join(block, RecordName(first));
    if (oneKind) {
        const FieldWords* set = BandSetWords(first.record);
        return Join(block, set ? Bilingual(set->chinese, set->english) : RecordName(first));
    }
    if (oneBlock) return block;
    return Join(block, RecordName(first));
}

}  // namespace

QString FieldLabel(const FieldInfo& field, UiLanguage language) {
    const FieldName name = NameOfField(field);
    return QString::fromStdString(language == LanguageChinese ? name.chinese : name.english);
}

QString FieldLabel(const FieldInfo& field) {
    return FieldLabel(field, CurrentUiLanguage());
}

QString BlockWord(std::string_view key, UiLanguage language) {
    const FieldWords* w = BlockWords(key);
    if (!w) return QString::fromUtf8(key.data(), int(key.size()));
    return QString::fromUtf8(language == LanguageChinese ? w->chinese : w->english);
}

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
        case StepKind::AutoEq:
            return Bilingual("自动均衡", "Auto EQ");
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
