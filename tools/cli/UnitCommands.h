#pragma once
// The commands that talk to a unit: info, backup, restore, export, recall, get, set, batch, meters,
// curve --port and autoeq --port. Everything that can be checked without the unit (arguments, files,
// field paths and values, batch lines) is checked first, once, so a bad request never reaches any
// unit.
#include <memory>
#include <string>
#include <vector>

#include "CliOptions.h"
#include "model/Blocks.h"
#include "model/FieldCatalog.h"

namespace pavo::cli {

struct FieldEdit {
    const FieldInfo* field;
    uint32_t code;  // the code the value as typed stands for
};

// One line of a batch, or the whole of a get, set or recall command.
struct UnitStep {
    int line = 0;  // in the batch file, from 1
    std::string command;
    std::vector<const FieldInfo*> fields;  // get: the fields, in the order given
    std::vector<FieldEdit> edits;          // set, in the order given
    int program = 0;                       // recall: 1..21
};

struct AutoEqRequest;  // AutoEqCommand.h

struct UnitRequest {
    std::string command;
    std::string file;                   // backup, restore, export
    std::shared_ptr<ProgramBank> bank;  // restore
    int program = 0;                    // export --program, 1..21; 0: the current program
    int block = -1;                     // curve
    std::string batchName;              // batch: the file as messages name it ("stdin" for -)
    std::vector<UnitStep> steps;        // get, set, recall: one; batch: one a line
    std::shared_ptr<AutoEqRequest> autoEq;
};

bool IsUnitCommand(const CliOptions& options);
// Throws CliFailure (bad usage or bad file).
UnitRequest PrepareUnitRequest(const CliOptions& options);
// Runs on one unit; prints the result on stdout and a failure as one line on stderr. Returns the
// exit code.
int RunOnUnit(const UnitRequest& request, const CliOptions& options, const std::string& port,
              bool severalPorts);

class TraceFile;
// A trace file that failed is said once, after the work; it turns a success (`code` 0) into exit 3.
int TraceOutcome(TraceFile* trace, int code);

// The steps of get, set and recall from their arguments, as the command line and batch lines give
// them. Throw CliFailure (bad usage).
UnitStep GetStep(const std::vector<std::string>& args);
UnitStep SetStep(const std::vector<std::string>& args);
UnitStep RecallStep(const std::vector<std::string>& args);

}  // namespace pavo::cli
