#pragma once
// The remote service for a host without a screen (`pavo-cli serve` on a venue PC): one call that
// serves units already on line until asked to stop.
//
//     std::atomic<bool> stop{false};            // set by the host's SIGINT/SIGTERM handler
//     RemoteOptions options;
//     if (!ParseListen("0.0.0.0:8470", options, &error)) ...;   // --listen ADDR:PORT
//     options.pin = pinArgument;                 // --pin NNNNNN; empty: a fresh one
//     StartError failure;
//     const bool served = Serve({{&unit, "/dev/ttyUSB0"}}, options, stop,
//                               [](const RemoteService& s) { ...print s.Urls() and s.Pin()... },
//                               &failure);
//
// Edits run at once on the connections' threads (DirectExecutor), each one undo step of its unit.
// The host keeps `model.flags.connected` up to date, as it does for its own commands.
#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "remote/RemoteOptions.h"
#include "remote/RemoteService.h"

namespace pavo::remote {

// "ADDRESS:PORT", "ADDRESS" (the port kept) or ":PORT" (the address kept) into `options`. The address
// is a dotted IPv4 address or "localhost"; the port 1..65535, or 0 for any free port. False with
// `error` and `options` unchanged otherwise.
bool ParseListen(const std::string& text, RemoteOptions& options, std::string* error);

// Starts the service on `units` and calls `started` once it listens; returns when `stop` is set
// (looked at every 50 ms), with every stream and connection ended. False with `error` when it could
// not start (the options, a port in use, an address this computer does not have).
bool Serve(std::vector<ServedUnit> units, const RemoteOptions& options, const std::atomic<bool>& stop,
           const std::function<void(const RemoteService&)>& started, StartError* error);

}  // namespace pavo::remote
