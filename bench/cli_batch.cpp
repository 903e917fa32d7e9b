// pavo-cli batch against separate calls, on the virtual unit paced like a 115200-baud line:
//   - 50 `set`s in one `pavo-cli batch` against 50 `pavo-cli set` processes (each with its own lookup
//     and read), both as whole processes; goal: ratio >= 5;
//   - the batch against the least time its exchanges need: the lookup, the reads of the system record
//     and the current program, and one EQ-band frame for each edit, each exchange its request and
//     reply on the wire (10 bits a byte) and the 20 ms pause of the cycle; goal: bound / measured >= 0.9.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "line_bounds.h"
#include "model/Blocks.h"
#include "model/FieldCatalog.h"
#include "virtual_unit/UnitLine.h"

namespace {

using pavo::bench::Frame;
using pavo::bench::kCycleMs;
using pavo::bench::WireMs;

constexpr int kEdits = 50;

double BoundMs() {
    double ms = pavo::bench::LookupAndSystemMs();
    ms += WireMs(Frame(1) + Frame(1 + sizeof(pavo::ProgramImage))) + kCycleMs;       // current program
    ms += kEdits * (WireMs(Frame(1 + sizeof(pavo::EqBand)) + Frame(1)) + kCycleMs);  // band, ack
    return ms;
}

// The edits: a gain on each of the 50 EQ bands of the music and microphone blocks, as code:N.
std::vector<std::string> Edits(int round) {
    std::vector<std::string> edits;
    const std::pair<const char*, int> blocks[] = {
        {"MusicLeft", 15}, {"MusicRight", 15}, {"Mic12", 10}, {"Mic34", 10}};
    int i = 0;
    for (const auto& [block, bands] : blocks)
        for (int band = 1; band <= bands; ++band, ++i) {
            // Codes of consecutive rounds differ by 7 steps, and none is the flat 120 the unit starts with.
            int code = 60 + (i * 3 + round * 7) % 120;
            if (code == 120) code = 121;
            edits.push_back(std::string(block) + ".Eq[" + std::to_string(band) +
                            "].GainCode=code:" + std::to_string(code));
        }
    return edits;
}

double RunSeconds(std::vector<std::string> args) {
    args.insert(args.begin(), PAVO_CLI);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        freopen("/dev/null", "w", stdout);
        execv(argv[0], argv.data());
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
    const std::string port = line.DevicePath();
    const auto file =
        std::filesystem::temp_directory_path() / ("pavo-bench-batch-" + std::to_string(getpid()) + ".txt");

    double batch = 1e9, separate = 1e9;
    for (int round = 0; round < 2; ++round) {
        // Each round sets other codes than the last, so that every edit is sent.
        {
            std::ofstream out(file);
            for (std::string edit : Edits(2 * round))
                out << "set " << edit.replace(edit.find('='), 1, " ") << "\n";
        }
        const double b = RunSeconds({"batch", "--port", port, file.string()});
        double s = 0;
        for (const std::string& edit : Edits(2 * round + 1)) {
            const double one = RunSeconds({"set", "--port", port, edit});
            if (one < 0) {
                s = -1;
                break;
            }
            s += one;
        }
        if (b < 0 || s < 0) {
            std::printf("a pavo-cli run failed\n");
            std::filesystem::remove(file);
            return 1;
        }
        batch = std::min(batch, b);
        separate = std::min(separate, s);
    }
    std::filesystem::remove(file);
    const double bound = BoundMs() / 1000;
    std::printf(
        "50 sets at 115200 baud: one batch %.2f s, 50 pavo-cli set calls %.2f s; ratio %.1f (goal >= 5)\n",
        batch, separate, separate / batch);
    std::printf("the batch against what the line and the exchange cycle allow (%.2f s): %.3f (goal >= 0.9)\n",
                bound, bound / batch);
    return 0;
}
