#pragma once
// Many rooms at once: a command runs on every port in a thread of its own, each on its own Unit, all
// at the same time. Result lines come out whole, each under its port (Output.h); error lines name the
// port themselves.
#include <functional>
#include <string>
#include <vector>

namespace pavo::cli {

// Runs job(port) for each port in a thread; returns the worst exit code (2 over 1 over 3 over 0; a
// job that throws counts as a unit failure).
int RunOnEveryPort(const std::vector<std::string>& ports, const std::function<int(const std::string&)>& job);

}  // namespace pavo::cli
