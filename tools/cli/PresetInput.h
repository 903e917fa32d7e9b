#pragma once
// Preset files as pavo-cli reads them: the program's own readers, after a check that the file has
// exactly the size of its format (a truncated or padded file is refused with a clear message).
#include <memory>
#include <string>

#include "model/PresetFiles.h"

namespace pavo::cli {

enum class PresetKind { Program, Bank };  // ".dia" (2778 bytes), ".dat" (57019 bytes)

struct PresetInput {
    PresetKind kind = PresetKind::Program;
    std::unique_ptr<DiaContents> program;
    std::unique_ptr<ProgramBank> bank;
};

// Either kind, told by its size. Throws CliFailure (bad file) otherwise.
PresetInput ReadPreset(const std::string& path);
std::unique_ptr<DiaContents> ReadProgramFile(const std::string& path);
std::unique_ptr<ProgramBank> ReadBankFile(const std::string& path);

}  // namespace pavo::cli
