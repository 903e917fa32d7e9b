#pragma once
// The summed response of an EQ block as the response graph draws it: CSV (Hz,dB) or one JSON document.
#include <nlohmann/json.hpp>

#include "model/Blocks.h"

namespace pavo::cli {

// `about`: where the program came from ("file", "port", "program"), the first members of the JSON
// form. The output blocks are taken in the scene the program edits. Throws CliFailure for a block
// without an EQ.
void PrintCurve(const ProgramImage& image, int block, nlohmann::ordered_json about, bool json);

}  // namespace pavo::cli
