#pragma once
// The commands that read preset files only: show, diff and curve.
#include "CliOptions.h"

namespace pavo::cli {

bool IsFileCommand(const std::string& command);
// Throws CliFailure; returns the exit code.
int RunFileCommand(const CliOptions& options);

}  // namespace pavo::cli
