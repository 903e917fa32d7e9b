#pragma once
// How pavo-cli ends: 0 success, 1 the unit or the link failed (diff: the files differ), 2 bad usage or
// a bad file, 3 the work was done but the trace file could not be written. A failure carries its exit
// code and the one line that goes to stderr.
#include <stdexcept>
#include <string>

namespace pavo::cli {

enum ExitCode : int { ExitOk = 0, ExitUnit = 1, ExitUsage = 2, ExitTrace = 3, ExitDiffer = 1 };

class CliFailure : public std::runtime_error {
public:
    CliFailure(int code, const std::string& message) : std::runtime_error(message), code_(code) {}
    int code() const { return code_; }

private:
    int code_;
};

[[noreturn]] inline void FailUnit(const std::string& message) {
    throw CliFailure(ExitUnit, message);
}
[[noreturn]] inline void FailUsage(const std::string& message) {
    throw CliFailure(ExitUsage, message);
}

}  // namespace pavo::cli
