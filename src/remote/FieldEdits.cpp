#include "remote/FieldEdits.h"

#include <limits>

#include "model/FieldBytes.h"
#include "model/FieldValue.h"
#include "remote/SentFields.h"

namespace pavo::remote {

namespace {

using nlohmann::json;

std::nullopt_t Fail(ValueError* error, bool malformed, std::string message) {
    if (error) *error = {malformed, std::move(message)};
    return std::nullopt;
}

// A master level and the maximum it may not exceed.
struct MasterPair {
    const char* level;
    const char* maximum;
};
constexpr MasterPair kMasters[] = {
    {"System.MusicMaster.Level", "System.MusicMax"},
    {"System.MicMaster.Level", "System.MicMax"},
    {"System.EffectMaster.Level", "System.EffectMax"},
};

// Output channels are "SceneN.<channel>.<field>".
int SceneOf(const FieldInfo& f) {
    const std::string& p = f.path;
    if (p.size() > 7 && p.compare(0, 5, "Scene") == 0 && p[6] == '.' && p[5] >= '1' && p[5] <= '3')
        return p[5] - '0';
    return 0;
}

bool IsLink(const FieldInfo& f) {
    return f.record == FieldRecord::Program && f.path.find('.') == std::string::npos &&
           f.path.ends_with("Link");
}

std::optional<uint32_t> CodeOfTyped(const FieldInfo& f, const TypedValue& value, ValueError* error) {
    std::string why;
    const auto code = CodeOfTypedValue(f, value, &why);
    if (!code) return Fail(error, false, why);
    return code;
}

std::optional<uint32_t> CodeOfObject(const FieldInfo& f, const json& o, ValueError* error) {
    for (const auto& [key, member] : o.items())
        if (key != "code" && key != "number" && key != "unit" && key != "boolean" && key != "text" &&
            key != "display")
            return Fail(error, true, "unknown member \"" + key + "\" in the value of " + f.path);
    std::optional<uint32_t> typed;
    if (o.contains("number")) {
        const json& n = o["number"];
        if (!n.is_number()) return Fail(error, true, "\"number\" is not a number");
        std::string unit;
        if (o.contains("unit")) {
            if (!o["unit"].is_string()) return Fail(error, true, "\"unit\" is not a text");
            unit = o["unit"].get<std::string>();
        }
        typed = CodeOfTyped(f, TypedValue::OfNumber(n.get<double>(), unit), error);
        if (!typed) return std::nullopt;
    } else if (o.contains("boolean")) {
        if (!o["boolean"].is_boolean()) return Fail(error, true, "\"boolean\" is not true or false");
        typed = CodeOfTyped(f, TypedValue::OfBoolean(o["boolean"].get<bool>()), error);
        if (!typed) return std::nullopt;
    } else if (o.contains("text")) {
        if (!o["text"].is_string()) return Fail(error, true, "\"text\" is not a text");
        typed = CodeOfTyped(f, TypedValue::OfText(o["text"].get<std::string>()), error);
        if (!typed) return std::nullopt;
    }
    if (!o.contains("code")) {
        if (!typed)
            return Fail(error, true, "the value of " + f.path + " has no code, number, boolean or text");
        return typed;
    }
    const json& c = o["code"];
    if (!c.is_number_unsigned() && !(c.is_number_integer() && c.get<int64_t>() >= 0))
        return Fail(error, true, "\"code\" is not a whole number of 0 or more");
    const uint64_t raw = c.get<uint64_t>();
    if (typed) {
        if (raw != *typed)
            return Fail(error, false,
                        f.path + ": the code " + std::to_string(raw) + " and the value beside it (code " +
                            std::to_string(*typed) + ") disagree");
        return typed;
    }
    if (raw > std::numeric_limits<uint32_t>::max() || !InRange(f, static_cast<uint32_t>(raw)))
        return Fail(error, false,
                    f.path + ": code " + std::to_string(raw) + " is outside " + std::to_string(f.min) +
                        " .. " + std::to_string(f.max));
    return static_cast<uint32_t>(raw);
}

}  // namespace

std::optional<uint32_t> CodeOfJson(const FieldInfo& f, const json& value, ValueError* error) {
    if (!f.HasCode()) return Fail(error, false, f.path + " holds characters or bytes; it cannot be set");
    if (value.is_string()) {
        std::string why;
        const auto code = ParseCode(f, value.get<std::string>(), &why);
        if (!code) return Fail(error, false, why);
        return code;
    }
    if (value.is_boolean()) return CodeOfTyped(f, TypedValue::OfBoolean(value.get<bool>()), error);
    if (value.is_number()) return CodeOfTyped(f, TypedValue::OfNumber(value.get<double>()), error);
    if (value.is_object()) return CodeOfObject(f, value, error);
    return Fail(error, true, "the value of " + f.path + " is not a text, number, boolean or value object");
}

std::optional<std::string> RefusalOf(const Model& m, const FieldInfo& f, uint32_t code) {
    if (!f.HasCode()) return f.path + " holds characters or bytes; it cannot be set";
    if (f.path == "System.ProgramNumber")
        return f.path + " changes by recalling a program (POST /api/recall)";
    if (IsLink(f)) return f.path + " is switched on its page, which copies the channel along with it";
    const int edited = m.scene.EditedScene();
    if (const int scene = SceneOf(f); scene != 0 && scene != edited)
        return f.path + " is in Scene" + std::to_string(scene) + ", but the unit plays Scene" +
               std::to_string(edited) + (m.current.ActiveScene == 0 ? " (ActiveScene Auto)" : "") +
               ": only the scene in use takes changes; set ActiveScene first";
    if (!SentOnItsOwn(f, edited))
        return f.path + " is not sent to the unit on its own: it travels only with whole programs";
    for (const MasterPair& p : kMasters) {
        if (f.path != p.level) continue;
        const FieldInfo* max = FindField(p.maximum);
        const uint32_t limit = max ? ReadCode(*max, BytesOf(m.system)) : f.max;
        if (code > limit)
            return f.path + ": " + std::to_string(code) + " is above the maximum " + std::to_string(limit) +
                   " (" + p.maximum + ")";
    }
    return std::nullopt;
}

void WriteField(Model& m, const FieldInfo& f, uint32_t code) {
    WriteCode(f, RecordOf(m, f), code);
    for (const MasterPair& p : kMasters) {
        if (f.path != p.maximum) continue;
        const FieldInfo* level = FindField(p.level);
        if (level && ReadCode(*level, BytesOf(m.system)) > code) WriteCode(*level, BytesOf(m.system), code);
    }
}

uint32_t CodeIn(const Model& m, const FieldInfo& f) {
    return ReadCode(f, RecordOf(m, f));
}

}  // namespace pavo::remote
