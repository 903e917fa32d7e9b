#include "FileCommands.h"

#include <cstdio>

#include "CliFailure.h"
#include "PresetInput.h"
#include "eq/BandSets.h"
#include "model/Model.h"

namespace pavo::cli {

namespace {

// The summed response of block N as the response graph draws it: the block's band set, bound to
// the file's program, in the scene the program edits.
int Curve(const CliOptions& o) {
    if (o.args.size() != 1 || o.block < 0) FailUsage("usage: pavo-cli curve FILE.dia --block N");
    const auto file = ReadProgramFile(o.args[0]);
    ResetParameters(false);
    ApplyDia(*file);
    const CKTVEQ* set = BandSetOf(o.block);
    if (!set) FailUsage("block " + std::to_string(o.block) + " has no EQ");
    GridLevels sum{};
    for (int i = 0; i < set->GetSize(); ++i) {
        const GridLevels& level = (*set)[i].LevelDb();
        for (int k = 0; k < kGridPoints; ++k) sum[k] += level[k];
    }
    std::printf("Hz,dB\n");
    for (int k = 0; k < kGridPoints; ++k) std::printf("%g,%.4f\n", ResponseGrid()[k], sum[k]);
    return ExitOk;
}

}  // namespace

bool IsFileCommand(const std::string& c) {
    return c == "show" || c == "diff" || c == "curve";
}

int RunFileCommand(const CliOptions& o) {
    if (!o.ports.empty() || o.allPorts) FailUsage(o.command + " reads files only; it takes no --port");
    if (o.command == "curve") return Curve(o);
    FailUsage("pavo-cli " + o.command + " is not available yet");
}

}  // namespace pavo::cli
