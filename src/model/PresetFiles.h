#pragma once
// Preset files: ".dia" holds the system record and the current program image (2778 bytes), ".dat" the
// program bank (57019 bytes). Both are plain byte images of the in-memory records.
//
// Reading never touches the model until the whole file has been read; writing replaces the target
// only when the new file is complete (model/FileReplace.h), so a failed export never destroys an
// existing preset.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "model/Blocks.h"
#include "model/FieldCatalog.h"
#include "model/Model.h"

namespace pavo {

constexpr size_t kDiaFileSize = sizeof(SystemRecord) + sizeof(ProgramImage);  // 2778
constexpr size_t kDatFileSize = sizeof(ProgramBank);                          // 57019

// The chosen save path with the extension appended when the path does not contain it anywhere
// ("live" -> "live.dia"; "a.dia.bak" stays).
std::string WithExtension(const std::string& path, const std::string& extension);
bool ContainsExtension(const std::string& path, const std::string& extension);

// Read exactly `size` bytes from the start of the file. False when it cannot be opened or is shorter.
bool ReadFilePrefix(const std::string& path, void* data, size_t size);

// The files' contents.
struct DiaContents {
    SystemRecord system;
    ProgramImage image;
};
bool WriteDia(const std::string& path, const SystemRecord& system, const ProgramImage& image);
bool ReadDia(const std::string& path, DiaContents& out);
bool WriteDat(const std::string& path, const ProgramBank& bank);
bool ReadDat(const std::string& path, ProgramBank& out);
// The same from bytes in memory: the first kDiaFileSize / kDatFileSize bytes, as the readers take a
// file's; false when there are fewer.
bool DiaFromBytes(std::span<const uint8_t> bytes, DiaContents& out);
bool DatFromBytes(std::span<const uint8_t> bytes, ProgramBank& out);

// The first field of a read file whose code lies outside its documented range (model/FieldCatalog.h),
// in the order of the file's bytes. Such a file is refused: it was not written by this program or by
// the unit's tools, or it was damaged since. Only what an import takes is checked: a ".dia" file's
// program image (its system record is never used), a ".dat" file's header and its 21 programs.
struct FileFault {
    int program = 0;  // the stored program (1..21) holding the field in a bank; 0 elsewhere
    const FieldInfo* field = nullptr;
    uint32_t code = 0;
};
std::optional<FileFault> CheckDia(const DiaContents& file);
std::optional<FileFault> CheckDat(const ProgramBank& bank);
// Every such field of a bank, header first, then programs 1..21, each in byte order (for a user who
// sends a file as it is and wants to know what goes with it).
std::vector<FileFault> FaultsOfDat(const ProgramBank& bank);

// Applying a read file to the model (the caller holds the send lock while it queues what follows):
// - a ".dia" replaces the current image (its check byte set to the 8-bit sum of the bytes read), keeps
//   the system record and declares the system record and the image sent;
// - a ".dat" replaces the bank (valid), the system record with the bank header and, when the header's
//   program number is 1..21, the current image with that stored program. Returns false when the
//   program number was out of range: the current image and the current program number were kept (the
//   bank header then carries that number too).
void ApplyDia(Model& model, const DiaContents& file);
bool ApplyDat(Model& model, const ProgramBank& bank);

}  // namespace pavo
