#pragma once
// The arguments that name an EQ block or a stored program, as pavo-cli takes them.
#include <string>

namespace pavo::cli {

// An EQ block by name as the field paths write it (MusicLeft, Mic12, Out1, SUB, MusicLeftDyn ..., in
// any case) or by number 0..17. Throws CliFailure (bad usage) otherwise.
int BlockFromText(const std::string& text);
// "MusicLeft" for 0, "Out1" for 13.
const char* BlockName(int block);
// A stored program 1..21, as 1..21 or F1..F5. Throws CliFailure (bad usage) otherwise.
int StoredProgramFromText(const std::string& text);

}  // namespace pavo::cli
