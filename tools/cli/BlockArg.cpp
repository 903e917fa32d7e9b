#include "BlockArg.h"

#include <strings.h>
#include <array>

#include "CliFailure.h"
#include "model/DataConver.h"
#include "model/Model.h"

namespace pavo::cli {

namespace {

// By block number; the outputs by the channel names of the field paths.
constexpr std::array<const char*, kBlockCount> kBlockNames = {
    "MusicLeft", "MusicRight",  "Mic12",     "Mic34",     "EchoA",        "EchoB",
    "Reverb",    "ReverbSpare", "Out4",      "Out3",      "Center",       "SUB",
    "Out2",      "Out1",        "SurroundL", "SurroundR", "MusicLeftDyn", "MusicRightDyn"};

}  // namespace

const char* BlockName(int block) {
    return block >= 0 && block < kBlockCount ? kBlockNames[block] : "";
}

int BlockFromText(const std::string& text) {
    for (int b = 0; b < kBlockCount; ++b)
        if (strcasecmp(text.c_str(), kBlockNames[b]) == 0) return b;
    if (!text.empty() && text.size() <= 2 && text.find_first_not_of("0123456789") == std::string::npos) {
        const int n = std::stoi(text);
        if (n < kBlockCount) return n;
    }
    std::string names;
    for (const char* name : kBlockNames) names += std::string(name) + ", ";
    names.resize(names.size() - 2);
    FailUsage("--block takes " + names + " or 0.." + std::to_string(kBlockCount - 1) + ", not " + text);
}

int StoredProgramFromText(const std::string& text) {
    const auto n = ProgramNumberFromText(text);
    if (!n || *n < 1 || *n > kProgramCount)
        FailUsage("--program takes a stored program 1..21 (or F1..F5), not " + text);
    return *n;
}

}  // namespace pavo::cli
