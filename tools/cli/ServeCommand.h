#pragma once
// pavo-cli serve: the remote control (the web page and its API) for a host without a screen. Every
// unit is brought on line as the other unit commands bring it, then served until Ctrl-C or SIGTERM.
#include <string>
#include <vector>

#include "CliOptions.h"

namespace pavo::cli {

// Checks --listen and --pin before any port opens (bad usage), brings the unit of every port on line,
// prints where the service listens and its PIN, and serves until interrupted. Returns the exit code;
// throws CliFailure when a unit does not answer or the service cannot start.
int ServeUnits(const CliOptions& options, const std::vector<std::string>& ports);

}  // namespace pavo::cli
