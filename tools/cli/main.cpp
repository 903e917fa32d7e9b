// pavo-cli: the audio processor from the command line, on the program's own core and serial engine.
// See UsageText() for the commands.
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "AutoEqCommand.h"
#include "CliFailure.h"
#include "CliOptions.h"
#include "FileCommands.h"
#include "Interrupt.h"
#include "Output.h"
#include "PortRunner.h"
#include "ServeCommand.h"
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
    if (!o.args.empty()) FailUsage("usage: pavo-cli ports [options]");
    const std::vector<PortInfo> ports = MachinePorts();
    if (o.json) {
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (const PortInfo& p : ports)
            list.push_back(
                {{"path", p.DevicePath},
                 {"usb", p.IsUsb ? nlohmann::ordered_json(p.UsbId) : nlohmann::ordered_json(nullptr)},
                 {"description", p.Description}});
        PrintJson({{"ports", list}});
        return ExitOk;
    }
    if (ports.empty()) Print("no serial ports found\n");
    for (const PortInfo& p : ports)
        Print("%-16s %-10s %s\n", p.DevicePath.c_str(), p.IsUsb ? p.UsbId.c_str() : "-",
              p.Description.c_str());
    return ExitOk;
}

// The ports a unit command works on: --port, --all-ports or PAVO_PORT.
void NeedPorts(CliOptions& o) {
    PortFromEnvironment(o);
    if (o.ports.empty() && !o.allPorts)
        FailUsage(o.command + " needs --port DEVICE (or --all-ports, or PAVO_PORT in the environment)");
    for (const std::string& port : o.ports)
        if (port.empty()) FailUsage("the port is empty: give a device, e.g. --port /dev/ttyUSB0");
}
std::vector<std::string> PortsOf(const CliOptions& o) {
    std::vector<std::string> ports = o.ports;
    if (o.allPorts)
        for (const PortInfo& p : MachinePorts()) ports.push_back(p.DevicePath);
    if (ports.empty()) FailUnit("no serial ports found");
    return ports;
}

int UnitCommand(CliOptions o) {
    NeedPorts(o);
    const UnitRequest request = PrepareUnitRequest(o);
    const std::vector<std::string> ports = PortsOf(o);
    if (ports.size() == 1) return RunOnUnit(request, o, ports[0], false);
    return RunOnEveryPort(ports, [&](const std::string& port) { return RunOnUnit(request, o, port, true); });
}

int Serve(CliOptions o) {
    NeedPorts(o);
    return ServeUnits(o, PortsOf(o));
}

int Run(const CliOptions& o) {
    if (o.command == "ports") return Ports(o);
    if (o.command == "serve") return Serve(o);
    // curve and autoeq read a file, or the unit with --port (or PAVO_PORT, when no file is named).
    const bool portGiven = !o.ports.empty() || o.allPorts;
    if (o.command == "curve" && portGiven && !o.args.empty())
        FailUsage("curve reads from a file or from a unit (--port), not both");
    if (o.command == "curve" && o.args.empty() && !portGiven) {
        CliOptions withEnvironment = o;
        PortFromEnvironment(withEnvironment);
        if (!withEnvironment.ports.empty()) return UnitCommand(withEnvironment);
    }
    if (o.command == "autoeq" && !portGiven) {
        CliOptions withEnvironment = o;
        if (o.from.empty()) PortFromEnvironment(withEnvironment);
        return withEnvironment.ports.empty() ? AutoEqOnFile(o) : UnitCommand(withEnvironment);
    }
    if (IsFileCommand(o)) return RunFileCommand(o);
    return UnitCommand(o);
}

}  // namespace

int main(int argc, char** argv) {
    CatchInterrupts();
    // A reader that leaves early (| head -1) must not end the work: writes to it just fail.
    std::signal(SIGPIPE, SIG_IGN);
    try {
        const CliOptions o = ParseCliOptions(argc, argv);
        if (!o.helpText.empty()) {
            std::fputs(o.helpText.c_str(), stdout);
            return ExitOk;
        }
        if (o.version) {
            std::printf("pavo-cli %s\n", PAVO_VERSION);
            return ExitOk;
        }
        return Run(o);
    } catch (const CliFailure& f) {
        std::fflush(stdout);
        std::fprintf(stderr, "pavo-cli: %s\n", f.what());
        return f.code();
    }
}
