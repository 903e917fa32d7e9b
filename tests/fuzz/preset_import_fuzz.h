#pragma once
// One fuzz input for the preset import from memory, shared by the libFuzzer target and the corpus
// replay test: the file's bytes are taken, range-checked and applied as "Import" and "Import all" take
// a file, without the disk, the scan or the curves, so a session reaches hundreds of thousands of
// inputs (preset_load_fuzz keeps the whole way from a file to the curves).
// Input as for preset_load_fuzz: byte 0 picks the kind (even ".dia", odd ".dat"); the rest is the file.
// A file that is too short or holds a code outside its range leaves the model as it was, and the
// refusal names a field whose code in the file is outside its range; a file that is taken is in the
// model as the import rules say, and the model then holds no code outside its range.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <numeric>
#include <optional>
#include <span>

#include "model/FieldCatalog.h"
#include "model/Model.h"
#include "model/PresetFiles.h"

namespace pavo::fuzz {

struct ImportedRecords {
    ProgramImage current, lastSent;
    SystemRecord system, lastSentSystem;
    ProgramBank bank;

    void Take(const Model& m) {
        current = m.current;
        lastSent = m.lastSent;
        system = m.system;
        lastSentSystem = m.lastSentSystem;
        bank = m.bank;
    }
    bool SameAs(const Model& m) const {
        return SameRecord(current, m.current) && SameRecord(lastSent, m.lastSent) &&
               SameRecord(system, m.system) && SameRecord(lastSentSystem, m.lastSentSystem) &&
               SameRecord(bank, m.bank);
    }
};

// The refusal names a field of the right record whose code, read from the file's bytes, is outside.
inline void CheckFault(const FileFault& fault, const uint8_t* system, const uint8_t* program) {
    const FieldInfo& f = *fault.field;
    const uint8_t* record = f.record == FieldRecord::System ? system : program;
    if (!record || InRange(f, fault.code) || ReadCode(f, record) != fault.code) std::abort();
}

inline bool NothingOutOfRange(const Model& m) {
    return !FirstFieldOutOfRange(FieldRecord::Program, BytesOf(m.current)) &&
           !FirstFieldOutOfRange(FieldRecord::System, BytesOf(m.system));
}

// Each returns whether the file was taken.
inline bool ImportDiaOnce(Model& m, std::span<const uint8_t> bytes, const ImportedRecords& before) {
    DiaContents file;
    if (!DiaFromBytes(bytes, file)) {
        if (bytes.size() >= kDiaFileSize) std::abort();
        return false;
    }
    if (const auto fault = CheckDia(file)) {
        if (fault->program != 0) std::abort();
        CheckFault(*fault, nullptr, BytesOf(file.image));
        return false;
    }
    ApplyDia(m, file);
    // The image as read, its check byte the sum of the bytes read; the system record kept; both sent.
    ProgramImage expected = file.image;
    const uint8_t* b = BytesOf(file.image);
    expected.CheckByte = static_cast<uint8_t>(std::accumulate(b, b + sizeof(ProgramImage), 0u));
    if (!SameRecord(m.current, expected) || !SameRecord(m.lastSent, m.current) ||
        !SameRecord(m.system, before.system) || !SameRecord(m.lastSentSystem, m.system))
        std::abort();
    return true;
}

inline bool ImportDatOnce(Model& m, std::span<const uint8_t> bytes, const ImportedRecords& before) {
    static auto bank = std::make_unique<ProgramBank>();  // 57 kB: not on the stack
    if (!DatFromBytes(bytes, *bank)) {
        if (bytes.size() >= kDatFileSize) std::abort();
        return false;
    }
    if (const auto fault = CheckDat(*bank)) {
        if (fault->program < 0 || fault->program > kProgramCount) std::abort();
        const uint8_t* program = fault->program ? BytesOf(bank->Programs[fault->program - 1]) : nullptr;
        CheckFault(*fault, fault->program ? nullptr : BytesOf(bank->System), program);
        return false;
    }
    const int n = bank->System.ProgramNumber;
    const bool taken = ApplyDat(m, *bank);
    if (taken != (n >= 1 && n <= kProgramCount)) std::abort();
    // The bank, valid; the header as the system record (with the kept number when it names no stored
    // program); the named stored program as the current image.
    bank->Valid = 1;
    if (!taken) bank->System.ProgramNumber = before.system.ProgramNumber;
    if (!SameRecord(m.bank, *bank) || !SameRecord(m.system, bank->System) ||
        !SameRecord(m.lastSentSystem, m.system))
        std::abort();
    if (taken ? !SameRecord(m.current, bank->Programs[n - 1]) || !SameRecord(m.lastSent, m.current)
              : !SameRecord(m.current, before.current))
        std::abort();
    return true;
}

inline void ImportPresetOnce(const uint8_t* data, size_t size) {
    // One model for the whole run, as the program imports one file after another into its own.
    static Model& model = []() -> Model& {
        static Model m;
        ResetParameters(m, false);
        return m;
    }();
    static auto before = std::make_unique<ImportedRecords>();
    if (size < 1) return;
    before->Take(model);
    const std::span<const uint8_t> file(data + 1, size - 1);
    const bool taken =
        data[0] & 1 ? ImportDatOnce(model, file, *before) : ImportDiaOnce(model, file, *before);
    if (!taken && !before->SameAs(model)) std::abort();
    // Taken or refused, no code outside its range reached the model.
    if (!NothingOutOfRange(model)) std::abort();
}

}  // namespace pavo::fuzz
