#include "library/PresetSummary.h"
#include "model/Letters.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>

namespace pavo {

namespace {

ProgramName NameOf(const ProgramImage& image) {
    ProgramName name;
    std::memcpy(name.data(), image.ProgramName, name.size());
    return name;
}

}  // namespace

std::optional<PresetKind> PresetKindOf(std::string_view fileName) {
    if (EndsWithLetters(fileName, ".dia")) return PresetKind::Program;
    if (EndsWithLetters(fileName, ".dat")) return PresetKind::Bank;
    return std::nullopt;
}

size_t PresetFileSize(PresetKind kind) {
    return kind == PresetKind::Program ? kDiaFileSize : kDatFileSize;
}

PresetSummary UnreadablePreset(PresetKind kind, uint64_t fileSize) {
    PresetSummary s;
    s.kind = kind;
    s.size = fileSize;
    s.refusal = Refusal::Unreadable;
    return s;
}

std::unique_ptr<DiaContents> ProgramFileOf(std::span<const uint8_t> bytes) {
    if (bytes.size() < kDiaFileSize) return nullptr;
    auto file = std::make_unique<DiaContents>();
    std::memcpy(BytesOf(*file), bytes.data(), kDiaFileSize);
    return file;
}

std::unique_ptr<ProgramBank> BankFileOf(std::span<const uint8_t> bytes) {
    if (bytes.size() < kDatFileSize) return nullptr;
    auto bank = std::make_unique<ProgramBank>();
    std::memcpy(BytesOf(*bank), bytes.data(), kDatFileSize);
    return bank;
}

PresetSummary SummarizePreset(PresetKind kind, std::span<const uint8_t> bytes, uint64_t fileSize) {
    PresetSummary s;
    s.kind = kind;
    s.size = fileSize;
    if (kind == PresetKind::Program) {
        const auto file = ProgramFileOf(bytes);
        if (!file) {
            s.refusal = Refusal::TooShort;
            return s;
        }
        s.names.push_back(NameOf(file->image));
        if (const auto fault = CheckDia(*file)) {
            s.refusal = Refusal::OutOfRange;
            s.fault = *fault;
        }
        return s;
    }
    const auto bank = BankFileOf(bytes);
    if (!bank) {
        s.refusal = Refusal::TooShort;
        return s;
    }
    for (const ProgramImage& p : bank->Programs) s.names.push_back(NameOf(p));
    const int n = bank->System.ProgramNumber;
    s.headerProgram = n >= 1 && n <= kProgramCount ? n : 0;
    if (const auto fault = CheckDat(*bank)) {
        s.refusal = Refusal::OutOfRange;
        s.fault = *fault;
    }
    return s;
}

}  // namespace pavo
