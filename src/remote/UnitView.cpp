#include "remote/UnitView.h"

#include <cmath>
#include <cstring>

#include "eq/BlockResponse.h"
#include "model/CodeTables.h"
#include "model/DataConver.h"
#include "model/FieldValue.h"
#include "model/Model.h"
#include "remote/ProgramNames.h"
#include "remote/RemoteExecutor.h"
#include "unit/Unit.h"

namespace pavo::remote {

namespace {

using nlohmann::json;

// Ranges up to this many codes carry the text of every code, so that a slider can show its value
// while it moves without asking.
constexpr uint32_t kMaxLabels = 256;

double Rounded(double x, double step) {
    return std::round(x / step) * step;
}

json ProgramJson(int number, const uint8_t* name) {
    return {{"number", number},
            {"label", number >= 1 && number <= kProgramCount ? ProgramNumberText(number) : std::string()},
            {"name", ProgramNameUtf8(name, kProgramNameLength)}};
}

const uint8_t* RecordOf(const UnitView& v, const FieldInfo& f) {
    return f.record == FieldRecord::Program ? BytesOf(v.current) : BytesOf(v.system);
}

// The bytes a block's response is computed from: its bands and its two filters.
template <class Block>
void BytesOfCurve(const Block& b, std::string& bytes) {
    bytes.assign(reinterpret_cast<const char*>(&b.Eq), sizeof b.Eq);
    bytes.append(reinterpret_cast<const char*>(&b.HighPass), sizeof b.HighPass);
    bytes.append(reinterpret_cast<const char*>(&b.LowPass), sizeof b.LowPass);
}

std::string CurveInputs(const ProgramImage& image, int block, int scene) {
    std::string bytes;
    switch (block) {
        case BlockMusicLeft:
            BytesOfCurve(image.MusicLeft, bytes);
            break;
        case BlockMusicRight:
            BytesOfCurve(image.MusicRight, bytes);
            break;
        case BlockMic12:
            BytesOfCurve(image.Mic12, bytes);
            break;
        case BlockMic34:
            BytesOfCurve(image.Mic34, bytes);
            break;
        case BlockEchoA:
            BytesOfCurve(image.EchoA, bytes);
            break;
        case BlockEchoB:
            BytesOfCurve(image.EchoB, bytes);
            break;
        case BlockReverb:
            BytesOfCurve(image.Reverb, bytes);
            break;
        case BlockReverbSpare:
            BytesOfCurve(image.ReverbSpare, bytes);
            break;
        case BlockMusicLeftDyn:
            bytes.assign(reinterpret_cast<const char*>(&image.MusicLeft.DynEq), sizeof image.MusicLeft.DynEq);
            break;
        case BlockMusicRightDyn:
            bytes.assign(reinterpret_cast<const char*>(&image.MusicRight.DynEq),
                         sizeof image.MusicRight.DynEq);
            break;
        default:
            BytesOfCurve(image.Scenes[scene - 1].Channel[block - BlockOutputFirst], bytes);
            break;
    }
    return bytes;
}

}  // namespace

UnitView ViewOf(Unit& unit) {
    UnitView v;
    v.busy = TransferRunning(unit);  // the send lock: before the model lock, never under it
    const Model& m = unit.model();
    m.Edit([&] {
        v.current = m.current;
        v.system = m.system;
        for (int i = 0; i < kProgramCount; ++i)
            std::memcpy(v.names[i].data(), m.bank.Programs[i].ProgramName, kProgramNameLength);
        v.editedScene = m.scene.EditedScene();
        v.levels = m.status.areaA;
        v.indicators = m.status.areaB;
    });
    v.connected = m.flags.connected.load() != 0;
    return v;
}

const std::vector<const FieldInfo*>& PanelFields() {
    static const std::vector<const FieldInfo*> fields = [] {
        std::vector<const FieldInfo*> out;
        for (const char* path :
             {"System.MusicMaster.Level", "System.MusicMaster.Mute", "System.MusicMax",
              "System.MicMaster.Level", "System.MicMaster.Mute", "System.MicMax", "System.EffectMaster.Level",
              "System.EffectMaster.Mute", "System.EffectMax", "Mic12.MicLevel", "Mic34.MicLevel",
              "Mic12.FeedbackSuppress", "Mic34.FeedbackSuppress", "System.KeyShift", "EchoA.EffectLevel",
              "EchoB.EffectLevel", "Reverb.EffectLevel", "System.InputSelect"})
            if (const FieldInfo* f = FindField(path)) out.push_back(f);
        return out;
    }();
    return fields;
}

json ValueJson(const FieldInfo& f, uint32_t code) {
    json j;
    j["code"] = code;
    const TypedValue t = TypedValueOf(f, code);
    switch (t.kind) {
        case TypedValue::Kind::Number:
            j["number"] = t.number;
            j["unit"] = t.unit;
            break;
        case TypedValue::Kind::Boolean:
            j["boolean"] = t.boolean;
            break;
        case TypedValue::Kind::Text:
            j["text"] = t.text;
            break;
    }
    j["display"] = FormatCode(f, code);
    return j;
}

json FieldJson(const FieldInfo& f, uint32_t code) {
    json j = ValueJson(f, code);
    j["min"] = f.min;
    j["max"] = f.max;
    j["range"] = RangeText(f);
    if (f.max >= f.min && f.max - f.min < kMaxLabels) {
        json labels = json::array();
        for (uint32_t c = f.min; c <= f.max; ++c) labels.push_back(FormatCode(f, c));
        j["labels"] = std::move(labels);
    }
    return j;
}

uint32_t CodeIn(const UnitView& v, const FieldInfo& f) {
    return ReadCode(f, RecordOf(v, f));
}

json StatusJson(const UnitView& v) {
    json programs = json::array();
    for (int n = 1; n <= kProgramCount; ++n) programs.push_back(ProgramJson(n, v.names[n - 1].data()));
    return {{"connected", v.connected},
            {"busy", v.busy},
            {"scene", v.editedScene},
            {"program", ProgramJson(v.system.ProgramNumber, v.current.ProgramName)},
            {"programs", std::move(programs)}};
}

json MetersJson(const UnitView& v) {
    return {{"on", v.connected}, {"levels", v.levels}, {"indicators", v.indicators}};
}

json StateJson(const UnitView& v, int unitIndex) {
    json j = StatusJson(v);
    j["unit"] = unitIndex;
    json panel = json::object();
    for (const FieldInfo* f : PanelFields()) panel[f->path] = FieldJson(*f, CodeIn(v, *f));
    j["panel"] = std::move(panel);
    j["meters"] = MetersJson(v);
    return j;
}

std::vector<const FieldInfo*> ChangedFields(const UnitView& a, const UnitView& b) {
    std::vector<const FieldInfo*> out;
    auto scan = [&](FieldRecord record, const uint8_t* x, const uint8_t* y, size_t size) {
        if (std::memcmp(x, y, size) == 0) return;
        const std::span<const FieldInfo> all = FieldsOf(record);
        for (size_t offset = 0; offset < size; ++offset) {
            const uint8_t changed = x[offset] ^ y[offset];
            if (!changed) continue;
            const FieldInfo* first = FieldAt(record, static_cast<int>(offset));
            if (!first) continue;
            // Bit fields share their byte: only those whose bits changed.
            for (const FieldInfo* f = first; f != all.data() + all.size() && f->offset == first->offset;
                 ++f) {
                if (f->width == 1 && !(f->mask & changed)) continue;
                if (out.empty() || out.back() != f) out.push_back(f);
            }
        }
    };
    scan(FieldRecord::Program, BytesOf(a.current), BytesOf(b.current), sizeof a.current);
    scan(FieldRecord::System, BytesOf(a.system), BytesOf(b.system), sizeof a.system);
    return out;
}

std::vector<int> ChangedCurves(const UnitView& a, const UnitView& b) {
    std::vector<int> out;
    for (int block = 0; block < kBlockCount; ++block)
        if (CurveInputs(a.current, block, a.editedScene) != CurveInputs(b.current, block, b.editedScene))
            out.push_back(block);
    return out;
}

json CurveJson(const ProgramImage& image, int block, int scene, bool withGrid) {
    const std::optional<GridLevels> levels = BlockResponse(image, block, scene);
    if (!levels) return nullptr;
    json values = json::array();
    for (double db : *levels) values.push_back(Rounded(db, 0.01));
    json j = {{"block", block}, {"scene", scene}, {"levels", std::move(values)}};
    if (withGrid) j["frequencies"] = GridJson();
    return j;
}

json GridJson() {
    json hz = json::array();
    for (double f : ResponseGrid()) hz.push_back(Rounded(f, 0.1));
    return hz;
}

std::string Dump(const json& j) {
    return j.dump(-1, ' ', false, json::error_handler_t::replace);
}

}  // namespace pavo::remote
