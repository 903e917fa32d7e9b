#pragma once
// pavo-cli autoeq: a block's bands fitted to a measured response, on a program from a file, from the
// unit, or the factory program; printed, written to a program file, or sent to the unit as any edit
// is sent (model under its lock, then the change scanner).
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>

#include "CliOptions.h"
#include "autoeq/Fit.h"
#include "autoeq/Measurement.h"
#include "model/PresetFiles.h"

namespace pavo::cli {

class UnitSession;

struct AutoEqRequest {
    int block = 0;
    Measurement measured;
    std::optional<Measurement> target;
    FitOptions options;                 // the scene is the one the program edits
    std::unique_ptr<DiaContents> from;  // --from
};

// Reads and checks everything a fit needs before a port is opened. Throws CliFailure (bad usage).
std::shared_ptr<AutoEqRequest> PrepareAutoEq(const CliOptions& options);
// The fit of the program of --from (or the factory program): printed, and with --out written.
int AutoEqOnFile(const CliOptions& options);
// The fit of the unit's current program: printed, with `outPath` written, then (unless --dry-run) the
// changed bands sent.
void AutoEqOnUnit(UnitSession& session, const AutoEqRequest& request, const CliOptions& options,
                  const std::string& outPath, nlohmann::ordered_json& report);

}  // namespace pavo::cli
