#include "FileCommands.h"

#include <cmath>
#include <filesystem>
#include <vector>

#include "BlockArg.h"
#include "CliFailure.h"
#include "CurveOutput.h"
#include "FieldText.h"
#include "Output.h"
#include "PresetInput.h"
#include "model/DataConver.h"
#include "model/FieldCatalog.h"
#include "model/FieldNames.h"
#include "model/FieldValue.h"
#include "model/Model.h"

namespace pavo::cli {

namespace {

using json = nlohmann::ordered_json;

// The program of a .dia, or program --program N of a .dat.
int Curve(const CliOptions& o) {
    if (o.args.size() != 1 || o.block.empty())
        FailUsage("usage: pavo-cli curve FILE.dia --block B, or FILE.dat --program N --block B");
    const int block = BlockFromText(o.block);
    const int program = o.program.empty() ? 0 : StoredProgramFromText(o.program);
    const std::string& path = o.args[0];
    json about = {{"file", path}};
    if (program) {
        const auto bank = ReadBankFile(path);
        about["program"] = JsonOfCode(*FindField("System.ProgramNumber"), static_cast<uint32_t>(program));
        PrintCurve(bank->Programs[program - 1], block, about, o.json);
    } else {
        std::error_code ec;
        if (std::filesystem::file_size(path, ec) == kDatFileSize)
            FailUsage(path + " is a bank: give --program N (1..21, or F1..F5)");
        PrintCurve(ReadProgramFile(path)->image, block, about, o.json);
    }
    return ExitOk;
}

// The records of a preset file, each with the prefix its paths get: a program file holds the system
// record and one program (paths as the unit's current program has them), a bank file the system
// record and programs 1..21 ("Program3.Mic12.MicLevel").
struct Part {
    FieldRecord record;
    std::string prefix;
    const uint8_t* bytes;
};

std::vector<Part> PartsOf(const PresetInput& in) {
    if (in.kind == PresetKind::Program)
        return {{FieldRecord::System, "", BytesOf(in.program->system)},
                {FieldRecord::Program, "", BytesOf(in.program->image)}};
    std::vector<Part> parts{{FieldRecord::System, "", BytesOf(in.bank->System)}};
    for (int n = 1; n <= kProgramCount; ++n)
        parts.push_back(
            {FieldRecord::Program, "Program" + std::to_string(n) + ".", BytesOf(in.bank->Programs[n - 1])});
    return parts;
}

json RecordJson(const Part& part) {
    json record = json::object();
    for (const FieldInfo& f : FieldsOf(part.record)) record[f.path] = JsonValue(f, part.bytes);
    return record;
}

// Every field by path in byte order, each with its code and its typed value (text fields with their
// bytes in hex).
int Show(const CliOptions& o) {
    if (o.args.size() != 1) FailUsage("usage: pavo-cli show [options] FILE");
    const PresetInput in = ReadPreset(o.args[0]);
    const std::vector<Part> parts = PartsOf(in);
    if (o.json) {
        json doc = {{"kind", in.kind == PresetKind::Program ? "program" : "bank"}};
        doc["system"] = RecordJson(parts[0]);
        if (in.kind == PresetKind::Program) {
            doc["program"] = RecordJson(parts[1]);
        } else {
            doc["programs"] = json::array();
            for (size_t p = 1; p < parts.size(); ++p) doc["programs"].push_back(RecordJson(parts[p]));
            doc["valid"] = in.bank->Valid;
        }
        PrintJson(doc);
        return ExitOk;
    }
    std::string text;
    char line[512];
    for (const Part& part : parts)
        for (const FieldInfo& f : FieldsOf(part.record)) {
            const std::string path = part.prefix + f.path;
            std::snprintf(line, sizeof line, "%-44s %s\n", path.c_str(), ShownValue(f, part.bytes).c_str());
            text += line;
        }
    if (in.kind == PresetKind::Bank) {
        std::snprintf(line, sizeof line, "%-44s %d\n", "Valid", in.bank->Valid);
        text += line;
    }
    Print("%s", text.c_str());
    return ExitOk;
}

// The fields whose values differ, one line each: "Mic12.MicLevel: 0.0 dB -> -5.0 dB". Exits as diff(1)
// does: 0 the same, 1 different.
int Diff(const CliOptions& o) {
    if (o.args.size() != 2) FailUsage("usage: pavo-cli diff [options] A B");
    const PresetInput a = ReadPreset(o.args[0]);
    const PresetInput b = ReadPreset(o.args[1]);
    if (a.kind != b.kind) FailUsage("cannot compare a program file (.dia) with a bank file (.dat)");
    const std::vector<Part> pa = PartsOf(a), pb = PartsOf(b);
    json differences = json::array();
    std::string text;
    for (size_t p = 0; p < pa.size(); ++p)
        for (const FieldInfo& f : FieldsOf(pa[p].record))
            if (!SameField(f, pa[p].bytes, pb[p].bytes)) {
                const std::string path = pa[p].prefix + f.path;
                differences.push_back(
                    {{"path", path}, {"a", JsonValue(f, pa[p].bytes)}, {"b", JsonValue(f, pb[p].bytes)}});
                text += path + ": " + ShownValue(f, pa[p].bytes) + " -> " + ShownValue(f, pb[p].bytes) + "\n";
            }
    if (a.kind == PresetKind::Bank && a.bank->Valid != b.bank->Valid) {
        differences.push_back(
            {{"path", "Valid"}, {"a", {{"code", a.bank->Valid}}}, {"b", {{"code", b.bank->Valid}}}});
        text += "Valid: " + std::to_string(a.bank->Valid) + " -> " + std::to_string(b.bank->Valid) + "\n";
    }
    if (o.json)
        PrintJson({{"same", differences.empty()}, {"differences", differences}});
    else
        Print("%s", text.c_str());
    return differences.empty() ? ExitOk : ExitDiffer;
}

// What a field holds, in the words of the JSON value forms.
const char* KindOf(const FieldInfo& f) {
    if (f.display == FieldDisplay::Text) return "text";
    if (f.display == FieldDisplay::Opaque) return "bytes";
    if (f.display == FieldDisplay::Program) return "program";
    switch (TypedValueOf(f, f.max).kind) {
        case TypedValue::Kind::Number:
            return "number";
        case TypedValue::Kind::Boolean:
            return "switch";
        default:
            return "choice";
    }
}

// The step between neighbouring codes for the fields in even steps; none for tables and names.
std::optional<double> StepOf(const FieldInfo& f) {
    if (f.display != FieldDisplay::Gain && f.display != FieldDisplay::Scaled &&
        f.display != FieldDisplay::Code)
        return std::nullopt;
    const auto hi = NumberOfCode(f, f.max), below = NumberOfCode(f, f.max - 1);
    if (!hi || !below || f.max == f.min) return std::nullopt;
    return std::round((*hi - *below) * 1e6) / 1e6;
}

int Fields(const CliOptions& o) {
    if (!o.args.empty()) FailUsage("usage: pavo-cli fields [options]");
    json fields = json::array();
    std::string text;
    char line[512];
    for (const FieldInfo& f : pavo::Fields()) {
        const std::string kind = KindOf(f);
        const std::optional<double> step = StepOf(f);
        const FieldName name = NameOfField(f);
        json choices = nullptr;
        if (kind == "choice" || kind == "switch") {
            choices = json::array();
            for (uint32_t c = f.min; c <= f.max; ++c) choices.push_back(FormatCode(f, c));
        }
        const bool coded = f.HasCode();
        const std::string unit = coded ? UnitOf(f) : "";
        fields.push_back({{"path", f.path},
                          {"record", f.record == FieldRecord::Program ? "program" : "system"},
                          {"kind", kind},
                          {"min", coded ? json(f.min) : json(nullptr)},
                          {"max", coded ? json(f.max) : json(nullptr)},
                          {"range", coded ? json(RangeText(f)) : json(nullptr)},
                          {"unit", kind == "number" ? json(unit) : json(nullptr)},
                          {"step", step ? json(*step) : json(nullptr)},
                          {"choices", choices},
                          {"bytes", f.width},
                          {"names", {{"en", name.english}, {"zh", name.chinese}}}});
        std::string what =
            coded ? RangeText(f) : std::to_string(f.width) + (kind == "text" ? " characters" : " bytes");
        if (step) {
            char s[64];
            std::snprintf(s, sizeof s, ", step %g%s%s", *step, unit.empty() ? "" : " ", unit.c_str());
            what += s;
        }
        std::snprintf(line, sizeof line, "%-36s %-8s %s  \"%s\" \"%s\"\n", f.path.c_str(), kind.c_str(),
                      what.c_str(), name.english.c_str(), name.chinese.c_str());
        text += line;
    }
    if (o.json)
        PrintJson({{"fields", fields}});
    else
        Print("%s", text.c_str());
    return ExitOk;
}

}  // namespace

bool IsFileCommand(const CliOptions& o) {
    return o.command == "fields" || o.command == "show" || o.command == "diff" ||
           (o.command == "curve" && o.ports.empty() && !o.allPorts);
}

int RunFileCommand(const CliOptions& o) {
    if (o.command == "fields") return Fields(o);
    if (o.command == "show") return Show(o);
    if (o.command == "diff") return Diff(o);
    return Curve(o);
}

}  // namespace pavo::cli
