#pragma once
// The command line of pavo-cli: a command, its arguments and the options, in any order after the
// command.
#include <string>
#include <vector>

namespace pavo::cli {

struct CliOptions {
    std::string command;
    std::vector<std::string> args;   // the command's positional arguments
    std::vector<std::string> ports;  // --port, as given, in order
    bool allPorts = false;           // --all-ports
    bool json = false;               // --json
    int block = -1;                  // --block N
    std::string traceFile;           // --trace FILE
    bool force = false;              // --force: restore sends a file with codes outside their ranges
    bool verify = false;             // --verify: restore reads every program back and compares
    bool quiet = false;              // --quiet, -q: no progress, no messages, results only
    bool progress = false;           // --progress: progress on stderr also when it is no terminal
    bool help = false;
    bool version = false;
};

// Throws CliFailure (bad usage) for an unknown option or a missing value.
CliOptions ParseCliOptions(int argc, char** argv);
const char* UsageText();

// Where a per-unit file goes when several units are served: "%p" in the name stands for the port,
// otherwise the port is added before the extension ("room.dat" on ttyUSB1 -> "room-ttyUSB1.dat").
// With a single unit the name is used as given.
std::string PerPortPath(const std::string& path, const std::string& port, bool severalPorts);

}  // namespace pavo::cli
