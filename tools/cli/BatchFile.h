#pragma once
// A batch file: one get, set or recall line each, blank lines and "#" comments skipped, words split at
// blanks, a value with blanks in double or single quotes.
#include <string>
#include <vector>

#include "UnitCommands.h"

namespace pavo::cli {

// Reads and checks every line ("-": standard input). Throws CliFailure (bad usage) naming the file
// and the line: "edits.txt line 7: no field ...".
std::vector<UnitStep> ReadBatch(const std::string& path, const std::string& name);
// The words of one line; false for an unclosed quote.
bool SplitWords(const std::string& line, std::vector<std::string>& words);

}  // namespace pavo::cli
