#pragma once
// What the preset library lists of one preset file: its kind, whether an import would take it (and why
// not), and the names of the programs in it. Works on the file's bytes, so a caller reads the file
// once, on whatever thread, and the list agrees with the import: a file shorter than its format, or
// holding a code outside its range, is refused here exactly when the import refuses it.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "model/Blocks.h"
#include "model/PresetFiles.h"

namespace pavo {

enum class PresetKind : uint8_t {
    Program,  // ".dia": the system record and one program
    Bank,     // ".dat": the system record and the 21 stored programs
};

// The kind a file name's extension stands for (".dia" / ".dat", in any case); none for other names.
std::optional<PresetKind> PresetKindOf(std::string_view fileName);
// The bytes an import reads of a file of that kind.
size_t PresetFileSize(PresetKind kind);

enum class Refusal : uint8_t {
    None,
    Unreadable,  // the file could not be opened or read
    TooShort,    // fewer bytes than its format holds
    OutOfRange,  // a code outside its field's range (`fault` names the first)
};

using ProgramName = std::array<uint8_t, kProgramNameLength>;

struct PresetSummary {
    PresetKind kind = PresetKind::Program;
    Refusal refusal = Refusal::None;
    uint64_t size = 0;  // bytes in the file
    FileFault fault;    // OutOfRange: the first bad field (and the stored program holding it)
    // The program's name (".dia"), or the names of stored programs 1..21 (".dat"); empty when refused
    // for its size or as unreadable.
    std::vector<ProgramName> names;
    // ".dat": the stored program its header names (1..21), the one an import makes current; 0 when
    // the header names none and the import keeps the current program.
    int headerProgram = 0;

    bool Loadable() const { return refusal == Refusal::None; }
};

// The summary of a file of `kind` whose bytes are `bytes` (the whole file, or at least as much of it as
// the format holds; `fileSize` is the file's real size).
PresetSummary SummarizePreset(PresetKind kind, std::span<const uint8_t> bytes, uint64_t fileSize);
PresetSummary UnreadablePreset(PresetKind kind, uint64_t fileSize);

// The programs of a file's bytes as the import takes them: for a ".dia" its system record and program;
// for a ".dat" the bank. Null when the bytes are too few.
std::unique_ptr<DiaContents> ProgramFileOf(std::span<const uint8_t> bytes);
std::unique_ptr<ProgramBank> BankFileOf(std::span<const uint8_t> bytes);

}  // namespace pavo
