#include "ServeCommand.h"

#include <memory>
#include <nlohmann/json.hpp>

#include "CliFailure.h"
#include "Interrupt.h"
#include "Output.h"
#include "TraceFile.h"
#include "UnitCommands.h"
#include "UnitSession.h"
#include "remote/Secrets.h"
#include "remote/Serve.h"

namespace pavo::cli {

namespace {

using json = nlohmann::ordered_json;

// Says when a served unit's link fails. The page then shows the unit off line; the service goes on
// serving it (and the other units) until stopped.
class LinkWatch final : public UnitEvents {
public:
    LinkWatch(Unit& unit, std::string port) : unit_(unit), port_(std::move(port)) { unit_.AddListener(this); }
    ~LinkWatch() override { unit_.RemoveListener(this); }
    LinkWatch(const LinkWatch&) = delete;
    LinkWatch& operator=(const LinkWatch&) = delete;

private:
    void LinkFailed(const PortError& error, bool) override {
        PrintError("the link to the unit on " + port_ + " failed: " + error.Text() +
                   "; the remote page shows it off line until serve is started again");
    }

    Unit& unit_;
    std::string port_;
};

// A unit being served. Members go in reverse: the watch, then the session, then its trace file.
struct Served {
    std::unique_ptr<TraceFile> trace;
    std::unique_ptr<UnitSession> session;
    std::unique_ptr<LinkWatch> watch;
};

remote::RemoteOptions ServiceOptions(const CliOptions& o) {
    remote::RemoteOptions options;
    std::string error;
    if (!o.listen.empty() && !remote::ParseListen(o.listen, options, &error)) FailUsage("--listen: " + error);
    if (!o.pin.empty() && !remote::IsPinForm(o.pin))
        FailUsage("--pin: the PIN must be six digits, not \"" + o.pin + "\"");
    options.pin = o.pin;
    return options;
}

void PrintListening(const remote::RemoteService& service, const std::vector<std::string>& ports,
                    const CliOptions& o) {
    const std::vector<std::string> urls = service.Urls();
    if (o.json) {
        json units = json::array();
        for (size_t i = 0; i < ports.size(); ++i) units.push_back({{"unit", i}, {"port", ports[i]}});
        // One line: a script reads it and goes on while the service runs.
        PrintJson({{"units", units},
                   {"listen", {{"address", service.Address()}, {"port", service.Port()}}},
                   {"urls", urls},
                   {"pin", service.Pin()}},
                  true);
    } else {
        for (size_t i = 0; i < ports.size(); ++i) Print("unit %zu %s\n", i, ports[i].c_str());
        for (const std::string& url : urls) Print("url  %s\n", url.c_str());
        Print("pin  %s\n", service.Pin().c_str());
    }
    if (!o.quiet)
        PrintError(std::string("serving ") + (ports.size() == 1 ? "the unit" : "the units") +
                   (urls.empty() ? "" : " on " + urls.front()) + "; Ctrl-C stops");
}

}  // namespace

int ServeUnits(const CliOptions& o, const std::vector<std::string>& ports) {
    if (!o.args.empty()) FailUsage("usage: pavo-cli serve --port DEV [--listen ADDR:PORT] [--pin N]");
    const remote::RemoteOptions options = ServiceOptions(o);

    std::vector<Served> served(ports.size());
    for (size_t i = 0; i < ports.size(); ++i) {
        Served& s = served[i];
        if (!o.traceFile.empty())
            s.trace = std::make_unique<TraceFile>(PerPortPath(o.traceFile, ports[i], ports.size() > 1));
        s.session = std::make_unique<UnitSession>(ports[i], s.trace.get());
        s.session->Connect();
        s.session->ReadEverything();  // names, system record, current program: what the page shows
        s.watch = std::make_unique<LinkWatch>(s.session->unit(), ports[i]);
        s.session->MarkConnected();
    }

    std::vector<remote::ServedUnit> units;
    for (size_t i = 0; i < ports.size(); ++i) units.push_back({&served[i].session->unit(), ports[i]});
    remote::StartError failure;
    if (!remote::Serve(
            std::move(units), options, InterruptFlag(),
            [&](const remote::RemoteService& service) { PrintListening(service, ports, o); }, &failure))
        throw CliFailure(failure.kind == remote::StartError::Kind::Options ? ExitUsage : ExitUnit,
                         failure.text);

    // An edit the service accepted just before the stop still reaches the unit.
    int code = ExitOk;
    for (Served& s : served) {
        try {
            s.session->SendPending();
        } catch (const CliFailure& f) {
            PrintError(f.what());
            code = ExitUnit;
        }
    }
    if (!o.quiet) PrintError("stopped");
    for (Served& s : served)
        if (TraceOutcome(s.trace.get(), code) != code) code = ExitTrace;
    return code;
}

}  // namespace pavo::cli
