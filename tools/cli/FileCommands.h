#pragma once
// The commands that need no unit: fields, show, diff, and curve from a file.
#include "CliOptions.h"

namespace pavo::cli {

bool IsFileCommand(const CliOptions& options);
// Throws CliFailure; returns the exit code.
int RunFileCommand(const CliOptions& options);

}  // namespace pavo::cli
