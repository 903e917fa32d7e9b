#pragma once
// Ctrl-C and termination: the running command stops at its next wait, closes the port and reports
// that it was interrupted, instead of dying in the middle of an exchange.
namespace pavo::cli {

void CatchInterrupts();
bool Interrupted();

}  // namespace pavo::cli
