#pragma once
// Ctrl-C and termination: the running command stops at its next wait, closes the port and reports
// that it was interrupted, instead of dying in the middle of an exchange.
#include <atomic>

namespace pavo::cli {

void CatchInterrupts();
bool Interrupted();
// The flag SIGINT and SIGTERM set, for a loop that watches it itself (serve).
const std::atomic<bool>& InterruptFlag();

}  // namespace pavo::cli
