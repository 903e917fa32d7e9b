// pavo-cli: the audio processor from the command line, on the program's own core and serial engine.
// See UsageText() for the commands.
#include <cstdio>
#include <string>
#include <vector>

#include "CliFailure.h"
#include "CliOptions.h"
#include "FileCommands.h"
#include "Interrupt.h"
#include "PortRunner.h"
#include "UnitCommands.h"
#include "serial/PortEnumeration.h"

namespace {

using namespace pavo;
using namespace pavo::cli;

std::vector<PortInfo> MachinePorts() {
    std::vector<PortInfo> ports;
    try {
        EnumerateSerialPorts(ports, false);
    } catch (const PortEnumerationError& e) {
        FailUnit(e.what());
    }
    return ports;
}

int Ports(const CliOptions& o) {
    if (!o.args.empty() || !o.ports.empty()) FailUsage("usage: pavo-cli ports");
    const std::vector<PortInfo> ports = MachinePorts();
    if (ports.empty()) std::printf("no serial ports found\n");
    for (const PortInfo& p : ports)
        std::printf("%-16s %-10s %s\n", p.DevicePath.c_str(), p.IsUsb ? p.UsbId.c_str() : "-",
                    p.Description.c_str());
    return ExitOk;
}

int UnitCommand(const CliOptions& o) {
    if (o.ports.empty() && !o.allPorts) FailUsage(o.command + " needs --port DEVICE (or --all-ports)");
    for (const std::string& port : o.ports)
        if (port.empty())
            FailUsage("--port was given an empty device name; give a device such as /dev/ttyUSB0");
    if (o.json || o.block >= 0)
        FailUsage(std::string(o.json ? "--json" : "--block") + " does not go with " + o.command);
    const UnitRequest request = PrepareUnitRequest(o);
    std::vector<std::string> ports = o.ports;
    if (o.allPorts)
        for (const PortInfo& p : MachinePorts()) ports.push_back(p.DevicePath);
    if (ports.empty()) FailUnit("no serial ports found");
    if (ports.size() == 1) return RunOnUnit(request, o, ports[0], false);
    return RunOnEveryPort(ports, [&](const std::string& port) { return RunOnUnit(request, o, port, true); });
}

}  // namespace

int main(int argc, char** argv) {
    CatchInterrupts();
    try {
        const CliOptions o = ParseCliOptions(argc, argv);
        if (o.version) {
            std::printf("pavo-cli %s\n", PAVO_VERSION);
            return ExitOk;
        }
        if (o.help) {
            std::fputs(UsageText(), stdout);
            return ExitOk;
        }
        if (o.command.empty()) FailUsage("no command given; pavo-cli --help lists them");
        if (o.command == "ports") return Ports(o);
        if (IsFileCommand(o.command)) return RunFileCommand(o);
        if (IsUnitCommand(o.command)) return UnitCommand(o);
        FailUsage("unknown command " + o.command + "; pavo-cli --help lists them");
    } catch (const CliFailure& f) {
        std::fflush(stdout);
        std::fprintf(stderr, "pavo-cli: %s\n", f.what());
        return f.code();
    }
}
