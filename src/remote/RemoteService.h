#pragma once
// The remote control: a small web service that serves the remote page and its API for the units it
// is given, so that phones, tablets and scripts on the network can work them.
//
//     StartError error;
//     auto service = StartRemoteService({{&unit, "/dev/ttyUSB0"}}, options, &executor, &error);
//     if (!service) ...error.text...;
//     service->Pin();          // what people type on the page
//     service.reset();         // stops it
//
// The service holds the units it serves and never anything process-wide: several services, or a
// service beside the program's own window, each keep to their own. What it serves, and the security
// rules it keeps, are described in the README ("Remote control").
#include <memory>
#include <string>
#include <vector>

#include "remote/RemoteExecutor.h"
#include "remote/RemoteOptions.h"
#include "remote/Sessions.h"

namespace pavo {
class Unit;
}

namespace pavo::remote {

struct ServedUnit {
    Unit* unit = nullptr;
    std::string name;  // how the unit is listed (its port)
};

// Why a service did not start: the kind for a host that words it for its users, the text (English)
// for logs and the command line.
struct StartError {
    enum class Kind { Options, PortInUse, CannotListen };
    Kind kind = Kind::Options;
    std::string text;
};

class RemoteService {
public:
    ~RemoteService();
    RemoteService(const RemoteService&) = delete;
    RemoteService& operator=(const RemoteService&) = delete;

    const std::string& Address() const;
    int Port() const;
    const std::string& Pin() const;
    // The URLs people can open (ServiceUrls of the address and port).
    std::vector<std::string> Urls() const;
    // The clients holding a session, with their open pages.
    std::vector<ClientInfo> Clients() const;
    int OpenEventStreams() const;
    int OpenConnections() const;

    // Ends every event stream and connection and stops listening; the destructor does it too.
    void Stop();

private:
    struct Impl;
    explicit RemoteService(std::unique_ptr<Impl> impl);
    friend std::unique_ptr<RemoteService> StartRemoteService(std::vector<ServedUnit>, const RemoteOptions&,
                                                             RemoteExecutor*, StartError*);
    std::unique_ptr<Impl> impl_;
};

// Starts serving `units` (at least one) as `options` say. Edits run through `executor`, which must
// outlive the service; null runs them directly on the connections' threads (DirectExecutor), for a
// host without a screen. The host keeps `model.flags.connected` up to date, as the program's
// connection does. Null with `error` when the service cannot listen or the options are not usable.
std::unique_ptr<RemoteService> StartRemoteService(std::vector<ServedUnit> units, const RemoteOptions& options,
                                                  RemoteExecutor* executor, StartError* error);

}  // namespace pavo::remote
