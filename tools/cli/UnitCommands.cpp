#include "UnitCommands.h"

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <optional>

#include "CliFailure.h"
#include "PresetInput.h"
#include "Progress.h"
#include "TraceFile.h"
#include "UnitSession.h"
#include "model/DataConver.h"
#include "model/Model.h"
#include "model/PresetFiles.h"
#include "protocol/TrafficText.h"

namespace pavo::cli {

namespace {

void NeedArgs(const CliOptions& o, size_t n, const char* form) {
    if (o.args.size() != n) FailUsage(std::string("usage: pavo-cli ") + form);
}

// "5", "F2" -> 5, 18.
std::optional<int> ProgramNumberFromText(const std::string& text) {
    if (text.empty()) return std::nullopt;
    const bool f = text[0] == 'F' || text[0] == 'f';
    const std::string digits = f ? text.substr(1) : text;
    if (digits.empty() || digits.size() > 2 || digits.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const int n = std::stoi(digits) + (f ? 16 : 0);
    if ((f && (n < 17 || n > 21)) || n < 1 || n > kProgramCount) return std::nullopt;
    return n;
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
    const Model& m = TheModel();
    EditModel([&] {
        std::printf("store authority   %s\n", s.StoreAuthority() ? "yes" : "no");
        std::printf("current program   %s %s\n", ProgramNumberText(m.system.ProgramNumber).c_str(),
                    QuotedName({m.current.ProgramName, static_cast<size_t>(kProgramNameLength)}).c_str());
        std::printf("programs\n");
        for (int n = 1; n <= kProgramCount; ++n)
            std::printf("  %s\n", ProgramLine(n, m.bank.Programs[n - 1].ProgramName).c_str());
        std::printf("system\n");
        const SystemRecord& sys = m.system;
        std::printf("  MusicMaster %d%s, MicMaster %d%s, EffectMaster %d%s\n",
                    sys.MusicMaster & kMasterLevelMask, sys.MusicMaster & kMasterMuteBit ? " (muted)" : "",
                    sys.MicMaster & kMasterLevelMask, sys.MicMaster & kMasterMuteBit ? " (muted)" : "",
                    sys.EffectMaster & kMasterLevelMask, sys.EffectMaster & kMasterMuteBit ? " (muted)" : "");
    });
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
        EditModel([&] {
            name = " " + QuotedName({TheModel().current.ProgramName, size_t{kProgramNameLength}});
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
        FailUsage("pavo-cli " + o.command + " is not available yet");
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
        std::fflush(stdout);
        return ExitOk;
    } catch (const CliFailure& f) {
        std::fflush(stdout);
        std::fprintf(stderr, "pavo-cli: %s\n", f.what());
        return f.code();
    }
}

}  // namespace pavo::cli
