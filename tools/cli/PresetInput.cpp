#include "PresetInput.h"

#include <filesystem>
#include <system_error>

#include "CliFailure.h"

namespace pavo::cli {

namespace {

uintmax_t SizeOf(const std::string& path) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(status)) FailUsage("cannot read " + path + ": no such file");
    if (!std::filesystem::is_regular_file(status)) FailUsage("cannot read " + path + ": not a file");
    const uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec) FailUsage("cannot read " + path + ": " + ec.message());
    return size;
}

std::string WrongSize(const std::string& path, uintmax_t size, const char* expected) {
    return path + " has " + std::to_string(size) + " bytes: " + expected;
}

}  // namespace

std::unique_ptr<DiaContents> ReadProgramFile(const std::string& path) {
    const uintmax_t size = SizeOf(path);
    if (size != kDiaFileSize) FailUsage(WrongSize(path, size, "a program file (.dia) has 2778"));
    auto out = std::make_unique<DiaContents>();
    if (!ReadDia(path, *out)) FailUsage("cannot read " + path);
    return out;
}

std::unique_ptr<ProgramBank> ReadBankFile(const std::string& path) {
    const uintmax_t size = SizeOf(path);
    if (size != kDatFileSize) FailUsage(WrongSize(path, size, "a bank file (.dat) has 57019"));
    auto out = std::make_unique<ProgramBank>();
    if (!ReadDat(path, *out)) FailUsage("cannot read " + path);
    return out;
}

PresetInput ReadPreset(const std::string& path) {
    const uintmax_t size = SizeOf(path);
    PresetInput in;
    if (size == kDiaFileSize) {
        in.kind = PresetKind::Program;
        in.program = ReadProgramFile(path);
    } else if (size == kDatFileSize) {
        in.kind = PresetKind::Bank;
        in.bank = ReadBankFile(path);
    } else {
        FailUsage(WrongSize(path, size, "a program file (.dia) has 2778, a bank file (.dat) 57019"));
    }
    return in;
}

}  // namespace pavo::cli
