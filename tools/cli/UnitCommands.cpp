#include "UnitCommands.h"

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <optional>

#include "CliFailure.h"
#include "FieldText.h"
#include "PresetInput.h"
#include "Progress.h"
#include "TraceFile.h"
#include "UnitSession.h"
#include "model/DataConver.h"
#include "model/FieldCatalog.h"
#include "model/Model.h"
#include "model/PresetFiles.h"
#include "protocol/TrafficText.h"

namespace pavo::cli {

namespace {

void NeedArgs(const CliOptions& o, size_t n, const char* form) {
    if (o.args.size() != n) FailUsage(std::string("usage: pavo-cli ") + form);
}

bool StdoutIsTerminal() {
    return ::isatty(STDOUT_FILENO) == 1;
}

ProgressFn ShowProgress(std::unique_ptr<Progress>& bar, const char* what, bool severalPorts) {
    return [&bar, what, severalPorts](int done, int total) {
        if (!bar) bar = std::make_unique<Progress>(stdout, !severalPorts && StdoutIsTerminal(), what, total);
        bar->Set(done);
    };
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
        std::printf("store authority   %s\n", s.StoreAuthority() ? "yes" : "no");
        std::printf("current program   %s %s\n", ProgramNumberText(m.system.ProgramNumber).c_str(),
                    QuotedName({m.current.ProgramName, static_cast<size_t>(kProgramNameLength)}).c_str());
        std::printf("programs\n");
        for (int n = 1; n <= kProgramCount; ++n)
            std::printf("  %s\n", ProgramLine(n, m.bank.Programs[n - 1].ProgramName).c_str());
        // The settings, not the passwords nor the bytes nobody interprets.
        std::printf("system\n");
        for (const FieldInfo& f : FieldsOf(FieldRecord::System))
            if (f.HasCode())
                std::printf("  %-26s %s\n", f.path.c_str(), ShownValue(f, BytesOf(m.system)).c_str());
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
    const FieldInfo& f = *FindField(r.path);
    std::string text;
    Model& m = s.model();
    m.Edit([&] { text = Described(f, RecordOf(m, f)); });
    std::printf("%s\n", text.c_str());
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

void Set(UnitSession& s, const UnitRequest& r) {
    s.ReadCurrent();
    const FieldInfo& f = *FindField(r.path);
    Model& m = s.model();
    CheckScene(m, f);
    uint32_t old = 0;
    std::string was;
    m.Edit([&] {
        old = ReadCode(f, RecordOf(m, f));
        was = ShownValue(f, RecordOf(m, f));
    });
    if (old == r.code) {
        std::printf("%s = %s (unchanged)\n", f.path.c_str(), FormatCode(f, r.code).c_str());
        return;
    }
    // Into the model, as a page stores an edit; the change scanner sends it.
    const bool sent = s.ChangeAndSend([&] {
        m.Edit([&] { WriteCode(f, RecordOf(m, f), r.code); });
        m.RecordsReplaced();
    });
    if (!sent) {
        m.Edit([&] { WriteCode(f, RecordOf(m, f), old); });
        m.RecordsReplaced();
        if (f.path == "System.ProgramNumber")
            FailUsage(f.path + " is not sent on its own; pavo-cli recall changes the program");
        FailUsage(f.path + " is not sent to the unit on its own: it travels only with whole programs");
    }
    std::printf("%s = %s (was %s)\n", f.path.c_str(), FormatCode(f, r.code).c_str(), was.c_str());
}

void Backup(UnitSession& s, const UnitRequest& r, const std::string& port, bool severalPorts) {
    std::unique_ptr<Progress> bar;
    const ProgramBank bank = s.ReadBank(ShowProgress(bar, "reading programs", severalPorts));
    if (bar) bar->Finish();
    const std::string path = PerPortPath(r.file, port, severalPorts);
    if (!WriteDat(path, bank)) FailUsage("cannot write " + path);
    std::printf("wrote %s: 21 programs and the system record (%zu bytes)\n", path.c_str(), kDatFileSize);
    // The program files an image under the number it asked for, whatever number came back; the
    // file is kept, but the run does not count as a success.
    for (const std::string& w : s.Warnings())
        if (w.find("another program") != std::string::npos) FailUnit(port + ": " + w + "; check " + path);
}

void Restore(UnitSession& s, const UnitRequest& r, const std::string& port, bool severalPorts) {
    if (!s.StoreAuthority())
        FailUnit("the unit on " + port +
                 " does not allow storing programs (no store authority); nothing was written");
    std::unique_ptr<Progress> bar;
    s.WriteBank(*r.bank, ShowProgress(bar, "writing programs", severalPorts));
    if (bar) bar->Finish();
    std::printf("wrote %s to the unit: 21 programs and the system record\n", r.file.c_str());
}

void Recall(UnitSession& s, const UnitRequest& r) {
    const bool image = s.Recall(r.program);
    std::string name;
    if (image)
        s.model().Edit([&] {
            name = " " + QuotedName({s.model().current.ProgramName, size_t{kProgramNameLength}});
        });
    std::printf("recalled program %s%s\n", ProgramNumberText(r.program).c_str(), name.c_str());
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
    } else if (o.command == "restore") {
        NeedArgs(o, 1, "restore --port DEV FILE.dat");
        r.file = o.args[0];
        r.bank = ReadBankFile(r.file);
    } else if (o.command == "recall") {
        NeedArgs(o, 1, "recall --port DEV N");
        const auto n = ProgramNumberFromText(o.args[0]);
        if (!n) FailUsage("recall takes a program number 1..21 (or F1..F5), not " + o.args[0]);
        r.program = *n;
    } else {
        const bool set = o.command == "set";
        NeedArgs(o, set ? 2 : 1, set ? "set --port DEV PATH VALUE" : "get --port DEV PATH");
        const FieldInfo* f = FindField(o.args[0]);
        if (!f) FailUsage("no field " + o.args[0] + "; pavo-cli show FILE lists them");
        r.path = f->path;
        if (set) {
            if (!f->HasCode()) FailUsage(f->path + " holds characters or bytes; it cannot be set");
            std::string error;
            const auto code = ParseCode(*f, o.args[1], &error);
            if (!code) FailUsage(error);
            r.value = o.args[1];
            r.code = *code;
        }
    }
    return r;
}

int RunOnUnit(const UnitRequest& r, const CliOptions& o, const std::string& port, bool severalPorts) {
    try {
        std::unique_ptr<TraceFile> trace;
        if (!o.traceFile.empty())
            trace = std::make_unique<TraceFile>(PerPortPath(o.traceFile, port, severalPorts));
        UnitSession session(port, trace.get());
        session.Connect();
        if (r.command == "info") Info(session);
        if (r.command == "backup") Backup(session, r, port, severalPorts);
        if (r.command == "restore") Restore(session, r, port, severalPorts);
        if (r.command == "recall") Recall(session, r);
        if (r.command == "get") Get(session, r);
        if (r.command == "set") Set(session, r);
        std::fflush(stdout);
        return ExitOk;
    } catch (const CliFailure& f) {
        std::fflush(stdout);
        std::fprintf(stderr, "pavo-cli: %s\n", f.what());
        return f.code();
    }
}

}  // namespace pavo::cli
