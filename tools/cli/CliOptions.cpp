#include "CliOptions.h"

#include <cctype>
#include <cstdlib>

#include "CliFailure.h"

namespace pavo::cli {

const char* UsageText() {
    return "usage: pavo-cli COMMAND [options]\n"
           "Talks to the audio processor on a serial port, or reads its preset files.\n"
           "\n"
           "  ports                          list the serial ports (path, USB id, description)\n"
           "  info    --port DEV             the unit: store authority, programs, system settings\n"
           "  backup  --port DEV FILE.dat    read all 21 programs and the system record into FILE\n"
           "  restore --port DEV FILE.dat    write a bank file to the unit (needs store authority); a\n"
           "          [--force]              file with codes outside their ranges is refused\n"
           "  recall  --port DEV N           recall stored program N (1..21, or F1..F5)\n"
           "  get     --port DEV PATH        one parameter of the unit, e.g. Mic12.MicLevel\n"
           "  set     --port DEV PATH VALUE  change one parameter to a value as get shows it, such\n"
           "                                 as -3dB, 1k, 0.71, ON, F2; a raw code as code:105\n"
           "  show    FILE [--json]          every parameter of a .dia or .dat file\n"
           "  diff    A B                    the parameters that differ between two preset files\n"
           "  curve   FILE.dia --block N     the summed response of EQ block N (0..17) as CSV\n"
           "\n"
           "  --port DEV     a serial device (/dev/ttyUSB0, or ttyUSB0); give it several times to\n"
           "                 run on several units at once, each line of output then names its port\n"
           "  --all-ports    every serial port of the machine\n"
           "  --trace FILE   write the traffic with the unit to FILE (with several ports, one file\n"
           "                 per port: \"%p\" in FILE stands for the port)\n"
           "  --json         show: a stable machine-readable form\n"
           "  --force        restore: send a file holding codes outside their ranges as it is (they\n"
           "                 are listed on stderr first); without it such a file is refused\n"
           "  --verify       restore: read every program back and name the fields the unit did not\n"
           "                 keep (exit 1)\n"
           "  --progress     progress on stderr also when stderr is not a terminal\n"
           "  --quiet, -q    no progress and no messages on stderr, only results and errors\n"
           "  --help         this text\n"
           "  --version      the version\n"
           "\n"
           "Results go to stdout; progress, messages and errors to stderr.\n"
           "Exit status: 0 success; 1 the unit or the link failed, or (diff) the files differ; 2 bad\n"
           "usage or a bad file; 3 the work was done but the trace file could not be written.\n";
}

CliOptions ParseCliOptions(int argc, char** argv) {
    CliOptions o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        // "--name value" or "--name=value".
        auto value = [&](const char* name) -> std::string {
            const std::string prefix = std::string(name) + "=";
            if (a.rfind(prefix, 0) == 0) return a.substr(prefix.size());
            if (i + 1 >= argc) FailUsage(std::string(name) + " needs a value");
            return argv[++i];
        };
        auto is = [&](const char* name) { return a == name || a.rfind(std::string(name) + "=", 0) == 0; };
        if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--version") {
            o.version = true;
        } else if (is("--port")) {
            o.ports.push_back(value("--port"));
        } else if (a == "--all-ports") {
            o.allPorts = true;
        } else if (a == "--verify") {
            o.verify = true;
        } else if (a == "--force") {
            o.force = true;
        } else if (a == "--quiet" || a == "-q") {
            o.quiet = true;
        } else if (a == "--progress") {
            o.progress = true;
        } else if (a == "--json") {
            o.json = true;
        } else if (is("--trace")) {
            o.traceFile = value("--trace");
        } else if (is("--block")) {
            const std::string v = value("--block");
            char* end = nullptr;
            const long n = std::strtol(v.c_str(), &end, 10);
            if (v.empty() || *end || n < 0 || n > 17)
                FailUsage("--block takes a block number 0..17, not " + v);
            o.block = static_cast<int>(n);
        } else if (a.size() > 1 && a[0] == '-' &&
                   !(a.size() > 1 && (std::isdigit(static_cast<unsigned char>(a[1])) || a[1] == '.'))) {
            FailUsage("unknown option " + a);
        } else if (o.command.empty()) {
            o.command = a;
        } else {
            o.args.push_back(a);  // negative values such as -3dB are arguments
        }
    }
    return o;
}

std::string PerPortPath(const std::string& path, const std::string& port, bool severalPorts) {
    if (!severalPorts) return path;
    // The port as a file-name part: /dev/ttyUSB1 -> ttyUSB1, /dev/pts/3 -> pts3.
    std::string tag = port.rfind("/dev/", 0) == 0 ? port.substr(5) : port;
    std::string clean;
    for (char c : tag)
        if (c != '/') clean += c;
    if (const size_t at = path.find("%p"); at != std::string::npos)
        return path.substr(0, at) + clean + path.substr(at + 2);
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash) || dot == slash + 1)
        return path + "-" + clean;
    return path.substr(0, dot) + "-" + clean + path.substr(dot);
}

}  // namespace pavo::cli
