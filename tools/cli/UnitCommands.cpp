#include "UnitCommands.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>

#include "AutoEqCommand.h"
#include "BatchFile.h"
#include "BlockArg.h"
#include "CliFailure.h"
#include "CurveOutput.h"
#include "FieldText.h"
#include "Output.h"
#include "PresetInput.h"
#include "Progress.h"
#include "TraceFile.h"
#include "UnitSession.h"
#include "model/DataConver.h"
#include "model/FieldCatalog.h"
#include "model/FieldValue.h"
#include "model/FileReplace.h"
#include "model/Model.h"
#include "model/PresetFiles.h"
#include "protocol/TrafficText.h"

namespace pavo::cli {

namespace {

using json = nlohmann::ordered_json;

void NeedArgs(const CliOptions& o, size_t n, const char* form) {
    if (o.args.size() != n) FailUsage(std::string("usage: pavo-cli ") + form);
}

bool StderrIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

// Progress goes to stderr, so stdout holds results only: a bar on a terminal, nothing elsewhere unless
// asked for (--progress: a line per step), nothing at all with --quiet.
ProgressFn ShowProgress(std::unique_ptr<Progress>& bar, const char* what, const CliOptions& o,
                        bool severalPorts) {
    const bool terminal = !severalPorts && StderrIsTerminal();
    if (o.quiet || !(terminal || o.progress)) return {};
    return [&bar, what, terminal](int done, int total) {
        if (!bar) bar = std::make_unique<Progress>(stderr, terminal, what, total);
        bar->Set(done);
    };
}

// A message about what was done: on stderr, unless --quiet.
void Say(const CliOptions& o, const std::string& text) {
    if (o.quiet) return;
    PrintError(text);
}

// Where a field outside its range sits in a bank file, and what it holds.
std::string Where(const FileFault& fault) {
    const FieldInfo& f = *fault.field;
    std::string where = "the header (system record)";
    if (fault.program > 0) {
        where = "program " + std::to_string(fault.program);
        if (fault.program > 16) where += " (" + ProgramNumberText(fault.program) + ")";
    }
    return where + ", " + f.path + " holds code " + std::to_string(fault.code) + ", outside " + RangeText(f) +
           " (codes " + std::to_string(f.min) + ".." + std::to_string(f.max) + ")";
}

// The import's range check, before any port is opened: a bank holding codes outside their ranges is
// refused, or with --force sent as it is once every such field has been listed.
void CheckBankRanges(const CliOptions& o, const std::string& file, const ProgramBank& bank) {
    const std::vector<FileFault> faults = FaultsOfDat(bank);
    if (faults.empty()) return;
    if (!o.force)
        FailUsage(file + " is refused: " + Where(faults.front()) +
                  "; nothing was sent (--force sends the file as it is)");
    for (const FileFault& fault : faults) PrintError(file + ": " + Where(fault));
    PrintError(file + ": sent as it is (--force), codes outside their ranges included");
}

// A target that cannot be written is found before the unit is read (a bank takes twenty seconds).
void CheckTarget(const std::string& path) {
    if (const int error = SaveBlocker(path)) FailUsage("cannot write " + path + ": " + std::strerror(error));
}

const FieldInfo& ProgramNumberField() {
    static const FieldInfo& f = *FindField("System.ProgramNumber");
    return f;
}
const FieldInfo& ProgramNameField() {
    static const FieldInfo& f = *FindField("ProgramName");
    return f;
}

std::string NameText(const uint8_t* name) {
    return QuotedName({name, static_cast<size_t>(kProgramNameLength)});
}

// A program's number and name as JSON: the number as System.ProgramNumber, the name as ProgramName.
json ProgramJson(int number, const ProgramImage& image) {
    return {{"number", JsonOfCode(ProgramNumberField(), static_cast<uint32_t>(number))},
            {"name", JsonValue(ProgramNameField(), BytesOf(image))}};
}

void Info(UnitSession& s, const CliOptions& o, json& report) {
    s.ReadEverything();  // under a second: no progress to show
    const Model& m = s.model();
    std::string text;
    char line[256];
    m.Edit([&] {
        const bool authority = s.StoreAuthority();
        report["storeAuthority"] = authority;
        report["program"] = ProgramJson(m.system.ProgramNumber, m.current);
        report["programs"] = json::array();
        std::snprintf(line, sizeof line, "store authority   %s\ncurrent program   %s %s\nprograms\n",
                      authority ? "yes" : "no", ProgramNumberText(m.system.ProgramNumber).c_str(),
                      NameText(m.current.ProgramName).c_str());
        text += line;
        for (int n = 1; n <= kProgramCount; ++n) {
            report["programs"].push_back(ProgramJson(n, m.bank.Programs[n - 1]));
            std::snprintf(line, sizeof line, "  %4s  %s\n", ProgramNumberText(n).c_str(),
                          NameText(m.bank.Programs[n - 1].ProgramName).c_str());
            text += line;
        }
        // The settings, not the passwords nor the bytes nobody interprets.
        text += "system\n";
        report["system"] = json::object();
        for (const FieldInfo& f : FieldsOf(FieldRecord::System))
            if (f.HasCode()) {
                report["system"][f.path] = JsonValue(f, BytesOf(m.system));
                std::snprintf(line, sizeof line, "  %-26s %s\n", f.path.c_str(),
                              ShownValue(f, BytesOf(m.system)).c_str());
                text += line;
            }
    });
    if (!o.json) Print("%s", text.c_str());
}

uint8_t* RecordOf(Model& m, const FieldInfo& f) {
    return f.record == FieldRecord::Program ? BytesOf(m.current) : BytesOf(m.system);
}

std::string Described(const FieldInfo& f, const uint8_t* record) {
    std::string text = f.path + " = " + ShownValue(f, record);
    // The raw code beside the value, unless the value already is the code; written as set takes it.
    if (f.HasCode() && InRange(f, ReadCode(f, record)) && f.display != FieldDisplay::Code)
        text += " (code:" + std::to_string(ReadCode(f, record)) + ")";
    return text;
}

void Get(UnitSession& s, const UnitStep& step, const CliOptions& o, json& out) {
    Model& m = s.model();
    out["values"] = json::object();
    for (const FieldInfo* f : step.fields) {
        std::string text;
        m.Edit([&] {
            text = Described(*f, RecordOf(m, *f));
            out["values"][f->path] = JsonValue(*f, RecordOf(m, *f));
        });
        if (!o.json) Print("%s\n", text.c_str());
    }
}

// Output channels are sent for the scene the unit plays only; a change to another scene would sit in
// the model unsent.
void CheckScene(const Model& m, const FieldInfo& f) {
    if (f.path.rfind("Scene", 0) != 0 || f.path.size() < 7 || f.path[6] != '.') return;
    const int scene = f.path[5] - '0';
    int active = 0, edited = 0;
    m.Edit([&] {
        active = m.current.ActiveScene;
        edited = m.scene.EditedScene();
    });
    if (scene != edited)
        FailUsage(f.path + " is in Scene" + std::to_string(scene) + ", but the unit plays Scene" +
                  std::to_string(edited) + (active == 0 ? " (ActiveScene Auto)" : "") +
                  ": only the scene in use takes changes; set ActiveScene first");
}

// One edit on its way: what it changes and how far it has got.
struct Sending {
    const UnitStep* step;
    const FieldEdit* edit;
    nlohmann::ordered_json* changes;  // the step's list of changes
    uint32_t old = 0;
    std::string was;
    UnitSession::EditTicket ticket;
};

// Names the line of a batch in a failure ("edits.txt line 7: ..."); nothing outside a batch.
using LineName = std::function<std::string(const UnitStep&)>;

[[noreturn]] void FailAt(const LineName& where, const UnitStep& step, const CliFailure& f) {
    throw CliFailure(f.code(), where(step) + f.what());
}

void Report(const Sending& e, bool changed, const CliOptions& o) {
    const FieldInfo& f = *e.edit->field;
    e.changes->push_back({{"path", f.path},
                          {"value", JsonOfCode(f, e.edit->code)},
                          {"was", JsonOfCode(f, e.old)},
                          {"changed", changed}});
    if (o.json) return;
    if (changed)
        Print("%s = %s (was %s)\n", f.path.c_str(), FormatCode(f, e.edit->code).c_str(), e.was.c_str());
    else
        Print("%s = %s (unchanged)\n", f.path.c_str(), FormatCode(f, e.edit->code).c_str());
}

// The edits in order, each stored into the model as a page stores an edit and sent by the change
// scanner. Each goes into the model while the frame of the one before is still on the line, so that
// the scanner's next frame is this edit rather than a status poll; each is reported once the unit has
// accepted it. The first the unit cannot take ends the run, named by its line.
void SendEdits(UnitSession& s, std::vector<Sending> edits, const CliOptions& o, const LineName& where) {
    Model& m = s.model();
    Sending* onLine = nullptr;  // written, its answer not yet seen
    const auto confirm = [&] {
        if (!onLine) return;
        try {
            s.Accepted(onLine->ticket);
        } catch (const CliFailure& f) {
            FailAt(where, *onLine->step, f);
        }
        Report(*onLine, true, o);
        onLine = nullptr;
    };
    for (Sending& e : edits) {
        const FieldInfo& f = *e.edit->field;
        try {
            CheckScene(m, f);
        } catch (const CliFailure& failure) {
            confirm();
            FailAt(where, *e.step, failure);
        }
        m.Edit([&] {
            e.old = ReadCode(f, RecordOf(m, f));
            e.was = ShownValue(f, RecordOf(m, f));
        });
        if (e.old == e.edit->code) {
            confirm();
            Report(e, false, o);
            continue;
        }
        e.ticket = s.Apply([&] {
            m.Edit([&] { WriteCode(f, RecordOf(m, f), e.edit->code); });
            m.RecordsReplaced();
        });
        confirm();
        bool sent = false;
        try {
            sent = s.Written(e.ticket);
        } catch (const CliFailure& failure) {
            FailAt(where, *e.step, failure);
        }
        if (!sent) {
            m.Edit([&] { WriteCode(f, RecordOf(m, f), e.old); });
            m.RecordsReplaced();
            const std::string why =
                f.path == "System.ProgramNumber"
                    ? f.path + " is not sent on its own; pavo-cli recall changes the program"
                    : f.path + " is not sent to the unit on its own: it travels only with whole programs";
            FailAt(where, *e.step, CliFailure(ExitUsage, why));
        }
        onLine = &e;
    }
    confirm();
}

// The edits of consecutive set steps (one set command, or set lines of a batch with nothing between
// them), each step's changes into its own report.
void SetSteps(UnitSession& s, const std::vector<std::pair<const UnitStep*, nlohmann::ordered_json*>>& steps,
              const CliOptions& o, const LineName& where) {
    std::vector<Sending> edits;
    for (const auto& [step, out] : steps) {
        (*out)["changes"] = json::array();
        for (const FieldEdit& e : step->edits) edits.push_back({step, &e, &(*out)["changes"], 0, {}, {}});
    }
    SendEdits(s, std::move(edits), o, where);
}

void Recall(UnitSession& s, const UnitStep& step, const CliOptions& o, json& out) {
    const bool image = s.Recall(step.program);
    out["program"] = JsonOfCode(ProgramNumberField(), static_cast<uint32_t>(step.program));
    std::string name;
    if (image)
        s.model().Edit([&] {
            name = " " + NameText(s.model().current.ProgramName);
            out["name"] = JsonValue(ProgramNameField(), BytesOf(s.model().current));
        });
    if (!o.json) Print("recalled program %s%s\n", ProgramNumberText(step.program).c_str(), name.c_str());
}

void RunStep(UnitSession& s, const UnitStep& step, const CliOptions& o, json& out) {
    if (step.command == "get") Get(s, step, o, out);
    if (step.command == "set") SetSteps(s, {{&step, &out}}, o, [](const UnitStep&) { return std::string(); });
    if (step.command == "recall") Recall(s, step, o, out);
}

// The lines in turn over one connection, after one read; the first line that fails ends the run and
// is named. Set lines that follow each other are sent as one stream of edits.
void Batch(UnitSession& s, const UnitRequest& r, const CliOptions& o, json& report) {
    s.ReadCurrent();
    const LineName where = [&](const UnitStep& step) {
        return r.batchName + " line " + std::to_string(step.line) + ": ";
    };
    std::vector<json> lines(r.steps.size());
    size_t done = 0;
    const auto flush = [&] {
        report["lines"] = json::array();
        for (size_t i = 0; i < done; ++i) report["lines"].push_back(lines[i]);
    };
    try {
        while (done < r.steps.size()) {
            const UnitStep& step = r.steps[done];
            lines[done] = {{"line", step.line}, {"command", step.command}};
            if (step.command != "set") {
                try {
                    RunStep(s, step, o, lines[done]);
                } catch (const CliFailure& f) {
                    FailAt(where, step, f);
                }
                ++done;
                continue;
            }
            std::vector<std::pair<const UnitStep*, json*>> sets;
            size_t end = done;
            for (; end < r.steps.size() && r.steps[end].command == "set"; ++end) {
                lines[end] = {{"line", r.steps[end].line}, {"command", "set"}};
                sets.emplace_back(&r.steps[end], &lines[end]);
            }
            SetSteps(s, sets, o, where);
            done = end;
        }
    } catch (...) {
        flush();
        throw;
    }
    flush();
}

void Backup(UnitSession& s, const UnitRequest& r, const CliOptions& o, const std::string& port,
            bool severalPorts) {
    const std::string path = PerPortPath(r.file, port, severalPorts);
    CheckTarget(path);
    std::unique_ptr<Progress> bar;
    const ProgramBank bank = s.ReadBank(ShowProgress(bar, "reading programs", o, severalPorts));
    if (bar) bar->Finish();
    if (!WriteDat(path, bank)) FailUsage("cannot write " + path + ": " + std::strerror(errno));
    Say(o,
        "wrote " + path + ": 21 programs and the system record (" + std::to_string(kDatFileSize) + " bytes)");
    // The program files an image under the number it asked for, whatever number came back; the
    // file is kept, but the run does not count as a success.
    for (const std::string& w : s.Warnings())
        if (w.find("another program") != std::string::npos) FailUnit(port + ": " + w + "; check " + path);
}

// The current program, or a stored one, with the system record, as "Export" writes it.
void Export(UnitSession& s, const UnitRequest& r, const CliOptions& o, const std::string& port,
            bool severalPorts) {
    const std::string path = PerPortPath(r.file, port, severalPorts);
    CheckTarget(path);
    auto file = std::make_unique<DiaContents>();
    std::string what;
    if (r.program == 0) {
        s.ReadCurrent();
        Model& m = s.model();
        m.Edit([&] {
            CopyRecord(file->image, m.current);
            CopyRecord(file->system, m.system);
        });
        what = "the current program " + NameText(file->image.ProgramName);
    } else {
        std::unique_ptr<Progress> bar;
        const ProgramBank bank = s.ReadBank(ShowProgress(bar, "reading programs", o, severalPorts));
        if (bar) bar->Finish();
        CopyRecord(file->image, bank.Programs[r.program - 1]);
        CopyRecord(file->system, bank.System);
        what = "program " + ProgramNumberText(r.program) + " " + NameText(file->image.ProgramName);
    }
    if (!WriteDia(path, file->system, file->image))
        FailUsage("cannot write " + path + ": " + std::strerror(errno));
    Say(o, "wrote " + path + ": " + what + " and the system record");
}

// --verify: every stored program read back and compared field by field with what was sent.
void Verify(UnitSession& s, const UnitRequest& r, const CliOptions& o, const std::string& port,
            bool severalPorts) {
    std::unique_ptr<Progress> bar;
    const ProgramBank back = s.ReadBank(ShowProgress(bar, "reading programs back", o, severalPorts));
    if (bar) bar->Finish();
    int differ = 0;
    for (const FieldInfo& f : FieldsOf(FieldRecord::System))
        if (!SameField(f, BytesOf(r.bank->System), BytesOf(back.System))) {
            ++differ;
            PrintError("the system record: " + f.path + " was sent as " +
                       ShownValue(f, BytesOf(r.bank->System)) + " and reads back as " +
                       ShownValue(f, BytesOf(back.System)));
        }
    for (int n = 1; n <= kProgramCount; ++n) {
        const uint8_t* sent = BytesOf(r.bank->Programs[n - 1]);
        const uint8_t* read = BytesOf(back.Programs[n - 1]);
        for (const FieldInfo& f : FieldsOf(FieldRecord::Program))
            if (!SameField(f, sent, read)) {
                ++differ;
                PrintError("program " + ProgramNumberText(n) + ": " + f.path + " was sent as " +
                           ShownValue(f, sent) + " and reads back as " + ShownValue(f, read));
            }
    }
    if (differ)
        FailUnit("the unit on " + port + " does not hold what was written: " + std::to_string(differ) +
                 (differ == 1 ? " field differs" : " fields differ"));
    Say(o, "verified: the unit holds the 21 programs and the system record as written");
}

void Restore(UnitSession& s, const UnitRequest& r, const CliOptions& o, const std::string& port,
             bool severalPorts) {
    if (!s.StoreAuthority())
        FailUnit("the unit on " + port +
                 " does not allow storing programs (no store authority); nothing was written");
    std::unique_ptr<Progress> bar;
    s.WriteBank(*r.bank, ShowProgress(bar, "writing programs", o, severalPorts));
    if (bar) bar->Finish();
    Say(o, "wrote " + r.file + " to the unit: 21 programs and the system record");
    if (o.verify) Verify(s, r, o, port, severalPorts);
}

// The status replies as the system page gets them, one line each: "levels 120 131 ...".
void Meters(UnitSession& s, const CliOptions& o, json& report) {
    int lines = 0;
    s.WatchMeters([&](StatusArea area, const std::array<uint8_t, kStatusMeterCount>& values) {
        const char* name = area == StatusArea::Levels ? "levels" : "indicators";
        if (o.json) {
            json line = report;
            line["area"] = name;
            line["values"] = values;
            PrintJson(line, true);
        } else {
            std::string text = name;
            for (uint8_t v : values) text += " " + std::to_string(v);
            Print("%s\n", text.c_str());
        }
        return o.count == 0 || ++lines < o.count;
    });
}

void CurveOfUnit(UnitSession& s, const UnitRequest& r, const CliOptions& o, json& report) {
    s.ReadCurrent();
    auto image = std::make_unique<ProgramImage>();
    s.model().Edit([&] { CopyRecord(*image, s.model().current); });
    PrintCurve(*image, r.block, report, o.json);
}

const FieldInfo& FieldOf(const std::string& path) {
    const FieldInfo* f = FindField(path);
    if (!f) FailUsage("no field " + path + "; pavo-cli fields lists them");
    return *f;
}

FieldEdit EditOf(const std::string& path, const std::string& value) {
    const FieldInfo& f = FieldOf(path);
    if (!f.HasCode()) FailUsage(f.path + " holds characters or bytes; it cannot be set");
    std::string error;
    std::optional<uint32_t> code;
    if (LooksLikeJson(value)) {
        const json typed = json::parse(value, nullptr, false);
        if (typed.is_discarded()) FailUsage(f.path + ": " + value + " is not JSON");
        code = CodeOfJson(f, typed, &error);
    } else {
        code = ParseCode(f, value, &error);
    }
    if (!code) FailUsage(error);
    return {&f, *code};
}

// set --values: every value of a get --json document ({"values": {PATH: VALUE}}).
UnitStep ValuesStep(const std::string& path) {
    std::ifstream file;
    if (path != "-") {
        file.open(path);
        if (!file) FailUsage("cannot read " + path);
    }
    const json doc = json::parse(path == "-" ? std::cin : file, nullptr, false);
    if (doc.is_discarded() || !doc.is_object() || !doc.contains("values") || !doc["values"].is_object())
        FailUsage(path + " is not a get --json document (an object with \"values\")");
    UnitStep step;
    step.command = "set";
    for (const auto& [name, value] : doc["values"].items()) {
        const FieldInfo& f = FieldOf(name);
        if (!f.HasCode()) FailUsage(f.path + " holds characters or bytes; it cannot be set");
        std::string error;
        const auto code = CodeOfJson(f, value, &error);
        if (!code) FailUsage(error);
        step.edits.push_back({&f, *code});
    }
    if (step.edits.empty()) FailUsage(path + " holds no values");
    return step;
}

}  // namespace

// A failure of the work keeps its own code.
int TraceOutcome(TraceFile* trace, int code) {
    if (!trace) return code;
    const std::string failure = trace->Finish();
    if (failure.empty()) return code;
    PrintError(failure);
    return code == ExitOk ? ExitTrace : code;
}

UnitStep GetStep(const std::vector<std::string>& args) {
    if (args.empty()) FailUsage("usage: pavo-cli get [options] PATH...");
    UnitStep step;
    step.command = "get";
    for (const std::string& path : args) step.fields.push_back(&FieldOf(path));
    return step;
}

UnitStep SetStep(const std::vector<std::string>& args) {
    // "PATH VALUE", or any number of "PATH=VALUE".
    UnitStep step;
    step.command = "set";
    if (args.empty()) FailUsage("usage: pavo-cli set [options] PATH VALUE, or PATH=VALUE...");
    if (args.size() == 2 && args[0].find('=') == std::string::npos) {
        step.edits.push_back(EditOf(args[0], args[1]));
        return step;
    }
    for (const std::string& a : args) {
        const size_t eq = a.find('=');
        if (eq == std::string::npos) FailUsage("set takes PATH=VALUE pairs, not " + a);
        step.edits.push_back(EditOf(a.substr(0, eq), a.substr(eq + 1)));
    }
    return step;
}

UnitStep RecallStep(const std::vector<std::string>& args) {
    if (args.size() != 1) FailUsage("usage: pavo-cli recall [options] N");
    const auto n = ProgramNumberFromText(args[0]);
    if (!n || *n < 1 || *n > kProgramCount)
        FailUsage("recall takes a program number 1..21 (or F1..F5), not " + args[0]);
    UnitStep step;
    step.command = "recall";
    step.program = *n;
    return step;
}

bool IsUnitCommand(const CliOptions& o) {
    for (const char* c : {"info", "backup", "restore", "export", "recall", "get", "set", "batch", "meters",
                          "curve", "autoeq"})
        if (o.command == c) return true;
    return false;
}

UnitRequest PrepareUnitRequest(const CliOptions& o) {
    UnitRequest r;
    r.command = o.command;
    if (o.command == "info" || o.command == "meters") {
        NeedArgs(o, 0, o.command == "info" ? "info [options]" : "meters [options]");
    } else if (o.command == "backup") {
        NeedArgs(o, 1, "backup [options] FILE.dat");
        r.file = o.args[0];
        if (o.ports.size() == 1 && !o.allPorts) CheckTarget(r.file);
    } else if (o.command == "export") {
        if (!o.program.empty()) r.program = StoredProgramFromText(o.program);
        NeedArgs(o, 1, "export [options] FILE.dia");
        r.file = o.args[0];
        if (o.ports.size() == 1 && !o.allPorts) CheckTarget(r.file);
    } else if (o.command == "restore") {
        NeedArgs(o, 1, "restore [options] FILE.dat");
        r.file = o.args[0];
        r.bank = ReadBankFile(r.file);
        CheckBankRanges(o, r.file, *r.bank);
    } else if (o.command == "recall") {
        r.steps.push_back(RecallStep(o.args));
    } else if (o.command == "get") {
        r.steps.push_back(GetStep(o.args));
    } else if (o.command == "set") {
        if (!o.valuesFile.empty()) {
            if (!o.args.empty()) FailUsage("set takes PATH=VALUE pairs or --values FILE, not both");
            r.steps.push_back(ValuesStep(o.valuesFile));
        } else {
            r.steps.push_back(SetStep(o.args));
        }
    } else if (o.command == "batch") {
        NeedArgs(o, 1, "batch [options] FILE|-");
        r.batchName = o.args[0] == "-" ? "stdin" : o.args[0];
        r.steps = ReadBatch(o.args[0], r.batchName);
    } else if (o.command == "curve") {
        if (!o.program.empty())
            FailUsage("--program goes with a bank file; curve --port reads the unit's program");
        if (o.block.empty()) FailUsage("usage: pavo-cli curve --port DEV --block B");
        r.block = BlockFromText(o.block);
    } else if (o.command == "autoeq") {
        r.autoEq = PrepareAutoEq(o);
    }
    return r;
}

int RunOnUnit(const UnitRequest& r, const CliOptions& o, const std::string& port, bool severalPorts) {
    std::unique_ptr<TraceFile> trace;
    json report = {{"port", port}};
    const auto printReport = [&] {
        if (o.json && report.size() > 1 && r.command != "meters" && r.command != "curve") PrintJson(report);
    };
    try {
        if (!o.traceFile.empty())
            trace = std::make_unique<TraceFile>(PerPortPath(o.traceFile, port, severalPorts));
        UnitSession session(port, trace.get());
        session.Connect();
        if (r.command == "info") Info(session, o, report);
        if (r.command == "backup") Backup(session, r, o, port, severalPorts);
        if (r.command == "restore") Restore(session, r, o, port, severalPorts);
        if (r.command == "export") Export(session, r, o, port, severalPorts);
        if (r.command == "get" || r.command == "set") session.ReadCurrent();
        if (r.command == "get" || r.command == "set" || r.command == "recall")
            RunStep(session, r.steps[0], o, report);
        if (r.command == "batch") Batch(session, r, o, report);
        if (r.command == "meters") Meters(session, o, report);
        if (r.command == "curve") CurveOfUnit(session, r, o, report);
        if (r.command == "autoeq")
            AutoEqOnUnit(session, *r.autoEq, o, o.out.empty() ? "" : PerPortPath(o.out, port, severalPorts),
                         report);
        printReport();
        return TraceOutcome(trace.get(), ExitOk);
    } catch (const CliFailure& f) {
        printReport();  // what was done before the failure
        PrintError(f.what());
        return TraceOutcome(trace.get(), f.code());
    }
}

}  // namespace pavo::cli
