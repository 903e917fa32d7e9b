#pragma once
// How pavo-cli ends: 0 success, 1 the unit or the link failed, 2 bad usage or a bad file. A failure
// carries its exit code and the one line that goes to stderr.
#include <stdexcept>
#include <string>

namespace pavo::cli {

enum ExitCode : int { ExitOk = 0, ExitUnit = 1, ExitUsage = 2 };

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
