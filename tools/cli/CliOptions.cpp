#include "CliOptions.h"

#include <CLI/CLI.hpp>
#include <cctype>
#include <cstdlib>
#include <map>

#include "CliFailure.h"

namespace pavo::cli {

namespace {

// What each command takes besides its arguments.
enum OptionSet : unsigned {
    TakesUnit = 1,  // --port, --all-ports, --trace, --progress
    TakesJson = 2,
    TakesRestore = 4,  // --force, --verify
    TakesBlock = 8,
    TakesProgram = 16,
    TakesCount = 32,
    TakesValues = 64,
    TakesAutoEq = 128,
    TakesServe = 256,  // --listen, --pin
};

struct Command {
    const char* name;
    const char* synopsis;  // after "pavo-cli NAME"
    const char* summary;
    unsigned options;
    const char* notes = "";
};

const Command kCommands[] = {
    {"ports", "[options]", "List the serial ports: path, USB id, description.", TakesJson},
    {"fields", "[options]",
     "Every parameter path with its kind, range, unit, step and names in both languages; needs no file "
     "and no unit.",
     TakesJson},
    {"info", "[options]", "The unit: store authority, programs, system settings.", TakesUnit | TakesJson},
    {"backup", "[options] FILE.dat", "Read all 21 programs and the system record into FILE.", TakesUnit},
    {"restore", "[options] FILE.dat",
     "Write a bank file to the unit (needs store authority). A file holding codes outside their ranges "
     "is refused before anything is sent.",
     TakesUnit | TakesRestore},
    {"export", "[options] FILE.dia",
     "Write the unit's current program (or stored program --program N) and its system record to a "
     "program file, as the program's Export does.",
     TakesUnit | TakesProgram},
    {"recall", "[options] N", "Recall stored program N (1..21, or F1..F5).", TakesUnit | TakesJson},
    {"get", "[options] PATH...", "Show parameters of the unit, e.g. Mic12.MicLevel.", TakesUnit | TakesJson},
    {"set", "[options] PATH VALUE, or PATH=VALUE...",
     "Change parameters to values as get shows them, such as -3dB, 1k, 0.71, ON, F2, or as get --json "
     "prints them; a raw code as code:105.",
     TakesUnit | TakesJson | TakesValues},
    {"batch", "[options] FILE|-",
     "Run get PATH..., set PATH VALUE / set PATH=VALUE... and recall N lines over one connection (# "
     "starts a comment, values with blanks in quotes). Every line is checked before the port opens; the "
     "run stops at the first line that fails and names it.",
     TakesUnit | TakesJson},
    {"meters", "[options]",
     "Print the unit's twelve meters (levels and indicators) as they arrive, one line per status reply, "
     "until --count lines or Ctrl-C.",
     TakesUnit | TakesJson | TakesCount},
    {"show", "[options] FILE", "Every parameter of a .dia or .dat file, by path and in engineering units.",
     TakesJson},
    {"diff", "[options] A B", "The parameters that differ between two preset files.", TakesJson,
     "Exit status as diff(1): 0 the same, 1 different, 2 trouble."},
    {"curve", "FILE.dia --block B, or FILE.dat --program N --block B, or --port DEV --block B",
     "The summed response of an EQ block as the graph draws it, as CSV (Hz, dB).",
     TakesUnit | TakesJson | TakesBlock | TakesProgram},
    {"autoeq", "--block B --measurement FILE [options]",
     "Fit the bands of an EQ block to a measured response on the unit's own codes and print the fit. "
     "With --out the program with the fitted block goes to a .dia file; with --port the unit's program is "
     "read, fitted and the changed bands are sent (--dry-run: only shown).",
     TakesUnit | TakesJson | TakesBlock | TakesAutoEq},
    {"serve", "--port DEV [--listen ADDR:PORT] [--pin N] [options]",
     "Serve the units over the remote control (the web page and its API) until interrupted. Each unit is "
     "looked up and read first; then the addresses to open and the PIN go to stdout. The service listens "
     "on this computer only (127.0.0.1:8470) unless --listen names another address.",
     TakesUnit | TakesJson | TakesServe,
     "Exit status: 0 stopped by Ctrl-C or SIGTERM, 1 a unit did not answer or its link was lost, or the "
     "service could not listen (a port in use, an address this computer does not have), 2 bad usage (a "
     "bad --listen, --pin or port)."},
};

const Command* FindCommand(const std::string& name) {
    for (const Command& c : kCommands)
        if (name == c.name) return &c;
    return nullptr;
}

// Each command's help: what it does, how it is called, its options.
class HelpFormatter : public CLI::Formatter {
public:
    std::string make_usage(const CLI::App* app, std::string) const override {
        const Command* c = FindCommand(app->get_name());
        return std::string("usage: pavo-cli ") + app->get_name() + " " + (c ? c->synopsis : "") + "\n";
    }
    std::string make_description(const CLI::App* app) const override { return app->get_description() + "\n"; }
};

// A negative number such as -3dB or -.5 is an argument, not an option.
bool IsOption(const std::string& a) {
    if (a.size() < 2 || a[0] != '-') return false;
    return !(std::isdigit(static_cast<unsigned char>(a[1])) || a[1] == '.');
}

void AddOptions(CLI::App& sub, const Command& c, CliOptions& o) {
    sub.add_flag("-q,--quiet", o.quiet, "no progress and no messages on stderr, only results and errors");
    if (c.options & TakesUnit) {
        sub.add_option("--port", o.ports,
                       "a serial device (/dev/ttyUSB0, or ttyUSB0); several times for several units at once "
                       "(default: PAVO_PORT)")
            ->type_name("DEV")
            ->allow_extra_args(false);
        sub.add_flag("--all-ports", o.allPorts, "every serial port of the machine");
        sub.add_option("--trace", o.traceFile,
                       "write the traffic with the unit to FILE (\"%p\" stands for the port)")
            ->type_name("FILE");
        sub.add_flag("--progress", o.progress, "progress on stderr also when stderr is not a terminal");
    }
    if (c.options & TakesJson)
        sub.add_flag("--json", o.json, "one JSON document (one a line with several ports)");
    if (c.options & TakesRestore) {
        sub.add_flag("--force", o.force, "send a file holding codes outside their ranges as it is");
        sub.add_flag("--verify", o.verify,
                     "read every program back and name the fields the unit did not keep (exit 1)");
    }
    if (c.options & TakesBlock)
        sub.add_option("--block", o.block, "the EQ block: MusicLeft, Mic12, Out1 ... or 0..17")
            ->type_name("B");
    if (c.options & TakesProgram)
        sub.add_option("--program", o.program, "a stored program, 1..21 or F1..F5")->type_name("N");
    if (c.options & TakesCount)
        sub.add_option("--count", o.count, "stop after N lines")->type_name("N")->check(CLI::PositiveNumber);
    if (c.options & TakesValues)
        sub.add_option("--values", o.valuesFile, "set every value of a get --json document (- for stdin)")
            ->type_name("FILE");
    if (c.options & TakesAutoEq) {
        sub.add_option("--measurement", o.measurement, "the measured response (text, FRD or CSV)")
            ->type_name("FILE");
        sub.add_option("--target", o.target, "a target curve in the same formats")->type_name("FILE");
        sub.add_option("--tilt", o.tilt, "a target tilting by DB per octave around 1 kHz (default flat)")
            ->type_name("DB");
        sub.add_option("--range", o.range, "the fit range in Hz (default 40:16000)")->type_name("LO:HI");
        sub.add_option("--max-boost", o.maxBoost, "the highest gain of a band (default 6)")->type_name("DB");
        sub.add_option("--max-cut", o.maxCut, "the deepest cut of a band (default 12)")->type_name("DB");
        sub.add_option("--bands", o.bands, "the bands the fit may change, as 1-4,7 (default all)")
            ->type_name("LIST");
        sub.add_option("--smoothing", o.smoothing, "fractional-octave smoothing, 0 off (default 0.1667)")
            ->type_name("FRACTION");
        sub.add_flag("--shelves", o.shelves, "low and high shelves allowed besides peaking bands");
        sub.add_option("--from", o.from, "fit the program of this file instead")->type_name("FILE.dia");
        sub.add_option("--out", o.out, "write the program with the fitted block to this file")
            ->type_name("FILE.dia");
        sub.add_flag("--dry-run", o.dryRun, "with --port: fit and show, send nothing");
    }
    if (c.options & TakesServe) {
        sub.add_option("--listen", o.listen,
                       "where the service listens: ADDR:PORT, ADDR or :PORT; 0.0.0.0 for every network of "
                       "this computer, port 0 for any free one (default 127.0.0.1:8470, this computer only)")
            ->type_name("ADDR:PORT");
        sub.add_option("--pin", o.pin, "the six-digit PIN the page asks for (default: a fresh one)")
            ->type_name("N");
    }
}

}  // namespace

const char* UsageText() {
    return "usage: pavo-cli COMMAND [options]\n"
           "Talks to the audio processor on a serial port, or reads its preset files.\n"
           "\n"
           "  ports                          list the serial ports (path, USB id, description)\n"
           "  fields                         every parameter: path, kind, range, unit, step, names\n"
           "  info    --port DEV             the unit: store authority, programs, system settings\n"
           "  backup  --port DEV FILE.dat    read all 21 programs and the system record into FILE\n"
           "  restore --port DEV FILE.dat    write a bank file to the unit (needs store authority); a\n"
           "          [--force] [--verify]   file with codes outside their ranges is refused\n"
           "  export  --port DEV FILE.dia    the current program (or --program N) into a program file\n"
           "  recall  --port DEV N           recall stored program N (1..21, or F1..F5)\n"
           "  get     --port DEV PATH...     parameters of the unit, e.g. Mic12.MicLevel\n"
           "  set     --port DEV PATH VALUE  change parameters (or PATH=VALUE...) to values as get shows\n"
           "                                 them, such as -3dB, 1k, 0.71, ON, F2; a raw code as code:105\n"
           "  batch   --port DEV FILE|-      get, set and recall lines over one connection\n"
           "  meters  --port DEV [--count N] the twelve meters as they arrive, until Ctrl-C\n"
           "  show    FILE                   every parameter of a .dia or .dat file\n"
           "  diff    A B                    the parameters that differ between two preset files\n"
           "  curve   FILE.dia --block B     the summed response of an EQ block as CSV; a bank with\n"
           "                                 --program N, the unit with --port DEV\n"
           "  autoeq  --block B --measurement FILE   fit an EQ block's bands to a measured response\n"
           "  serve   --port DEV [--listen ADDR:PORT] [--pin N]   the remote control for phones and\n"
           "                                 scripts, until Ctrl-C; prints its addresses and PIN\n"
           "\n"
           "  --port DEV     a serial device (/dev/ttyUSB0, or ttyUSB0); give it several times to\n"
           "                 run on several units at once, each line of output then names its port;\n"
           "                 PAVO_PORT in the environment stands for it\n"
           "  --all-ports    every serial port of the machine\n"
           "  --trace FILE   write the traffic with the unit to FILE (with several ports, one file\n"
           "                 per port: \"%p\" in FILE stands for the port)\n"
           "  --json         the commands that print data: one JSON document\n"
           "  --block B      curve, autoeq: an EQ block by name (MusicLeft, Mic12, Out1 ...) or 0..17\n"
           "  --program N    export, curve: a stored program\n"
           "  --listen ADDR:PORT  serve: where to listen (ADDR, :PORT, ADDR:PORT; 0.0.0.0 every\n"
           "                 network, port 0 any free one); default 127.0.0.1:8470, this computer only\n"
           "  --pin N        serve: the six-digit PIN (default: a fresh one)\n"
           "  --force        restore: send a file holding codes outside their ranges as it is (they\n"
           "                 are listed on stderr first); without it such a file is refused\n"
           "  --verify       restore: read every program back and name the fields the unit did not\n"
           "                 keep (exit 1)\n"
           "  --progress     progress on stderr also when stderr is not a terminal\n"
           "  --quiet, -q    no progress and no messages on stderr, only results and errors\n"
           "  --help         this text; pavo-cli COMMAND --help describes a command and its options\n"
           "  --version      the version\n"
           "\n"
           "Results go to stdout; progress, messages and errors to stderr.\n"
           "Exit status: 0 success, 1 the unit or the link failed (diff: the files differ), 2 bad\n"
           "usage or a bad file, 3 the work was done but the trace file could not be written.\n"
           "serve: 0 when stopped by Ctrl-C or SIGTERM, 1 a unit did not answer or its link was\n"
           "lost, or the service could not listen (a port in use), 2 a bad --listen or --pin.\n";
}

CliOptions ParseCliOptions(int argc, char** argv) {
    CliOptions o;
    CLI::App app("", "pavo-cli");
    app.formatter(std::make_shared<HelpFormatter>());
    app.set_help_flag();  // the general help is UsageText
    bool help = false;
    app.add_flag("-h,--help", help);
    app.add_flag("--version", o.version);
    app.allow_extras();
    app.require_subcommand(0, 1);
    for (const Command& c : kCommands) {
        CLI::App* sub = app.add_subcommand(c.name, c.summary);
        sub->set_help_flag("-h,--help", "this text");
        sub->allow_extras();  // arguments, negative values (-3dB) included, are taken in order below
        if (*c.notes) sub->footer(c.notes);
        AddOptions(*sub, c, o);
    }
    const CLI::App* sub = nullptr;
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        for (const CLI::App* s : app.get_subcommands()) sub = s;
        o.helpText = sub ? sub->help() : UsageText();
        return o;
    } catch (const CLI::ArgumentMismatch& e) {
        const std::string what = e.what();
        FailUsage(what.substr(0, what.find(':')) + " needs a value");
    } catch (const CLI::ParseError& e) {
        FailUsage(e.what());
    }
    if (help) {
        o.helpText = UsageText();
        return o;
    }
    if (o.version) return o;
    for (const CLI::App* s : app.get_subcommands()) sub = s;
    if (!sub) {
        const std::vector<std::string> rest = app.remaining();
        if (rest.empty()) FailUsage("no command given; pavo-cli --help lists them");
        if (IsOption(rest[0])) FailUsage("unknown option " + rest[0] + "; pavo-cli --help lists them");
        FailUsage("unknown command " + rest[0] + "; pavo-cli --help lists them");
    }
    o.command = sub->get_name();
    for (const std::string& a : sub->remaining()) {
        if (IsOption(a) && a != "-")
            FailUsage("unknown option " + a.substr(0, a.find('=')) + "; pavo-cli " + o.command +
                      " --help lists them");
        o.args.push_back(a);
    }
    return o;
}

void PortFromEnvironment(CliOptions& o) {
    if (!o.ports.empty() || o.allPorts) return;
    if (const char* port = std::getenv("PAVO_PORT"); port && *port) o.ports.push_back(port);
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
