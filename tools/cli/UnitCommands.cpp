#include "UnitCommands.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

#include "CliFailure.h"
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

// A backup target that cannot be written is found before the bank is read (twenty seconds).
void CheckTarget(const std::string& path) {
    if (const int error = SaveBlocker(path)) FailUsage("cannot write " + path + ": " + std::strerror(error));
}

std::string ProgramLine(int number, const uint8_t* name) {
    char head[16];
    std::snprintf(head, sizeof head, "%4s  ", ProgramNumberText(number).c_str());
    return head + QuotedName({name, static_cast<size_t>(kProgramNameLength)});
}

void Info(UnitSession& s) {
    s.ReadEverything();  // under a second: no progress to show
    const Model& m = s.model();
    m.Edit([&] {
        Print("store authority   %s\n", s.StoreAuthority() ? "yes" : "no");
        Print("current program   %s %s\n", ProgramNumberText(m.system.ProgramNumber).c_str(),
              QuotedName({m.current.ProgramName, static_cast<size_t>(kProgramNameLength)}).c_str());
        Print("programs\n");
        for (int n = 1; n <= kProgramCount; ++n)
            Print("  %s\n", ProgramLine(n, m.bank.Programs[n - 1].ProgramName).c_str());
        // The settings, not the passwords nor the bytes nobody interprets.
        Print("system\n");
        for (const FieldInfo& f : FieldsOf(FieldRecord::System))
            if (f.HasCode()) Print("  %-26s %s\n", f.path.c_str(), ShownValue(f, BytesOf(m.system)).c_str());
    });
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

void Get(UnitSession& s, const UnitRequest& r) {
    s.ReadCurrent();
    Model& m = s.model();
    for (const FieldInfo* f : r.fields) {
        std::string text;
        m.Edit([&] { text = Described(*f, RecordOf(m, *f)); });
        Print("%s\n", text.c_str());
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

void SetOne(UnitSession& s, const UnitRequest::Edit& e) {
    const FieldInfo& f = *e.field;
    Model& m = s.model();
    CheckScene(m, f);
    uint32_t old = 0;
    std::string was;
    m.Edit([&] {
        old = ReadCode(f, RecordOf(m, f));
        was = ShownValue(f, RecordOf(m, f));
    });
    if (old == e.code) {
        Print("%s = %s (unchanged)\n", f.path.c_str(), FormatCode(f, e.code).c_str());
        return;
    }
    // Into the model, as a page stores an edit; the change scanner sends it.
    const bool sent = s.ChangeAndSend([&] {
        m.Edit([&] { WriteCode(f, RecordOf(m, f), e.code); });
        m.RecordsReplaced();
    });
    if (!sent) {
        m.Edit([&] { WriteCode(f, RecordOf(m, f), old); });
        m.RecordsReplaced();
        if (f.path == "System.ProgramNumber")
            FailUsage(f.path + " is not sent on its own; pavo-cli recall changes the program");
        FailUsage(f.path + " is not sent to the unit on its own: it travels only with whole programs");
    }
    Print("%s = %s (was %s)\n", f.path.c_str(), FormatCode(f, e.code).c_str(), was.c_str());
}

// Each edit in turn over the one connection; the first the unit cannot take ends the run.
void Set(UnitSession& s, const UnitRequest& r) {
    s.ReadCurrent();
    for (const UnitRequest::Edit& e : r.edits) SetOne(s, e);
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

void Recall(UnitSession& s, const UnitRequest& r) {
    const bool image = s.Recall(r.program);
    std::string name;
    if (image)
        s.model().Edit([&] {
            name = " " + QuotedName({s.model().current.ProgramName, size_t{kProgramNameLength}});
        });
    Print("recalled program %s%s\n", ProgramNumberText(r.program).c_str(), name.c_str());
}

// A trace file that failed is said once, after the work; it turns a success into exit 3 (a failure
// of the work keeps its own code).
int TraceOutcome(TraceFile* trace, int code) {
    if (!trace) return code;
    const std::string failure = trace->Finish();
    if (failure.empty()) return code;
    PrintError(failure);
    return code == ExitOk ? ExitTrace : code;
}

const FieldInfo& FieldOf(const std::string& path) {
    const FieldInfo* f = FindField(path);
    if (!f) FailUsage("no field " + path + "; pavo-cli show FILE lists them");
    return *f;
}

}  // namespace

bool IsUnitCommand(const std::string& c) {
    return c == "info" || c == "backup" || c == "restore" || c == "recall" || c == "get" || c == "set";
}

UnitRequest PrepareUnitRequest(const CliOptions& o) {
    UnitRequest r;
    r.command = o.command;
    if (o.command == "info") {
        NeedArgs(o, 0, "info --port DEV");
    } else if (o.command == "backup") {
        NeedArgs(o, 1, "backup --port DEV FILE.dat");
        r.file = o.args[0];
        if (o.ports.size() == 1 && !o.allPorts) CheckTarget(r.file);
    } else if (o.command == "restore") {
        NeedArgs(o, 1, "restore --port DEV FILE.dat");
        r.file = o.args[0];
        r.bank = ReadBankFile(r.file);
        CheckBankRanges(o, r.file, *r.bank);
    } else if (o.command == "recall") {
        NeedArgs(o, 1, "recall --port DEV N");
        const auto n = ProgramNumberFromText(o.args[0]);
        if (!n) FailUsage("recall takes a program number 1..21 (or F1..F5), not " + o.args[0]);
        r.program = *n;
    } else if (o.command == "get") {
        if (o.args.empty()) FailUsage("usage: pavo-cli get --port DEV PATH...");
        for (const std::string& path : o.args) r.fields.push_back(&FieldOf(path));
    } else {
        // "PATH VALUE", or any number of "PATH=VALUE".
        std::vector<std::pair<std::string, std::string>> pairs;
        if (o.args.size() == 2 && o.args[0].find('=') == std::string::npos) {
            pairs.emplace_back(o.args[0], o.args[1]);
        } else {
            for (const std::string& a : o.args) {
                const size_t eq = a.find('=');
                if (eq == std::string::npos)
                    FailUsage("usage: pavo-cli set --port DEV PATH VALUE, or PATH=VALUE...");
                pairs.emplace_back(a.substr(0, eq), a.substr(eq + 1));
            }
        }
        if (pairs.empty()) FailUsage("usage: pavo-cli set --port DEV PATH VALUE, or PATH=VALUE...");
        for (const auto& [path, value] : pairs) {
            const FieldInfo& f = FieldOf(path);
            if (!f.HasCode()) FailUsage(f.path + " holds characters or bytes; it cannot be set");
            std::string error;
            const auto code = ParseCode(f, value, &error);
            if (!code) FailUsage(error);
            r.edits.push_back({&f, *code});
        }
    }
    return r;
}

int RunOnUnit(const UnitRequest& r, const CliOptions& o, const std::string& port, bool severalPorts) {
    std::unique_ptr<TraceFile> trace;
    try {
        if (!o.traceFile.empty())
            trace = std::make_unique<TraceFile>(PerPortPath(o.traceFile, port, severalPorts));
        UnitSession session(port, trace.get());
        session.Connect();
        if (r.command == "info") Info(session);
        if (r.command == "backup") Backup(session, r, o, port, severalPorts);
        if (r.command == "restore") Restore(session, r, o, port, severalPorts);
        if (r.command == "recall") Recall(session, r);
        if (r.command == "get") Get(session, r);
        if (r.command == "set") Set(session, r);
        return TraceOutcome(trace.get(), ExitOk);
    } catch (const CliFailure& f) {
        PrintError(f.what());
        return TraceOutcome(trace.get(), f.code());
    }
}

}  // namespace pavo::cli
