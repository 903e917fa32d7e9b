// pavo-cli backup of the whole bank against the virtual unit paced like a 115200-baud line, timed as
// a whole process, beside the least time the line and the engine's designed pauses allow:
//   every exchange: its request and reply on the wire (10 bits a byte), or the pause after a bulk
//   frame when that is longer (the reply travels during it), then the 20 ms pause of the cycle.
// Goal: bound / measured >= 0.9.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "line_bounds.h"
#include "model/Blocks.h"
#include "virtual_unit/UnitLine.h"

namespace {

using pavo::bench::Frame;
using pavo::bench::kCycleMs;
using pavo::bench::WireMs;

constexpr double kBulkPauseMs = 1000;

double BoundMs() {
    double ms = pavo::bench::LookupAndSystemMs();
    const double program = WireMs(Frame(1) + Frame(1 + sizeof(pavo::ProgramImage)));
    ms += pavo::kProgramCount * (std::max(program, kBulkPauseMs) + kCycleMs);  // 21 stored programs
    return ms;
}

double BackupSeconds(const std::string& device, const std::filesystem::path& file) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        freopen("/dev/null", "w", stdout);
        execl(PAVO_CLI, PAVO_CLI, "backup", "--port", device.c_str(), file.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main() {
    pavo::unit::UnitOptions options;
    options.wireBaud = static_cast<unsigned>(pavo::bench::kBaud);
    pavo::unit::UnitLine line(options);
    if (!line.Start()) return 1;
    const auto file =
        std::filesystem::temp_directory_path() / ("pavo-bench-" + std::to_string(getpid()) + ".dat");
    double best = 1e9;
    for (int run = 0; run < 2; ++run) {
        const double s = BackupSeconds(line.DevicePath(), file);
        if (s < 0) {
            std::printf("backup failed\n");
            return 1;
        }
        best = std::min(best, s);
    }
    std::filesystem::remove(file);
    const double bound = BoundMs() / 1000;
    std::printf(
        "pavo-cli backup of the bank at 115200 baud: %.2f s; the line and the designed pauses allow "
        "%.2f s; ratio %.3f (goal >= 0.9)\n",
        best, bound, bound / best);
    return 0;
}
