#pragma once
// What pavo-cli prints. Results go to stdout, messages and errors to stderr, each line whole: with
// several units served at once (threads of one process) lines never mix, and each result line starts
// with the port of the unit it is about.
#include <string>

namespace pavo::cli {

// The port whose results this thread prints; empty (the default): no prefix.
void SetOutputPort(const std::string& port);
// Results: whole lines, printf-style.
[[gnu::format(printf, 1, 2)]] void Print(const char* format, ...);
// One message or error line on stderr, "pavo-cli: " before it.
void PrintError(const std::string& line);

}  // namespace pavo::cli
