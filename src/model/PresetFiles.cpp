#include "model/PresetFiles.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <numeric>

#include "model/FileReplace.h"
#include "model/Model.h"

namespace pavo {

bool ContainsExtension(const std::string& path, const std::string& extension) {
    return path.find(extension) != std::string::npos;
}

std::string WithExtension(const std::string& path, const std::string& extension) {
    return ContainsExtension(path, extension) ? path : path + extension;
}

bool ReadFilePrefix(const std::string& path, void* data, size_t size) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!f) return false;
    return std::fread(data, 1, size, f.get()) == size;
}

bool WriteDia(const std::string& path, const SystemRecord& system, const ProgramImage& image) {
    auto buf = std::make_unique<uint8_t[]>(kDiaFileSize);
    std::memcpy(buf.get(), BytesOf(system), sizeof system);
    std::memcpy(buf.get() + sizeof system, BytesOf(image), sizeof image);
    return WriteFileAtomically(path, buf.get(), kDiaFileSize);
}

bool ReadDia(const std::string& path, DiaContents& out) {
    static_assert(sizeof(DiaContents) == kDiaFileSize);
    return ReadFilePrefix(path, BytesOf(out), kDiaFileSize);
}

bool WriteDat(const std::string& path, const ProgramBank& bank) {
    return WriteFileAtomically(path, BytesOf(bank), kDatFileSize);
}

bool ReadDat(const std::string& path, ProgramBank& out) {
    return ReadFilePrefix(path, BytesOf(out), kDatFileSize);
}

bool DiaFromBytes(std::span<const uint8_t> bytes, DiaContents& out) {
    if (bytes.size() < kDiaFileSize) return false;
    std::memcpy(BytesOf(out), bytes.data(), kDiaFileSize);
    return true;
}

bool DatFromBytes(std::span<const uint8_t> bytes, ProgramBank& out) {
    if (bytes.size() < kDatFileSize) return false;
    std::memcpy(BytesOf(out), bytes.data(), kDatFileSize);
    return true;
}

namespace {

std::optional<FileFault> Check(FieldRecord record, const uint8_t* bytes, int program) {
    const FieldInfo* bad = FirstFieldOutOfRange(record, bytes);
    if (!bad) return std::nullopt;
    return FileFault{program, bad, ReadCode(*bad, bytes)};
}

}  // namespace

std::optional<FileFault> CheckDia(const DiaContents& file) {
    return Check(FieldRecord::Program, BytesOf(file.image), 0);
}

std::optional<FileFault> CheckDat(const ProgramBank& bank) {
    if (auto fault = Check(FieldRecord::System, BytesOf(bank.System), 0)) return fault;
    for (int n = 1; n <= kProgramCount; ++n)
        if (auto fault = Check(FieldRecord::Program, BytesOf(bank.Programs[n - 1]), n)) return fault;
    return std::nullopt;
}

std::vector<FileFault> FaultsOfDat(const ProgramBank& bank) {
    std::vector<FileFault> faults;
    const auto add = [&](FieldRecord record, const uint8_t* bytes, int program) {
        for (const FieldInfo& f : FieldsOf(record))
            if (!InRange(f, ReadCode(f, bytes))) faults.push_back({program, &f, ReadCode(f, bytes)});
    };
    add(FieldRecord::System, BytesOf(bank.System), 0);
    for (int n = 1; n <= kProgramCount; ++n) add(FieldRecord::Program, BytesOf(bank.Programs[n - 1]), n);
    return faults;
}

void ApplyDia(Model& m, const DiaContents& file) {
    {
        std::lock_guard<std::mutex> guard(m.Lock());
        // The file's system record is not taken over; the program's own is declared sent.
        CopyRecord(m.lastSentSystem, m.system);
        CopyRecord(m.current, file.image);
        const uint8_t* b = BytesOf(file.image);
        m.current.CheckByte = static_cast<uint8_t>(std::accumulate(b, b + sizeof(ProgramImage), 0u));
    }
    AcceptProgram(m, false);
}

bool ApplyDat(Model& m, const ProgramBank& bank) {
    bool imageTaken = false;
    {
        std::lock_guard<std::mutex> guard(m.Lock());
        const uint8_t keptNumber = m.system.ProgramNumber;
        CopyRecord(m.bank, bank);
        m.bank.Valid = 1;
        const int n = m.bank.System.ProgramNumber;
        imageTaken = n >= 1 && n <= kProgramCount;
        // A header naming no stored program keeps the current program, and its number with it: that
        // number goes to the unit with the header.
        if (!imageTaken) m.bank.System.ProgramNumber = keptNumber;
        CopyRecord(m.system, m.bank.System);
        CopyRecord(m.lastSentSystem, m.system);
        if (imageTaken) CopyRecord(m.current, m.bank.Programs[n - 1]);
    }
    // With no stored program to take, the current image and its pending edits stay as they were.
    if (imageTaken) AcceptProgram(m, false);
    return imageTaken;
}

}  // namespace pavo
