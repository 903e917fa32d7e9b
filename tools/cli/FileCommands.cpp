#include "FileCommands.h"

#include <cstdio>
#include <vector>

#include "CliFailure.h"
#include "FieldText.h"
#include "PresetInput.h"
#include "eq/BlockResponse.h"
#include "model/FieldCatalog.h"
#include "model/Model.h"

namespace pavo::cli {

namespace {

// The summed response of block N as the response graph draws it, from the file's program in the
// scene the program edits.
int Curve(const CliOptions& o) {
    if (o.args.size() != 1 || o.block < 0) FailUsage("usage: pavo-cli curve FILE.dia --block N");
    const auto file = ReadProgramFile(o.args[0]);
    const int active = file->image.ActiveScene;
    const auto sum = BlockResponse(file->image, o.block, active >= 1 && active <= 3 ? active : 1);
    if (!sum) FailUsage("block " + std::to_string(o.block) + " has no EQ");
    std::printf("Hz,dB\n");
    for (int k = 0; k < kGridPoints; ++k) std::printf("%g,%.4f\n", ResponseGrid()[k], (*sum)[k]);
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

void ShowText(const PresetInput& in) {
    for (const Part& part : PartsOf(in))
        for (const FieldInfo& f : FieldsOf(part.record)) {
            const std::string path = part.prefix + f.path;
            std::printf("%-44s %s\n", path.c_str(), ShownValue(f, part.bytes).c_str());
        }
    if (in.kind == PresetKind::Bank) std::printf("%-44s %d\n", "Valid", in.bank->Valid);
}

// A stable form for programs: the kind, then every field by path in byte order, each with its code
// and its value as people read it (text fields with their bytes in hex).
void ShowJson(const PresetInput& in) {
    auto record = [](FieldRecord r, const uint8_t* bytes, const char* indent) {
        std::printf("{\n");
        const auto fields = FieldsOf(r);
        for (size_t i = 0; i < fields.size(); ++i)
            std::printf("%s  %s: %s%s\n", indent, JsonString(fields[i].path).c_str(),
                        JsonValue(fields[i], bytes).c_str(), i + 1 < fields.size() ? "," : "");
        std::printf("%s}", indent);
    };
    const std::vector<Part> parts = PartsOf(in);
    std::printf("{\n  \"kind\": \"%s\",\n  \"system\": ",
                in.kind == PresetKind::Program ? "program" : "bank");
    record(FieldRecord::System, parts[0].bytes, "  ");
    if (in.kind == PresetKind::Program) {
        std::printf(",\n  \"program\": ");
        record(FieldRecord::Program, parts[1].bytes, "  ");
    } else {
        std::printf(",\n  \"programs\": [\n    ");
        for (size_t p = 1; p < parts.size(); ++p) {
            record(FieldRecord::Program, parts[p].bytes, "    ");
            std::printf(p + 1 < parts.size() ? ",\n    " : "\n");
        }
        std::printf("  ],\n  \"valid\": %d", in.bank->Valid);
    }
    std::printf("\n}\n");
}

int Show(const CliOptions& o) {
    if (o.args.size() != 1) FailUsage("usage: pavo-cli show FILE [--json]");
    const PresetInput in = ReadPreset(o.args[0]);
    o.json ? ShowJson(in) : ShowText(in);
    return ExitOk;
}

// The fields whose values differ, one line each: "Mic12.MicLevel: 0.0 dB -> -5.0 dB". Exits as diff(1)
// does: 0 the same, 1 different.
int Diff(const CliOptions& o) {
    if (o.args.size() != 2) FailUsage("usage: pavo-cli diff A B");
    const PresetInput a = ReadPreset(o.args[0]);
    const PresetInput b = ReadPreset(o.args[1]);
    if (a.kind != b.kind) FailUsage("cannot compare a program file (.dia) with a bank file (.dat)");
    const std::vector<Part> pa = PartsOf(a), pb = PartsOf(b);
    bool differ = false;
    for (size_t p = 0; p < pa.size(); ++p)
        for (const FieldInfo& f : FieldsOf(pa[p].record))
            if (!SameField(f, pa[p].bytes, pb[p].bytes)) {
                std::printf("%s%s: %s -> %s\n", pa[p].prefix.c_str(), f.path.c_str(),
                            ShownValue(f, pa[p].bytes).c_str(), ShownValue(f, pb[p].bytes).c_str());
                differ = true;
            }
    if (a.kind == PresetKind::Bank && a.bank->Valid != b.bank->Valid) {
        std::printf("Valid: %d -> %d\n", a.bank->Valid, b.bank->Valid);
        differ = true;
    }
    return differ ? ExitDiffer : ExitOk;
}

}  // namespace

bool IsFileCommand(const std::string& c) {
    return c == "show" || c == "diff" || c == "curve";
}

int RunFileCommand(const CliOptions& o) {
    if (!o.ports.empty() || o.allPorts) FailUsage(o.command + " reads files only; it takes no --port");
    if (o.json && o.command != "show") FailUsage("--json goes with show only");
    if (o.command == "show") return Show(o);
    if (o.command == "diff") return Diff(o);
    return Curve(o);
}

}  // namespace pavo::cli
