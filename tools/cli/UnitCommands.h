#pragma once
// The commands that talk to a unit: info, backup, restore, recall, get and set. Everything that can
// be checked without the unit (arguments, files, field paths and values) is checked first, once, so
// a bad request never reaches any unit.
#include <memory>
#include <string>
#include <vector>

#include "CliOptions.h"
#include "model/Blocks.h"
#include "model/FieldCatalog.h"

namespace pavo::cli {

struct UnitRequest {
    std::string command;
    std::string file;                      // backup, restore
    std::shared_ptr<ProgramBank> bank;     // restore
    int program = 0;                       // recall: 1..21
    std::vector<const FieldInfo*> fields;  // get: the fields, in the order given
    struct Edit {
        const FieldInfo* field;
        uint32_t code;  // the code the value as typed stands for
    };
    std::vector<Edit> edits;  // set, in the order given
};

bool IsUnitCommand(const std::string& command);
// Throws CliFailure (bad usage or bad file).
UnitRequest PrepareUnitRequest(const CliOptions& options);
// Runs on one unit; prints the result on stdout and a failure as one line on stderr. Returns the
// exit code.
int RunOnUnit(const UnitRequest& request, const CliOptions& options, const std::string& port,
              bool severalPorts);

}  // namespace pavo::cli
