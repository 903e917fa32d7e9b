#pragma once
// The command line of pavo-cli: a command, then its arguments and its own options in any order. Each
// command takes only the options that mean something to it and has its own --help.
#include <optional>
#include <string>
#include <vector>

namespace pavo::cli {

struct CliOptions {
    std::string command;
    std::vector<std::string> args;   // the command's positional arguments, in order
    std::vector<std::string> ports;  // --port, as given, in order (PAVO_PORT when none is given)
    bool allPorts = false;           // --all-ports
    bool json = false;               // --json
    std::string block;               // --block: a block name or number, as given
    std::string program;             // --program: a stored program, as given
    std::string traceFile;           // --trace FILE
    std::string valuesFile;          // set --values FILE: a get --json document
    int count = 0;                   // meters --count N (0: until interrupted)
    bool force = false;              // --force: restore sends a file with codes outside their ranges
    bool verify = false;             // --verify: restore reads every program back and compares
    bool quiet = false;              // --quiet, -q: no progress, no messages, results only
    bool progress = false;           // --progress: progress on stderr also when it is no terminal

    // autoeq
    std::string measurement;  // --measurement FILE
    std::string target;       // --target FILE
    std::optional<double> tilt, maxBoost, maxCut, smoothing;
    std::string range;     // --range LO:HI
    std::string bands;     // --bands LIST
    std::string from;      // --from FILE.dia
    std::string out;       // --out FILE.dia
    bool shelves = false;  // --shelves
    bool dryRun = false;   // --dry-run

    // serve
    std::string listen;  // --listen ADDR:PORT, ADDR or :PORT, as given (empty: loopback, port 8470)
    std::string pin;     // --pin NNNNNN (empty: a fresh one)

    std::string helpText;  // --help: what to print instead of running a command
    bool version = false;
};

// Throws CliFailure (bad usage) for an unknown command or option or a missing value.
CliOptions ParseCliOptions(int argc, char** argv);
const char* UsageText();
// The unit commands' port: PAVO_PORT when neither --port nor --all-ports is given.
void PortFromEnvironment(CliOptions& options);

// Where a per-unit file goes when several units are served: "%p" in the name stands for the port,
// otherwise the port is added before the extension ("room.dat" on ttyUSB1 -> "room-ttyUSB1.dat").
// With a single unit the name is used as given.
std::string PerPortPath(const std::string& path, const std::string& port, bool severalPorts);

}  // namespace pavo::cli
