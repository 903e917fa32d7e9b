#pragma once
// Many rooms at once: a command runs on every port in a process of its own (the core keeps one model
// and one engine per process), all at the same time. Their output comes back line by line: lines of
// the standard output prefixed with the port, error lines (which name the port themselves) as they
// are.
#include <functional>
#include <string>
#include <vector>

namespace pavo::cli {

// Runs job(port) for each port in a child process; returns the worst exit code (2 over 1 over 0; a
// child that dies counts as a unit failure).
int RunOnEveryPort(const std::vector<std::string>& ports, const std::function<int(const std::string&)>& job);

}  // namespace pavo::cli
